#pragma once

#include "flow/Schritt.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace kabel {

// Tests compare steps as values: the same case with the same text.
inline bool operator==(const Schritt& a, const Schritt& b) {
    return a.fall() == b.fall() && a.text() == b.text();
}
inline char* toString(const Schritt& schritt) {
    const char* const namen[] = {"ohneLink", "linkUngueltig", "wartetAufGeraet", "wartetAufVertrauen",
                                 "liest",    "sendet",        "fertig",          "fehler"};
    return QTest::toString(namen[int(schritt.fall())] + (' ' + schritt.text()));
}

} // namespace kabel

namespace kabel::test {

// Points HOME, the XDG directories and TMPDIR at a fresh temporary directory for the life of the
// process, so tests never touch the user's settings, runtime sockets or temporary files.
struct Testumgebung {
    QTemporaryDir wurzel{QDir::tempPath() + "/kabel-test-XXXXXX"};
    Testumgebung() {
        for (const char* name :
             {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
            const QString pfad = wurzel.path() + '/' + QString(name).toLower();
            QDir().mkpath(pfad);
            QFile::setPermissions(pfad, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv(name, QFile::encodeName(pfad));
        }
    }
};

} // namespace kabel::test

// Like QTEST_MAIN, with the isolated environment in place before the application object, and
// the offscreen platform unless one is chosen.
#define KABEL_TEST_MAIN_MIT(Anwendung, Klasse)                                                               \
    int main(int argc, char** argv) {                                                                        \
        kabel::test::Testumgebung umgebung;                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                  \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                         \
        Anwendung app(argc, argv);                                                                           \
        app.setOrganizationName("Sondit-Test");                                                              \
        app.setApplicationName(#Klasse);                                                                     \
        Klasse test;                                                                                         \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
#define KABEL_TEST_MAIN(Klasse) KABEL_TEST_MAIN_MIT(QCoreApplication, Klasse)
