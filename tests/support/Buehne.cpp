#include "Buehne.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace kabel::test {

namespace {

QByteArray lesen(const QString& pfad) {
    QFile datei(pfad);
    return datei.open(QIODevice::ReadOnly) ? datei.readAll() : QByteArray();
}

} // namespace

Buehne::Buehne() {
    // A copy, not a link: the app finds its resources next to where it really is.
    m_gueltig = QDir().mkpath(m_wurzel.path() + "/bin") && QDir().mkpath(werkzeugVerzeichnis()) &&
                QFile::copy(KABEL_PROGRAMM, m_wurzel.path() + "/bin/sondit-kabel");
    for (const char* name :
         {"idevice_id", "idevicepair", "ideviceinfo", "idevicediagnostics", "idevicecrashreport"})
        m_gueltig = m_gueltig && QFile::link(KABEL_WERKZEUG, werkzeugVerzeichnis() + '/' + name);
    schreiben("aufrufe.log", {});
}

void Buehne::schreiben(const QString& relativ, const QByteArray& inhalt) const {
    const QString pfad = m_wurzel.path() + "/share/sondit-kabel/szenario/" + relativ;
    QDir().mkpath(QFileInfo(pfad).path());
    QFile datei(pfad);
    if (datei.open(QIODevice::WriteOnly))
        datei.write(inhalt);
}

void Buehne::antwort(const QString& aufruf, const QByteArray& ausgabe, int status) const {
    schreiben("antworten/" + aufruf, ausgabe);
    schreiben("antworten/" + aufruf + ".status", QByteArray::number(status));
}

void Buehne::dauer(const QString& aufruf, double sekunden) const {
    schreiben(aufruf.isEmpty() ? "alle.dauer" : "antworten/" + aufruf + ".dauer",
              QByteArray::number(sekunden));
}

void Buehne::datei(const QString& aufruf, const QString& relativ, const QByteArray& inhalt) const {
    schreiben("antworten/" + aufruf + ".dateien/" + relativ, inhalt);
}

void Buehne::iphone() const {
    const QString u = " -u " + udid();
    antwort("idevice_id -l", udid().toUtf8() + '\n');
    antwort("idevicepair" + u + " validate",
            "SUCCESS: Validated pairing with device " + udid().toUtf8() + '\n');
    antwort("idevicepair" + u + " unpair", "SUCCESS: Unpaired with device " + udid().toUtf8() + '\n');
    const std::pair<const char*, QByteArray> werte[] = {
        {"ProductType", "iPhone14,5"},
        {"ProductVersion", "17.5.1"},
        {"SerialNumber", "F2LXQ0ABCD12"},
        {"InternationalMobileEquipmentIdentity", "356789101234567"},
        {"InternationalMobileEquipmentIdentity2", "356789101234575"},
        {"ActivationState", "Activated"}};
    for (const auto& [schluessel, wert] : werte)
        antwort("ideviceinfo" + u + " -k " + schluessel, wert + '\n');
    antwort("idevicediagnostics" + u + " ioregentry AppleSmartBattery",
            lesen(KABEL_DATEN "/iphone-akku.plist"));
    antwort("idevicecrashreport" + u + " -k -f panic DIR", "Usage: idevicecrashreport [OPTIONS] DIRECTORY\n");
    for (const auto& [name, zeit, vorfall] :
         {std::tuple{"panic-full-2024-05-17-081530.000.ips", "2024-05-17 08:15:30.00",
                     "6F1C2D3E-4A5B-4C6D-8E7F-901A2B3C4D5E"},
          {"panic-full-2024-03-02-101112.0002.ips", "2024-03-02 10:11:12.00",
           "0A1B2C3D-4E5F-4061-8273-94A5B6C7D8E9"},
          {"Retired/panic-full-2023-11-30-220145.000.ips", "2023-11-30 22:01:45.00",
           "9F8E7D6C-5B4A-4392-8170-6F5E4D3C2B1A"},
          {"JetsamEvent-2024-05-20-093012.ips", "", ""}})
        datei(
            "idevicecrashreport" + u + " -k DIR", name,
            QByteArray("{\"bug_type\":\"210\",\"timestamp\":\"") + zeit +
                " +0200\",\"os_version\":\"iPhone OS 17.5.1 (21F90)\",\"incident_id\":\"" + vorfall +
                "\"}\n{\n  \"build\" : \"iPhone OS 17.5.1 (21F90)\",\n  \"product\" : \"iPhone14,5\",\n  \"panicString\" "
                ": \"panic(cpu 1 caller 0xfffffff0281a3b2c): watchdog timeout: no checkins from watchdogd in 180 seconds\"\n}\n");
}

QStringList Buehne::aufrufe() const {
    return QString::fromUtf8(lesen(m_wurzel.path() + "/share/sondit-kabel/szenario/aufrufe.log"))
        .split('\n', Qt::SkipEmptyParts);
}

std::unique_ptr<QProcess> Buehne::starten(const QStringList& argumente, bool sichtbar) const {
    auto prozess = std::make_unique<QProcess>();
    QProcessEnvironment umgebung = QProcessEnvironment::systemEnvironment();
    if (!sichtbar)
        umgebung.insert("QT_QPA_PLATFORM", "offscreen");
    prozess->setProcessEnvironment(umgebung);
    prozess->start(m_wurzel.path() + "/bin/sondit-kabel", argumente);
    return prozess;
}

void Buehne::kopplungEntfernenSetzen(bool an) {
    QSettings(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                  "/Sondit/Sondit Kabel.conf",
              QSettings::IniFormat)
        .setValue("kopplungEntfernen", an);
}

void beenden(QProcess& prozess) {
    prozess.terminate();
    if (!prozess.waitForFinished(5000))
        prozess.kill();
    prozess.waitForFinished(5000);
}

} // namespace kabel::test
