#include "FakeWerkzeuge.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kabel::test {

QStringList FakeWerkzeuge::werkzeugNamen() {
    return {QStringLiteral("idevice_id"), QStringLiteral("idevicepair"), QStringLiteral("ideviceinfo"),
            QStringLiteral("idevicediagnostics"), QStringLiteral("idevicecrashreport")};
}

QString FakeWerkzeuge::fakeQuellen() {
    return QStringLiteral(KABEL_FAKES_QUELLE);
}

FakeWerkzeuge::FakeWerkzeuge() {
    if (!m_verzeichnis.isValid())
        return;
    const QDir wurzelDir(wurzel());
    m_gueltig = wurzelDir.mkpath(QStringLiteral("bin")) && wurzelDir.mkpath(QStringLiteral("szenario"));
    for (const QString& name : werkzeugNamen())
        m_gueltig = m_gueltig && QFile::link(fakeQuellen() + u'/' + name, binVerzeichnis() + name);
    schreiben(QStringLiteral("aufrufe.log"), {});
}

void FakeWerkzeuge::werkzeugEntfernen(const QString& name) const {
    QFile::remove(binVerzeichnis() + name);
}

void FakeWerkzeuge::schreiben(const QString& relativ, const QByteArray& inhalt) const {
    const QString pfad = szenario() + u'/' + relativ;
    QDir().mkpath(QFileInfo(pfad).absolutePath());
    // Written to a neighbour and renamed, so a tool running meanwhile sees old or new, never half.
    const QString neu = pfad + u".neu";
    QFile datei(neu);
    if (datei.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        datei.write(inhalt);
        datei.close();
        QFile::remove(pfad);
        QFile::rename(neu, pfad);
    }
}

void FakeWerkzeuge::entfernen(const QString& relativ) const {
    const QString pfad = szenario() + u'/' + relativ;
    if (QFileInfo(pfad).isDir())
        QDir(pfad).removeRecursively();
    else
        QFile::remove(pfad);
}

void FakeWerkzeuge::geraeteSetzen(const QByteArray& ausgabe, int status) const {
    schreiben(QStringLiteral("geraete"), ausgabe);
    schreiben(QStringLiteral("geraete.status"), QByteArray::number(status));
}

void FakeWerkzeuge::vertrauenSetzen(const QString& udid, bool vertraut) const {
    if (vertraut)
        schreiben(u"vertraut/" + udid, {});
    else
        entfernen(u"vertraut/" + udid);
}

void FakeWerkzeuge::kopplungsantwortSetzen(const QString& antwort) const {
    schreiben(QStringLiteral("kopplung"), antwort.toUtf8());
}

void FakeWerkzeuge::vertrauenBeiKopplung(bool ja) const {
    if (ja)
        schreiben(QStringLiteral("pair-vertraut"), {});
    else
        entfernen(QStringLiteral("pair-vertraut"));
}

void FakeWerkzeuge::infoSetzen(const QString& schluessel, const QByteArray& ausgabe) const {
    schreiben(u"info/" + schluessel, ausgabe);
}

void FakeWerkzeuge::akkuSetzen(const QByteArray& plist, int status) const {
    schreiben(QStringLiteral("akku.plist"), plist);
    schreiben(QStringLiteral("akku.status"), QByteArray::number(status));
}

QByteArray FakeWerkzeuge::akkuPlist(const QList<std::pair<QString, QString>>& eintraege) {
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                 "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                 "<plist version=\"1.0\">\n<dict>\n\t<key>IORegistry</key>\n");
    if (eintraege.isEmpty()) {
        xml += u"\t<dict/>\n";
    } else {
        xml += u"\t<dict>\n";
        for (const auto& [schluessel, wert] : eintraege)
            xml += u"\t\t<key>" + schluessel + u"</key>\n\t\t" + wert + u'\n';
        xml += u"\t</dict>\n";
    }
    xml += u"</dict>\n</plist>\n";
    return xml.toUtf8();
}

void FakeWerkzeuge::crashDateiSetzen(const QString& relativ, const QByteArray& inhalt) const {
    schreiben(u"crash/" + relativ, inhalt);
}

void FakeWerkzeuge::crashreportMitFilter(bool ja) const {
    if (ja)
        schreiben(QStringLiteral("crashreport-1.4"), {});
    else
        entfernen(QStringLiteral("crashreport-1.4"));
}

void FakeWerkzeuge::ohneUsbmuxd(bool ja) const {
    if (ja)
        schreiben(QStringLiteral("kein-usbmuxd"), {});
    else
        entfernen(QStringLiteral("kein-usbmuxd"));
}

void FakeWerkzeuge::dauerSetzen(const QString& werkzeug, double sekunden) const {
    schreiben(werkzeug + u".dauer", QString::number(sekunden).toUtf8());
}

void FakeWerkzeuge::statusSetzen(const QString& werkzeug, int status) const {
    schreiben(werkzeug + u".status", QByteArray::number(status));
}

