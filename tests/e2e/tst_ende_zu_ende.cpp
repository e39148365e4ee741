// The real executable, from an install prefix whose tools are the fake: what only a separate
// process can show. Everything else is proven in process.
#include "Buehne.h"
#include "Testdienst.h"
#include "Testumgebung.h"

#include <QDir>
#include <QStandardPaths>
#include <QUuid>
#include <unistd.h>

using namespace kabel::test;

namespace {

QByteArray golden() {
    QFile datei(QFINDTESTDATA("golden/bericht-iphone.json"));
    return datei.open(QIODevice::ReadOnly) ? datei.readAll().trimmed() : QByteArray();
}

// The processes whose command line holds `text`.
QStringList prozesse(const QString& text) {
    QStringList pids;
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile cmdline("/proc/" + pid + "/cmdline");
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(text.toUtf8()))
            pids << pid;
    }
    return pids;
}

QStringList arbeitsverzeichnisse() {
    return QDir(QDir::tempPath()).entryList({"sondit-kabel-*"}, QDir::AllEntries | QDir::System, QDir::Name);
}

} // namespace

class TestEndeZuEnde : public QObject {
    Q_OBJECT

    std::unique_ptr<Buehne> m_buehne;
    std::unique_ptr<Testdienst> m_dienst;
    QList<std::shared_ptr<QProcess>> m_apps;

    QProcess& starten(const QStringList& argumente = {}) {
        m_apps.append(m_buehne->starten(argumente));
        return *m_apps.last();
    }
    QProcess& starten(const QUrl& link) { return starten(QStringList{link.toString(QUrl::FullyEncoded)}); }

