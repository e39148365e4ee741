#include "Libimobiledevice.h"

#include "Akkuantwort.h"
#include "Arbeitsverzeichnis.h"
#include "Kopierzeilen.h"
#include "Panicauswahl.h"
#include "Panicdatei.h"
#include "Prozesslaeufer.h"
#include "Urteil.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace kabel {

namespace {

const QString ideviceinfo = QStringLiteral("ideviceinfo");
const QString idevicecrashreport = QStringLiteral("idevicecrashreport");

// The trust state in an answer of `idevicepair -u UDID validate` (or "pair"): trusted exactly
// when the tool ended with status 0; otherwise the reason as the tool words it, or the lockdown
// error code it prints.
Kopplung kopplungLaut(const Werkzeugergebnis& antwort) {
    if (antwort.status == 0)
        return {Kopplung::gekoppelt};
    // The tool's own sentences, on stdout; 1.4 has two more for codes 1.3.0 prints as numbers.
    const QByteArray& text = antwort.ausgabe;
    if (text.contains("because a passcode is set"))
        return {Kopplung::gesperrt};
    if (text.contains("said that the user denied the trust dialog"))
        return {Kopplung::abgelehnt};
    if (text.contains("Pairing is not possible over this connection."))
        return {Kopplung::fehlgeschlagen, -36};
    static const QRegularExpression paarungFehlgeschlagen(
        QStringLiteral("Pairing with device \\S+ failed\\."));
    const QString zeilen = QString::fromUtf8(text);
    if (paarungFehlgeschlagen.match(zeilen).hasMatch())
        return {Kopplung::fehlgeschlagen, -4};
    // "returned unhandled error code -5", "Could not connect to lockdownd, error code -8",
    // "QueryType failed, error code -7".
    static const QRegularExpression fehlercode(QStringLiteral("error code (-\\d{1,9})\\b"));
    if (const QRegularExpressionMatch treffer = fehlercode.match(zeilen); treffer.hasMatch())
        return {Kopplung::fehlgeschlagen, treffer.captured(1).toInt()};
    // The dialog pending, a pair record the phone has forgotten (the pairing request renews it),
    // the phone gone meanwhile: keep waiting.
    return {Kopplung::ausstehend};
}

} // namespace

Libimobiledevice::Libimobiledevice() : Libimobiledevice(werkzeugVerzeichnisse()) {}

Libimobiledevice::Libimobiledevice(QStringList verzeichnisse)
    : m_laeufer(std::make_shared<Prozesslaeufer>(std::move(verzeichnisse))) {}

Libimobiledevice::Libimobiledevice(std::shared_ptr<const Werkzeuglaeufer> laeufer)
    : m_laeufer(std::move(laeufer)) {}

QStringList Libimobiledevice::werkzeugVerzeichnisse() {
    QStringList verzeichnisse;
#ifdef Q_OS_MACOS
    const QString ressourcen = QCoreApplication::applicationDirPath() + u"/../Resources/bin"; // in the bundle
#else
    const QString ressourcen = QCoreApplication::applicationDirPath() + u"/../share/sondit-kabel/bin";
#endif
    if (QFileInfo(ressourcen).isDir())
        verzeichnisse.append(QDir::cleanPath(QFileInfo(ressourcen).absoluteFilePath()));
    verzeichnisse.append(QStringLiteral("/opt/homebrew/bin"));
    verzeichnisse.append(QStringLiteral("/usr/local/bin"));
    verzeichnisse.append(qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts));
    return verzeichnisse;
}

Ergebnis<QStringList> Libimobiledevice::geraete(const Abbruch& abbruch) const {
    const auto lauf = m_laeufer->ausfuehren(QStringLiteral("idevice_id"), {QStringLiteral("-l")}, abbruch);
    if (!lauf)
        return std::unexpected(lauf.error());
    // Whatever UDIDs were printed are attached devices, whatever the status. Nothing printed with
    // a non-zero status is how the tool says that usbmuxd cannot be reached.
    QStringList udids = QString::fromUtf8(lauf->ausgabe).trimmed().split(u'\n', Qt::SkipEmptyParts);
    if (!udids.isEmpty() || lauf->status == 0)
        return udids;
    return std::unexpected(m_laeufer->vorhanden(QStringLiteral("usbmuxd"))
                               ? ZugriffFehler::usbDienstAntwortetNicht()
                               : ZugriffFehler::usbDienstFehlt());
}

Ergebnis<Kopplung> Libimobiledevice::istGekoppelt(const QString& udid, const Abbruch& abbruch) const {
    // With no pair record on this computer, "validate" itself brings up the trust dialog.
    const auto lauf = kopplung(QStringLiteral("validate"), udid, abbruch);
    return lauf ? Ergebnis<Kopplung>(kopplungLaut(*lauf)) : std::unexpected(lauf.error());
}

Ergebnis<Kopplung> Libimobiledevice::koppeln(const QString& udid, const Abbruch& abbruch) const {
    const auto lauf = kopplung(QStringLiteral("pair"), udid, abbruch);
    return lauf ? Ergebnis<Kopplung>(kopplungLaut(*lauf)) : std::unexpected(lauf.error());
}

bool Libimobiledevice::entkoppeln(const QString& udid, const Abbruch& abbruch) const {
    const auto lauf = kopplung(QStringLiteral("unpair"), udid, abbruch);
    return lauf && lauf->status == 0;
}

