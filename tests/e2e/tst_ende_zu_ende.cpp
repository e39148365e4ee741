// The real executable, from an install prefix whose tools are the fake: what only a separate
// process can show. Everything else is proven in process.
#include "Buehne.h"
#include "Testdienst.h"
#include "Testumgebung.h"

#include <QDir>
#include <QStandardPaths>
#include <unistd.h>

using namespace kabel::test;

namespace {

QByteArray golden() {
    QFile datei(QFINDTESTDATA("golden/bericht-iphone.json"));
    return datei.open(QIODevice::ReadOnly) ? datei.readAll().trimmed() : QByteArray();
}

// Whether a process runs whose command line holds `text`.
bool prozessMit(const QString& text) {
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile cmdline("/proc/" + pid + "/cmdline");
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(text.toUtf8()))
            return true;
    }
    return false;
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
        return app.waitForFinished(15000) && app.exitStatus() == QProcess::NormalExit &&
               app.exitCode() == 0 && app.readAllStandardOutput().isEmpty() &&
               app.readAllStandardError().isEmpty();
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
        starten(m_dienst->link());
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
        // Nothing of the copied reports is left in the temporary directory.
        QCOMPARE(
            QDir(QDir::tempPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).filter("sondit-kabel-"),
            QStringList());
    }

    // Quitting while a tool hangs or the loop pauses: the app ends at once and takes its tools with it.
    void endet_data() {
        QTest::addColumn<bool>("werkzeugHaengt");
        QTest::newRow("a phone that never answers") << true;
        QTest::newRow("the loop pauses without a phone") << false;
    }
    void endet() {
        QFETCH(bool, werkzeugHaengt);
        if (werkzeugHaengt) {
            m_buehne->iphone();
            m_buehne->dauer("ideviceinfo -u " + Buehne::udid() + " -k ProductType", 600);
        }
        QProcess& app = starten(m_dienst->link());
        QTRY_VERIFY_WITH_TIMEOUT(m_buehne->aufrufe().size() == (werkzeugHaengt ? 3 : 2), 20000);
        app.terminate();
        QVERIFY(endetStill(app));
        QTRY_VERIFY_WITH_TIMEOUT(!prozessMit(m_buehne->werkzeugVerzeichnis()), 5000);
    }

    // A phone that stops answering during the copy of its reports: after 30 s without a word the
    // tool is killed, nothing is sent and the copied reports are gone.
    void haengenderKopierer() {
        m_buehne->iphone();
        m_buehne->dauer("idevicecrashreport -u " + Buehne::udid() + " -k DIR", 600);
        QProcess& app = starten(m_dienst->link());
        QTRY_VERIFY_WITH_TIMEOUT(
            m_buehne->aufrufe().size() == 11 && prozessMit(m_buehne->werkzeugVerzeichnis()), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!prozessMit(m_buehne->werkzeugVerzeichnis()), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(QDir(QDir::tempPath()).entryList({"sondit-kabel-*"}, QDir::Dirs),
                                  QStringList(), 5000);
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
};

KABEL_TEST_MAIN(TestEndeZuEnde)
#include "tst_ende_zu_ende.moc"