    // Ends at once with status 0, and said nothing.
    static bool endetStill(QProcess& app) {
        return (app.state() == QProcess::NotRunning || app.waitForFinished(15000)) &&
               app.exitStatus() == QProcess::NormalExit && app.exitCode() == 0 &&
               app.readAllStandardOutput().isEmpty() && app.readAllStandardError().isEmpty();
    }

private Q_SLOTS:
    void init() {
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).removeRecursively();
        m_buehne = std::make_unique<Buehne>();
        QVERIFY(m_buehne->gueltig());
        m_dienst = std::make_unique<Testdienst>();
    }
    void cleanup() {
        for (const auto& app : m_apps)
            beenden(*app);
        m_apps.clear();
    }

    void golden_data() {
        QTest::addColumn<bool>("entkoppeln");
        QTest::newRow("pairing removed") << true;
        QTest::newRow("pairing kept") << false;
    }
    void golden() {
        QFETCH(bool, entkoppeln);
        m_buehne->iphone();
        Buehne::kopplungEntfernenSetzen(entkoppeln);
        qputenv("QT_LOGGING_RULES", "kabel.*=true");
        QProcess& app = starten(m_dienst->link());
        qunsetenv("QT_LOGGING_RULES");
        QTRY_COMPARE_WITH_TIMEOUT(m_dienst->anzahl("POST"), 1, 20000);
        const Anfrage& post = m_dienst->anfragen().last();
        QCOMPARE(post.kopfzeilen.value("content-type"), QByteArray("application/json"));
        QCOMPARE(post.inhalt, ::golden());
        const QString u = " -u " + Buehne::udid();
        QStringList erwartet{"idevice_id -l", "idevicepair" + u + " validate"};
        for (const char* schluessel :
             {"ProductType", "ProductVersion", "SerialNumber", "InternationalMobileEquipmentIdentity",
              "InternationalMobileEquipmentIdentity2", "ActivationState"})
            erwartet << "ideviceinfo" + u + " -k " + schluessel;
        erwartet << "idevicediagnostics" + u + " ioregentry AppleSmartBattery"
                 << "idevicecrashreport" + u + " -k -f panic DIR"
                 << "idevicecrashreport" + u + " -k DIR";
        if (entkoppeln) {
            erwartet << "idevicepair" + u + " unpair";
            QTRY_COMPARE_WITH_TIMEOUT(m_buehne->aufrufe(), erwartet, 10000);
        }
        QCOMPARE(m_buehne->aufrufe(), erwartet);
        QCOMPARE(arbeitsverzeichnisse(), QStringList()); // nothing of the copied reports is left
        // The log, switched on, tells what ran without a word of what the phone said.
        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT((log += app.readAllStandardError()).contains("kabel.flow: Schritt fertig"),
                                 5000);
        QVERIFY(log.contains("kabel.device: idevicepair -u 00008110… validate → 0"));
        QVERIFY(log.contains("kabel.flow: GET 127.0.0.1 → 200"));
        for (const char* geheim :
             {"001A2B3C4D5E801E", "iPhone14,5", "356789101234567", "F2LXQ0ABCD12", "watchdog"})
            QVERIFY2(!log.contains(geheim), geheim);
    }

    // Quitting while a tool hangs or the loop pauses: the app ends at once and takes its tools with it.
    void endet_data() {
        QTest::addColumn<bool>("werkzeugHaengt");
        QTest::newRow("a phone that stops answering during the copy") << true;
        QTest::newRow("the loop pauses without a phone") << false;
    }
    void endet() {
        QFETCH(bool, werkzeugHaengt);
        if (werkzeugHaengt) {
            m_buehne->iphone();
            m_buehne->dauer("idevicecrashreport -u " + Buehne::udid() + " -k DIR", 600);
        }
        QProcess& app = starten(m_dienst->link());
        QTRY_VERIFY_WITH_TIMEOUT(m_buehne->aufrufe().size() == (werkzeugHaengt ? 11 : 2), 20000);
        // The tool holds none of the app's sockets (a leaked one could wake or stop the app).
        for (const QString& pid : prozesse(m_buehne->werkzeugVerzeichnis()))
            for (const QFileInfo& fd : QDir("/proc/" + pid + "/fd").entryInfoList(QDir::System))
                QVERIFY2(!fd.symLinkTarget().contains("socket:"), qPrintable(fd.symLinkTarget()));
        app.terminate();
        QVERIFY(endetStill(app));
        QTRY_VERIFY_WITH_TIMEOUT(prozesse(m_buehne->werkzeugVerzeichnis()).isEmpty(), 5000);
        QCOMPARE(arbeitsverzeichnisse(), QStringList()); // the copied reports went with the app
    }

    // A phone that stops answering during the copy of its reports: after 30 s without a word the
    // tool is killed, the check fails, nothing is sent and the copied reports are gone.
    void haengenderKopierer() {
        m_buehne->iphone();
        m_buehne->dauer("idevicecrashreport -u " + Buehne::udid() + " -k DIR", 600);
        qputenv("QT_LOGGING_RULES", "kabel.flow=true"); // the step the app is at
        QProcess& app = starten(m_dienst->link());
        qunsetenv("QT_LOGGING_RULES");
        QTRY_VERIFY_WITH_TIMEOUT(m_buehne->aufrufe().size() == 11, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(prozesse(m_buehne->werkzeugVerzeichnis()).isEmpty(), 60000);
        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT((log += app.readAllStandardError()).contains("Schritt fehler"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(arbeitsverzeichnisse(), QStringList(), 5000);
        QCOMPARE(m_dienst->anzahl("POST"), 0);
        QCOMPARE(app.state(), QProcess::Running);
    }

    // One instance per user: a later start hands its link over, also to an instance that has
    // taken over the socket a killed one left behind.
    void eineInstanz() {
        const QString socket = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                               "/sondit-kabel-" + QString::number(::getuid());
        QProcess& erste = starten();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 15000);
        QCOMPARE(QFileInfo(socket).permissions() & (QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
        QVERIFY(endetStill(starten(m_dienst->link())));
        QTRY_COMPARE_WITH_TIMEOUT(m_dienst->anzahl("GET"), 1, 15000);

        erste.kill();
        QVERIFY(erste.waitForFinished(5000));
        QVERIFY(QFileInfo::exists(socket));
        QProcess& zweite = starten(m_dienst->link("/api/public/kabel/zwei"));
        QTRY_COMPARE_WITH_TIMEOUT(m_dienst->anzahl("GET"), 2, 15000);
        QVERIFY(endetStill(starten(m_dienst->link("/api/public/kabel/drei"))));
        QTRY_COMPARE_WITH_TIMEOUT(m_dienst->anfragen().last().pfad, QByteArray("/api/public/kabel/drei"),
                                  15000);
        QVERIFY(zweite.state() == QProcess::Running && zweite.readAll().isEmpty());
    }

    // Two starts at the same moment, a few times over: one serves, the other hands over.
    void zugleich() {
        for (int runde = 0; runde < 3; ++runde) {
            QProcess& a = starten(m_dienst->link("/api/public/kabel/a"));
            QProcess& b = starten(m_dienst->link("/api/public/kabel/b"));
            QTRY_VERIFY_WITH_TIMEOUT(
                (a.state() == QProcess::NotRunning) != (b.state() == QProcess::NotRunning), 15000);
            QVERIFY(endetStill(a.state() == QProcess::NotRunning ? a : b));
            QTRY_COMPARE_WITH_TIMEOUT(m_dienst->anzahl("GET"), 2 * (runde + 1), 15000);
            cleanup();
        }
    }

    // Reports a killed app left behind are removed at the next start; look-alikes stay.
    void reste() {
        const QString tmp = QDir::tempPath() + "/sondit-kabel-";
        const auto uuid = [] { return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(); };
        const QString rest = tmp + uuid(), link = tmp + uuid();
        QVERIFY(QDir().mkpath(rest + "/Retired") && QDir().mkpath(tmp + "andere") &&
                QDir().mkpath(tmp + "ziel"));
        QVERIFY(QFile::link(tmp + "ziel", link));
        starten();
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(rest), 15000);
        QStringList bleiben{"sondit-kabel-andere", link.section('/', -1), "sondit-kabel-ziel"};
        bleiben.sort();
        QCOMPARE(arbeitsverzeichnisse(), bleiben);
        QVERIFY(QFile::remove(link) && QDir(tmp + "andere").removeRecursively() &&
                QDir(tmp + "ziel").removeRecursively());
    }
};

KABEL_TEST_MAIN(TestEndeZuEnde)
#include "tst_ende_zu_ende.moc"
