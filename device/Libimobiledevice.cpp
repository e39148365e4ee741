#include "Libimobiledevice.h"

#include "Akkuantwort.h"
#include "Arbeitsverzeichnis.h"
#include "Geraeteliste.h"
#include "Infowert.h"
#include "Kopplungsantwort.h"
#include "Panicauswahl.h"
#include "Panicdatei.h"
#include "Prozesslaeufer.h"
#include "Ressourcen.h"
#include "Trennung.h"

#include <QDir>

namespace kabel {

namespace {

const QString idevicepair = QStringLiteral("idevicepair");
const QString ideviceinfo = QStringLiteral("ideviceinfo");
const QString idevicecrashreport = QStringLiteral("idevicecrashreport");

// What ends a reading at once, whatever its tool printed: the phone gone, or the tool killed.
std::optional<Fehler> leseAbbruch(const Ergebnis<Werkzeugergebnis>& lauf) {
    if (!lauf && std::holds_alternative<Abgebrochen>(lauf.error()))
        return iPhoneAntwortetNicht();
    if (lauf && geraetGetrennt(*lauf))
        return iPhoneGetrennt();
    return std::nullopt;
}

} // namespace

Libimobiledevice::Libimobiledevice() : Libimobiledevice(werkzeugVerzeichnisse()) {}

Libimobiledevice::Libimobiledevice(QStringList verzeichnisse)
    : m_laeufer(std::make_shared<Prozesslaeufer>(std::move(verzeichnisse))) {}

Libimobiledevice::Libimobiledevice(std::shared_ptr<const Werkzeuglaeufer> laeufer)
    : m_laeufer(std::move(laeufer)) {}

QStringList Libimobiledevice::werkzeugVerzeichnisse() {
    QStringList verzeichnisse;
    if (const auto ressourcen = ressourcenVerzeichnis())
        verzeichnisse.append(*ressourcen + u"/bin");
    verzeichnisse.append(QStringLiteral("/opt/homebrew/bin"));
    verzeichnisse.append(QStringLiteral("/usr/local/bin"));
    verzeichnisse.append(qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts));
    return verzeichnisse;
}

Ergebnis<QStringList> Libimobiledevice::geraete() const {
    const auto lauf = m_laeufer->ausfuehren(QStringLiteral("idevice_id"), {QStringLiteral("-l")});
    if (!lauf)
        return std::unexpected(lauf.error());
    if (std::optional<QStringList> udids = geraeteAusListe(*lauf))
        return *udids;
    return std::unexpected(m_laeufer->vorhanden(QStringLiteral("usbmuxd"))
                               ? ZugriffFehler::usbDienstAntwortetNicht()
                               : ZugriffFehler::usbDienstFehlt());
}

Ergebnis<Kopplung> Libimobiledevice::istGekoppelt(const QString& udid) const {
    // With no pair record on this computer, "validate" itself brings up the trust dialog.
    const auto lauf =
        m_laeufer->ausfuehren(idevicepair, {QStringLiteral("-u"), udid, QStringLiteral("validate")});
    if (!lauf)
        return std::unexpected(lauf.error());
    return kopplungLaut(*lauf);
}

Ergebnis<Kopplung> Libimobiledevice::koppeln(const QString& udid) const {
    const auto lauf =
        m_laeufer->ausfuehren(idevicepair, {QStringLiteral("-u"), udid, QStringLiteral("pair")});
    if (!lauf)
        return std::unexpected(lauf.error());
    return kopplungLaut(*lauf);
}

bool Libimobiledevice::entkoppeln(const QString& udid) const {
    const auto lauf =
        m_laeufer->ausfuehren(idevicepair, {QStringLiteral("-u"), udid, QStringLiteral("unpair")});
    return lauf && lauf->status == 0;
}

Ergebnis<std::optional<QString>> Libimobiledevice::infoWert(const QString& schluessel,
                                                            const QString& udid) const {
    const auto lauf =
        m_laeufer->ausfuehren(ideviceinfo, {QStringLiteral("-u"), udid, QStringLiteral("-k"), schluessel});
    if (const auto fehler = leseAbbruch(lauf))
        return std::unexpected(*fehler);
    return lauf ? infoWertAusAntwort(*lauf) : std::nullopt;
}

