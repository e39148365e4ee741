// The real executable, started as the desktop starts it, in an isolated home and runtime directory.
#include "Testdienst.h"
#include "Testumgebung.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <unistd.h>

using kabel::test::Testdienst;

namespace {

const QString programm = QStringLiteral(KABEL_PROGRAMM);
constexpr int grosszuegig = 15000;

QString socketPfad() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + u"/sondit-kabel-" +
           QString::number(::getuid());
}

} // namespace

class TestProgramm : public QObject {
    Q_OBJECT

private:
    QList<QProcess*> m_prozesse;

    QProcess* starten(const QStringList& argumente = {}) {
        auto* prozess = new QProcess(this);
        m_prozesse << prozess;
        prozess->start(programm, argumente);
        return prozess;
    }

    // A process that hands over and ends: quickly, with status 0 and without a word.
    void pruefeUebergabe(QProcess* prozess) {
        QVERIFY(prozess->waitForFinished(grosszuegig));
        QCOMPARE(prozess->exitStatus(), QProcess::NormalExit);
        QCOMPARE(prozess->exitCode(), 0);
        QCOMPARE(prozess->readAllStandardOutput(), QByteArray());
        QCOMPARE(prozess->readAllStandardError(), QByteArray());
    }

    void pruefeLaeuftStumm(QProcess* prozess) {
        QCOMPARE(prozess->state(), QProcess::Running);
        QCOMPARE(prozess->readAllStandardOutput(), QByteArray());
        QCOMPARE(prozess->readAllStandardError(), QByteArray());
    }

private Q_SLOTS:
    void cleanup() {
        for (QProcess* prozess : std::as_const(m_prozesse)) {
            prozess->kill();
            prozess->waitForFinished();
            delete prozess;
        }
        m_prozesse.clear();
        QFile::remove(socketPfad());
    }

    void ohneLinkWartetDieInstanz() {
        QProcess* erste = starten();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socketPfad()), grosszuegig);
        QVERIFY((QFileInfo(socketPfad()).permissions() & (QFile::ReadOther | QFile::WriteOther)) == 0);
        // Started again from the menu: the running instance shows its window, the new one ends.
        pruefeUebergabe(starten());
        pruefeLaeuftStumm(erste);
    }

    void linkGehtAnDieLaufendeInstanz() {
        Testdienst dienst;
        QProcess* erste = starten();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socketPfad()), grosszuegig);

        pruefeUebergabe(starten({dienst.link().toString(QUrl::FullyEncoded)}));
        QTRY_COMPARE_WITH_TIMEOUT(dienst.anzahl("GET"), 1, grosszuegig);
        QCOMPARE(dienst.anfragen().first().pfad, QByteArray("/api/public/kabel/token"));

        pruefeUebergabe(
            starten({dienst.link(QStringLiteral("/api/public/kabel/zwei")).toString(QUrl::FullyEncoded)}));
        QTRY_COMPARE_WITH_TIMEOUT(dienst.anzahl("GET"), 2, grosszuegig);
        QCOMPARE(dienst.anfragen().last().pfad, QByteArray("/api/public/kabel/zwei"));
        pruefeLaeuftStumm(erste);
    }

    void startLinkNimmtDenselbenWeg() {
        Testdienst dienst;
        QProcess* erste = starten({dienst.link().toString(QUrl::FullyEncoded)});
        QTRY_COMPARE_WITH_TIMEOUT(dienst.anzahl("GET"), 1, grosszuegig);
        pruefeLaeuftStumm(erste);
    }

    void nurDasErsteArgumentZaehlt() {
        Testdienst dienst;
        QProcess* erste = starten({dienst.link().toString(QUrl::FullyEncoded), QStringLiteral("--help"),
                                   dienst.link(QStringLiteral("/zwei")).toString(QUrl::FullyEncoded)});
        QTRY_COMPARE_WITH_TIMEOUT(dienst.anzahl("GET"), 1, grosszuegig);
        QTest::qWait(200); // time for a wrongly read second link to show up
        QCOMPARE(dienst.anzahl("GET"), 1);
        pruefeLaeuftStumm(erste);
    }

    void nachAbsturzUebernimmtDerNaechste() {
        QProcess* abgestuerzt = starten();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socketPfad()), grosszuegig);
        abgestuerzt->kill();
        QVERIFY(abgestuerzt->waitForFinished(grosszuegig));
        QVERIFY(QFileInfo::exists(socketPfad()));

        Testdienst dienst;
        QProcess* neu = starten({dienst.link().toString(QUrl::FullyEncoded)});
        QTRY_COMPARE_WITH_TIMEOUT(dienst.anzahl("GET"), 1, grosszuegig);
        pruefeLaeuftStumm(neu);
        pruefeUebergabe(starten({dienst.link().toString(QUrl::FullyEncoded)}));
        QTRY_COMPARE_WITH_TIMEOUT(dienst.anzahl("GET"), 2, grosszuegig);
    }
};

int main(int argc, char** argv) {
    kabel::test::Testumgebung umgebung;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    TestProgramm test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_programm.moc"
