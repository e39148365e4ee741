#pragma once

#include "fakes/FakeWerkzeuge.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace kabel::test {

// An install prefix as `cmake --install` lays it out, with the real app in bin/ and, as its
// resource directory share/sondit-kabel/, the fake tools with their scenario. The app is started
// headless and inherits the test's isolated HOME, XDG directories and TMPDIR.
class Buehne {
public:
    explicit Buehne(const FakeWerkzeuge& werkzeuge);

    bool gueltig() const { return m_gueltig; }
    QString programm() const { return m_prefix.path() + u"/bin/sondit-kabel"; }

    // Starts the app with these arguments (normally one link); headless unless `sichtbar`.
    std::unique_ptr<QProcess> starten(const QStringList& argumente, bool sichtbar = false) const;

    // The stored option, as the window's toggle writes it.
    static void kopplungEntfernenSetzen(bool an);

private:
    QTemporaryDir m_prefix;
    bool m_gueltig = false;
};

// Ends an app process and waits for it: the way a desktop session ends it.
void beenden(QProcess& prozess);

} // namespace kabel::test
