#include "Libimobiledevice.h"

#include "Akkuantwort.h"
#include "Arbeitsverzeichnis.h"
#include "Logkategorie.h"
#include "Panicauswahl.h"
#include "Panicdatei.h"
#include "Prozesslaeufer.h"

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

// The one verdict on a run of ideviceinfo, idevicediagnostics or idevicecrashreport, from the
// runner's failure or the status and both streams (1.3.0 prints some errors on stdout), logged
// unless `fertig`: a whole answer; the value withheld (status 0, nothing printed); the phone gone;
// the phone not answering (killed, lockdown refused); the tool missing; or otherwise failed.
enum class Urteil { fertig, zurueckgehalten, getrennt, antwortetNicht, werkzeugFehlt, fehlgeschlagen };

Urteil urteilen(const Ergebnis<Werkzeugergebnis>& lauf) {
    const Urteil urteil = [&] {
        if (!lauf) {
            const auto* zugriff = std::get_if<ZugriffFehler>(&lauf.error());
            return std::holds_alternative<Abgebrochen>(lauf.error()) ? Urteil::antwortetNicht
                   : zugriff && zugriff->fall() == ZugriffFehler::Fall::werkzeugFehlt
                       ? Urteil::werkzeugFehlt
                       : Urteil::fehlgeschlagen;
        }
        if (lauf->status == 0)
            return QString::fromUtf8(lauf->ausgabe).trimmed().isEmpty() ? Urteil::zurueckgehalten
                                                                        : Urteil::fertig;
        // "No device found with udid …." (idevicediagnostics, idevicecrashreport), "ERROR: Device …
        // not found!" (ideviceinfo); "Could not connect to lockdownd: SSL error (-5)", "…, error code -5".
        static const QRegularExpression getrennt(
            QStringLiteral("^(No device found|ERROR: No device found|ERROR: Device \\S+ not found!)"),
            QRegularExpression::MultilineOption);
        const QString text =
            QString::fromUtf8(lauf->ausgabe) + u'\n' + QString::fromUtf8(lauf->fehlerausgabe);
        return text.contains(getrennt)                            ? Urteil::getrennt
               : text.contains(u"Could not connect to lockdownd") ? Urteil::antwortetNicht
                                                                  : Urteil::fehlgeschlagen;
    }();
    static constexpr const char* namen[] = {"fertig",          "zurückgehalten", "getrennt",
                                            "antwortet nicht", "Werkzeug fehlt", "fehlgeschlagen"};
    if (urteil != Urteil::fertig)
        qCDebug(logGeraet) << "Urteil:" << namen[int(urteil)];
    return urteil;
}

// What a reading that ends on `urteil` fails with.
ZugriffFehler lesefehler(Urteil urteil) {
    return urteil == Urteil::getrennt        ? iPhoneGetrennt()
           : urteil == Urteil::werkzeugFehlt ? ZugriffFehler::werkzeugFehlt()
                                             : iPhoneAntwortetNicht();
}

// What a crash-report copy says of its completeness, read from both streams as they arrive (a
// line split across reads included; a line is kept up to 64 KiB). Unvollständig: it skipped or cut
// short a panic file, or could not read a directory. Übersprungen: it skipped another file, as it
// does for every file once the phone has gone (ending with "Done." and status 0 all the same).
struct Kopierzeilen {
    QByteArray rest[2]; // the unfinished line of stdout and of stderr
    bool unvollstaendig = false, uebersprungen = false;

    void lesen(QByteArrayView stueck, bool fehlerausgabe) {
        QByteArray& offen = rest[fehlerausgabe ? 1 : 0];
        for (qsizetype ende; (ende = stueck.indexOf('\n')) >= 0; stueck = stueck.sliced(ende + 1)) {
            zeile(offen += stueck.first(ende));
            offen.clear();
        }
        offen += stueck.first(std::min(stueck.size(), std::max<qsizetype>((1 << 16) - offen.size(), 0)));
    }
    // "Failed to read information for '<path>'. Skipping..." (stdout), "Unable to open device file
    // '<path>' (<n>). Skipping...", "ERROR: Could not read device directory '<path>'", "File size
    // mismatch. Skipping..." (stderr).
    void zeile(QByteArrayView zeile) {
        if (zeile.contains("File size mismatch") || zeile.contains("Could not read device directory"))
            unvollstaendig = true;
        else if (zeile.contains("Skipping") || zeile.contains("Unable to open")) {
            const qsizetype anfang = zeile.indexOf('\''), ende = zeile.lastIndexOf('\'');
            const QByteArrayView pfad =
                ende > anfang ? zeile.sliced(anfang + 1, ende - anfang - 1) : QByteArrayView();
            (pfad.sliced(pfad.lastIndexOf('/') + 1).toByteArray().toLower().startsWith("panic")
                 ? unvollstaendig
                 : uebersprungen) = true;
        }
    }
};

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
    return urteil == Urteil::fertig ? akkudatenAusAntwort(lauf->ausgabe) : std::nullopt;
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
    for (const QByteArray& offen : zeilen.rest) // the unfinished last lines
        zeilen.zeile(offen);
    const Urteil urteil = urteilen(lauf);
    if (urteil != Urteil::fertig && urteil != Urteil::zurueckgehalten)
        return std::unexpected(lesefehler(urteil));
    // A copy that skipped or cut short a panic file (the cut file stays behind and would be sent
    // as a whole report), could not read a directory, or still did not understand its arguments,
    // is not a complete list.
    if (zeilen.unvollstaendig || lauf->ausgabe.startsWith("Usage:"))
        return std::unexpected(iPhoneAntwortetNicht());
    // Other files skipped: so does a copy whose phone left half-way, and then ends with status 0.
    // A listing that fails counts as not listed: usbmuxd may exit with the last phone.
    if (zeilen.uebersprungen) {
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
