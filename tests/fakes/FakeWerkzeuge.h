#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <utility>

namespace kabel::test {

// One call of a fake tool as it logged itself.
struct Aufruf {
    QString werkzeug;
    QStringList argumente;

    QString alsText() const { return (QStringList{werkzeug} + argumente).join(u' '); }
    friend bool operator==(const Aufruf&, const Aufruf&) = default;
};

// A temporary tool directory bin/ holding links to the fake libimobiledevice tools of
// tests/fakes/, and the scenario directory szenario/ beside it that drives them (format in
// tests/fakes/README.md). Everything is removed when the object goes. Hand
// werkzeugVerzeichnisse() to Libimobiledevice. Scenario files may be changed at any time, also
// while a tool runs; each tool reads them when it is called.
class FakeWerkzeuge {
public:
    static QString standardUdid() { return QStringLiteral("00008110-001A2B3C4D5E801E"); }
    // The five tool names, as the fakes are named.
    static QStringList werkzeugNamen();
    // The source directory of the fake scripts.
    static QString fakeQuellen();

    FakeWerkzeuge();

    bool gueltig() const { return m_gueltig; }
    QString wurzel() const { return m_verzeichnis.path(); }
    QString binVerzeichnis() const { return wurzel() + u"/bin/"; }
    QString szenario() const { return wurzel() + u"/szenario"; }
    QStringList werkzeugVerzeichnisse() const { return {binVerzeichnis()}; }

    // Removes a tool from bin/, as if it were not installed.
    void werkzeugEntfernen(const QString& name) const;

    // Any scenario file, relative to szenario/; missing directories are created.
    void schreiben(const QString& relativ, const QByteArray& inhalt) const;
    void entfernen(const QString& relativ) const;

    // What `idevice_id -l` prints (verbatim) and its status.
    void geraeteSetzen(const QByteArray& ausgabe, int status = 0) const;
    void vertrauenSetzen(const QString& udid, bool vertraut) const;
    // How an untrusted phone answers: "ausstehend" (default), "abgelehnt", "code", "veraltet".
    void kopplungsantwortSetzen(const QString& antwort) const;
    // The user taps "Trust" during the first pair request.
    void vertrauenBeiKopplung(bool ja) const;
    // The exact bytes `ideviceinfo -k KEY` prints; no file means "key without value".
    void infoSetzen(const QString& schluessel, const QByteArray& ausgabe) const;
    // What `idevicediagnostics ioregentry` prints before its final extra line feed, and its status.
    void akkuSetzen(const QByteArray& plist, int status = 0) const;
    // An XML answer as libplist 2.2 prints it: {IORegistry: {key: value...}}, values given as XML
    // elements such as "<integer>2810</integer>".
    static QByteArray akkuPlist(const QList<std::pair<QString, QString>>& eintraege);
    // A file on the phone, relative to its crash-report folder (e.g. "Retired/panic-x.ips").
    void crashDateiSetzen(const QString& relativ, const QByteArray& inhalt) const;
    // The crash tool behaves like 1.4.0 (-f supported) instead of Debian's 1.3.0.
    void crashreportMitFilter(bool ja) const;
    void ohneUsbmuxd(bool ja) const;
    // The tool waits this long before it answers.
    void dauerSetzen(const QString& werkzeug, double sekunden) const;
    // Overrides the tool's exit status.
    void statusSetzen(const QString& werkzeug, int status) const;

    // A plausible trusted iPhone: iPhone14,5 on iOS 17.5.1, two IMEIs, activated, a battery
    // answer (2810 of 3227 mAh, 523 cycles, 30.55 °C) and three panic logs among other reports.
    void iphoneVoreinstellen(const QString& udid = standardUdid()) const;

    QList<Aufruf> aufrufe() const;
    QList<Aufruf> aufrufe(const QString& werkzeug) const;
    void aufrufeLeeren() const;
    // The directory arguments the crash tool received, each with its octal mode (e.g. "700").
    QList<std::pair<QString, QString>> crashreportZiele() const;

private:
    QTemporaryDir m_verzeichnis;
    bool m_gueltig = false;
};

} // namespace kabel::test
