#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace kabel::test {

// Points HOME, the XDG directories and TMPDIR at a fresh temporary directory for the life of the
// process, so tests never touch the user's settings, runtime sockets or temporary files.
class Testumgebung {
public:
    Testumgebung() {
        for (const char* name :
             {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
            const QString pfad = m_wurzel.path() + '/' + QString(name).toLower();
            QDir().mkpath(pfad);
            QFile::setPermissions(pfad, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv(name, QFile::encodeName(pfad));
        }
    }

private:
    QTemporaryDir m_wurzel{QDir::tempPath() + "/kabel-test-XXXXXX"};
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