Ergebnis<Werkzeugergebnis> Libimobiledevice::kopplung(const QString& befehl, const QString& udid,
                                                      const Abbruch& abbruch) const {
    return m_laeufer->ausfuehren(QStringLiteral("idevicepair"), {QStringLiteral("-u"), udid, befehl},
                                 abbruch);
}

Ergebnis<std::optional<QString>> Libimobiledevice::infoWert(const QString& schluessel, const QString& udid,
                                                            const Abbruch& abbruch) const {
    const auto lauf = m_laeufer->ausfuehren(
        ideviceinfo, {QStringLiteral("-u"), udid, QStringLiteral("-k"), schluessel}, abbruch);
    switch (const Urteil urteil = urteilen(lauf)) {
    case Urteil::fertig:
        return QString::fromUtf8(lauf->ausgabe).trimmed();
    case Urteil::zurueckgehalten:
        return std::nullopt;
    default:
        return std::unexpected(lesefehler(urteil));
    }
}

Ergebnis<Geraetedaten> Libimobiledevice::geraetedatenLesen(const QString& udid,
                                                           const Abbruch& abbruch) const {
    const auto produkt = infoWert(QStringLiteral("ProductType"), udid, abbruch);
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
        auto wert = infoWert(QString::fromLatin1(schluessel), udid, abbruch);
        if (!wert)
            return std::unexpected(wert.error());
        daten.*feld = std::move(*wert);
    }
    return daten;
}

Ergebnis<std::optional<Akkudaten>> Libimobiledevice::akkudatenLesen(const QString& udid,
                                                                    const Abbruch& abbruch) const {
    const auto lauf = m_laeufer->ausfuehren(
        QStringLiteral("idevicediagnostics"),
        {QStringLiteral("-u"), udid, QStringLiteral("ioregentry"), QStringLiteral("AppleSmartBattery")},
        abbruch);
    const Urteil urteil = urteilen(lauf);
    if (urteil == Urteil::getrennt || urteil == Urteil::antwortetNicht)
        return std::unexpected(lesefehler(urteil));
    // Any other failure ("Could not start diagnostics service" before the first unlock, "Unable to
    // retrieve IORegistry from device.") is a phone without battery figures to give.
    return urteil == Urteil::fertig ? akkudatenAusAntwort(*lauf) : std::nullopt;
}

Ergebnis<QList<PanicLog>> Libimobiledevice::panicLogsLesen(const QString& udid, const Abbruch& abbruch,
                                                           const Kopiermeldung& melden) const {
    const QTemporaryDir verzeichnis(arbeitsverzeichnisVorlage());
    if (!verzeichnis.isValid())
        return std::unexpected(ZugriffFehler::lesen(QStringLiteral(
            "Auf diesem Computer kann kein temporärer Ordner angelegt werden. Bitte freien Speicherplatz prüfen.")));
    const QString pfad = QDir::toNativeSeparators(verzeichnis.path());
    Kopierzeilen zeilen;
    const Kopie kopie{pfad, melden,
                      [&](QByteArrayView stueck, bool fehler) { zeilen.lesen(stueck, fehler); }};
    const auto kopieren = [&](QStringList argumente) {
        zeilen = {};
        // "-k" always: the reports stay on the phone.
        argumente = QStringList{QStringLiteral("-u"), udid, QStringLiteral("-k")} + argumente;
        argumente.append(pfad);
        return m_laeufer->ausfuehren(idevicecrashreport, argumente, abbruch, kopie);
    };
    auto lauf = kopieren({QStringLiteral("-f"), QStringLiteral("panic")});
    // The 1.3.0 tool (Debian 12) has no -f: it takes "-f" for the directory, prints its usage and
    // exits 0 without copying anything. Then fetch every report without the filter; only the
    // panic files below are ever opened.
    if (lauf && lauf->status == 0 && lauf->ausgabe.startsWith("Usage:") &&
        QDir(pfad).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        lauf = kopieren({});
    zeilen.abschliessen();
    const Urteil urteil = urteilen(lauf);
    if (urteil != Urteil::fertig && urteil != Urteil::zurueckgehalten)
        return std::unexpected(lesefehler(urteil));
    // A copy that skipped or cut short a panic file (the cut file stays behind and would be sent
    // as a whole report), could not read a directory, or still did not understand its arguments,
    // is not a complete list.
    if (zeilen.unvollstaendig() || lauf->ausgabe.startsWith("Usage:"))
        return std::unexpected(iPhoneAntwortetNicht());
    // Other files skipped: so does a copy whose phone left half-way, and then ends with status 0.
    // A listing that fails counts as not listed: usbmuxd may exit with the last phone.
    if (zeilen.uebersprungen()) {
        const auto liste = geraete(abbruch);
        if (!liste || !liste->contains(udid))
            return std::unexpected(iPhoneGetrennt());
    }
    QStringList eintraege;
    for (QDirIterator it(pfad, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        eintraege.append(it.next());
    QList<PanicLog> logs;
    for (const QString& datei : panicKandidatenWaehlen(eintraege))
        if (auto log = panicLogLesen(datei))
            logs.append(std::move(*log));
    return logs;
}

} // namespace kabel