Ergebnis<Geraetedaten> Libimobiledevice::geraetedatenLesen(const QString& udid) const {
    const auto produkt = infoWert(QStringLiteral("ProductType"), udid);
    if (!produkt)
        return std::unexpected(produkt.error());
    if (!*produkt)
        return std::unexpected(iPhoneAntwortetNicht());
    Geraetedaten daten;
    daten.produkt = std::move(**produkt);
    for (auto [schluessel, feld] : {std::pair{"ProductVersion", &Geraetedaten::ios},
                                    {"SerialNumber", &Geraetedaten::seriennummer},
                                    {"InternationalMobileEquipmentIdentity", &Geraetedaten::imei},
                                    {"InternationalMobileEquipmentIdentity2", &Geraetedaten::imei2},
                                    {"ActivationState", &Geraetedaten::aktivierung}}) {
        auto wert = infoWert(QString::fromLatin1(schluessel), udid);
        if (!wert)
            return std::unexpected(wert.error());
        daten.*feld = std::move(*wert);
    }
    return daten;
}

Ergebnis<std::optional<Akkudaten>> Libimobiledevice::akkudatenLesen(const QString& udid) const {
    const auto lauf = m_laeufer->ausfuehren(
        QStringLiteral("idevicediagnostics"),
        {QStringLiteral("-u"), udid, QStringLiteral("ioregentry"), QStringLiteral("AppleSmartBattery")});
    if (const auto fehler = leseAbbruch(lauf))
        return std::unexpected(*fehler);
    // Anything else, "ERROR: Could not start diagnostics service!" before the first unlock
    // included, is a phone without battery figures to give.
    return lauf ? akkudatenAusAntwort(*lauf) : std::nullopt;
}

Ergebnis<QList<PanicLog>> Libimobiledevice::panicLogsLesen(const QString& udid,
                                                           const Kopiermeldung& melden) const {
    const Arbeitsverzeichnis verzeichnis;
    const Kopie kopie{verzeichnis.pfad(), melden};
    auto lauf = m_laeufer->ausfuehren(idevicecrashreport,
                                      {QStringLiteral("-u"), udid, QStringLiteral("-k"), QStringLiteral("-f"),
                                       QStringLiteral("panic"), verzeichnis.pfad()},
                                      kopie);
    // The 1.3.0 tool (Debian 12) has no -f: it takes "-f" for the directory, prints its usage and
    // exits 0 without copying anything. Then fetch every report without the filter; only the
    // panic files below are ever opened. "-k" always stays: the reports remain on the phone.
    if (lauf && lauf->status == 0 && lauf->ausgabe.startsWith("Usage:") && verzeichnis.eintraege().isEmpty())
        lauf = m_laeufer->ausfuehren(idevicecrashreport,
                                     {QStringLiteral("-u"), udid, QStringLiteral("-k"), verzeichnis.pfad()},
                                     kopie);
    if (!lauf)
        return std::unexpected(std::holds_alternative<ZugriffFehler>(lauf.error())
                                   ? std::get<ZugriffFehler>(lauf.error())
                                   : iPhoneAntwortetNicht());
    if (geraetGetrennt(*lauf))
        return std::unexpected(iPhoneGetrennt());
    // A copy that ended with an error, or skipped a file it could not copy whole (the cut file
    // stays behind and would be sent as a whole report), or still did not understand its
    // arguments, is not a complete list.
    if (lauf->status != 0 || lauf->fehlerausgabe.contains("File size mismatch") ||
        lauf->ausgabe.startsWith("Usage:"))
        return std::unexpected(iPhoneAntwortetNicht());

    QList<PanicLog> logs;
    for (const QString& pfad : panicKandidatenWaehlen(verzeichnis.eintraege()))
        if (auto log = panicLogLesen(pfad))
            logs.append(std::move(*log));
    return logs;
}

} // namespace kabel
