#pragma once

#include <QProcess>
#include <QTemporaryDir>
#include <memory>

namespace kabel::test {

// An install prefix as `cmake --install` lays it out: the real app in bin/; in share/sondit-kabel/ the fake
// tool script under all five tool names (bin/: the app never falls through to this machine's tools) and
// its scenario (szenario/, see `werkzeug`). A call reads "idevicepair -u U validate", "DIR" for a directory.
class Buehne {
public:
    static QString udid() { return "00008110-001A2B3C4D5E801E"; }

    Buehne();
    bool gueltig() const { return m_gueltig; }
    QString werkzeugVerzeichnis() const { return m_wurzel.path() + "/share/sondit-kabel/bin"; }

    // The call stays silent this long before answering; with no call given, every call does.
    void dauer(const QString& aufruf, double sekunden) const {
        schreiben(aufruf.isEmpty() ? "alle.dauer" : "antworten/" + aufruf + ".dauer",
                  QByteArray::number(sekunden));
    }
    // A file the call copies into its directory argument.
    void datei(const QString& aufruf, const QString& relativ, const QByteArray& inhalt) const {
        schreiben("antworten/" + aufruf + ".dateien/" + relativ, inhalt);
    }
    // A trusted iPhone14,5 with battery figures and three panic logs, as Debian's 1.3.0 tools
    // answer (the crash tool takes "-f" for a directory and prints its usage): daten/iphone.json.
    void iphone() const;
    QStringList aufrufe() const;

    // The app with these arguments; headless unless `sichtbar`.
    std::unique_ptr<QProcess> starten(const QStringList& argumente, bool sichtbar = false) const;
    static void kopplungEntfernenSetzen(bool an);

private:
    void schreiben(const QString& relativ, const QByteArray& inhalt) const;

    QTemporaryDir m_wurzel;
    bool m_gueltig = false;
};

// Ends an app process the way a desktop session does, and waits for it.
void beenden(QProcess& prozess);

} // namespace kabel::test