void FakeWerkzeuge::iphoneVoreinstellen(const QString& udid) const {
    geraeteSetzen(udid.toUtf8() + '\n');
    vertrauenSetzen(udid, true);
    infoSetzen(QStringLiteral("ProductType"), "iPhone14,5\n");
    infoSetzen(QStringLiteral("ProductVersion"), "17.5.1\n");
    infoSetzen(QStringLiteral("SerialNumber"), "F2LXQ0ABCD12\n");
    infoSetzen(QStringLiteral("InternationalMobileEquipmentIdentity"), "356789101234567\n");
    infoSetzen(QStringLiteral("InternationalMobileEquipmentIdentity2"), "356789101234575\n");
    infoSetzen(QStringLiteral("ActivationState"), "Activated\n");
    akkuSetzen(akkuPlist({
        {QStringLiteral("Amperage"), QStringLiteral("<integer>-1274</integer>")},
        {QStringLiteral("AppleRawMaxCapacity"), QStringLiteral("<integer>2900</integer>")},
        {QStringLiteral("BatteryData"),
         QStringLiteral("<dict>\n\t\t\t<key>CycleCount</key>\n\t\t\t<integer>523</integer>\n\t\t</dict>")},
        {QStringLiteral("CycleCount"), QStringLiteral("<integer>523</integer>")},
        {QStringLiteral("DesignCapacity"), QStringLiteral("<integer>3227</integer>")},
        {QStringLiteral("ExternalConnected"), QStringLiteral("<true/>")},
        {QStringLiteral("NominalChargeCapacity"), QStringLiteral("<integer>2810</integer>")},
        {QStringLiteral("Temperature"), QStringLiteral("<integer>3055</integer>")},
        {QStringLiteral("Voltage"), QStringLiteral("<integer>3876</integer>")},
    }));
    const auto panic = [](const char* zeit, const char* vorfall) -> QByteArray {
        return QByteArray("{\"bug_type\":\"210\",\"timestamp\":\"") + zeit +
               " +0200\",\"os_version\":\"iPhone OS 17.5.1 (21F90)\",\"incident_id\":\"" + vorfall +
               "\"}\n{\n  \"build\" : \"iPhone OS 17.5.1 (21F90)\",\n  \"product\" : \"iPhone14,5\",\n"
               "  \"panicString\" : \"panic(cpu 1 caller 0xfffffff0281a3b2c): watchdog timeout: no "
               "checkins from watchdogd in 180 seconds\"\n}\n";
    };
    crashDateiSetzen(QStringLiteral("panic-full-2024-05-17-081530.000.ips"),
                     panic("2024-05-17 08:15:30.00", "6F1C2D3E-4A5B-4C6D-8E7F-901A2B3C4D5E"));
    crashDateiSetzen(QStringLiteral("panic-full-2024-03-02-101112.0002.ips"),
                     panic("2024-03-02 10:11:12.00", "0A1B2C3D-4E5F-4061-8273-94A5B6C7D8E9"));
    crashDateiSetzen(QStringLiteral("Retired/panic-full-2023-11-30-220145.000.ips"),
                     panic("2023-11-30 22:01:45.00", "9F8E7D6C-5B4A-4392-8170-6F5E4D3C2B1A"));
    crashDateiSetzen(QStringLiteral("JetsamEvent-2024-05-20-093012.ips"), "{\"bug_type\":\"298\"}\n");
    crashDateiSetzen(QStringLiteral("Analytics-2024-05-21-000000.ips.ca.synced"), "{\"bug_type\":\"211\"}\n");
}

QList<Aufruf> FakeWerkzeuge::aufrufe() const {
    QFile log(szenario() + u"/aufrufe.log");
    QList<Aufruf> liste;
    if (!log.open(QIODevice::ReadOnly))
        return liste;
    for (const QByteArray& zeile : log.readAll().split('\n')) {
        if (zeile.isEmpty())
            continue;
        QStringList teile = QString::fromUtf8(zeile).split(u'\t');
        const QString werkzeug = teile.takeFirst();
        liste.append({werkzeug, teile});
    }
    return liste;
}

QList<Aufruf> FakeWerkzeuge::aufrufe(const QString& werkzeug) const {
    QList<Aufruf> liste;
    for (const Aufruf& aufruf : aufrufe())
        if (aufruf.werkzeug == werkzeug)
            liste.append(aufruf);
    return liste;
}

void FakeWerkzeuge::aufrufeLeeren() const {
    schreiben(QStringLiteral("aufrufe.log"), {});
}

QList<std::pair<QString, QString>> FakeWerkzeuge::crashreportZiele() const {
    QFile log(szenario() + u"/crashreport-ziele.log");
    QList<std::pair<QString, QString>> liste;
    if (!log.open(QIODevice::ReadOnly))
        return liste;
    for (const QByteArray& zeile : log.readAll().split('\n')) {
        const QList<QByteArray> teile = zeile.split('\t');
        if (teile.size() == 2)
            liste.append({QString::fromUtf8(teile[0]), QString::fromUtf8(teile[1])});
    }
    return liste;
}

} // namespace kabel::test
