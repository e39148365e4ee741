#include "Buehne.h"
#include "Testdienst.h"
#include "Testumgebung.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace kabel::test;

// The whole check across real process boundaries: the real app from an install prefix, fake
// libimobiledevice tools as its child processes, and a real HTTP service on 127.0.0.1. Only
// what crosses those boundaries is asserted: tool calls, requests and the report's bytes.
class TestEndeZuEnde : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void vertrautesIphone_data();
    void vertrautesIphone();
    void unvertrautesIphone();
    void ohneIphoneWirdAbgefragt();
    void absteckenUndWiederEinstecken();
    void gesperrtesIphone();
    void erneutVersuchenImFenster();
    void neuerLinkBeendetSuche();
    void berichtAbgelehnt_data();
    void berichtAbgelehnt();
    void beendenWaehrendWerkzeugLaeuft_data();
    void beendenWaehrendWerkzeugLaeuft();

private:
    std::unique_ptr<QProcess> starten(const QUrl& link);
    QStringList werkzeugFolge() const;

    std::unique_ptr<FakeWerkzeuge> m_werkzeuge;
    std::unique_ptr<Buehne> m_buehne;
    std::unique_ptr<Testdienst> m_dienst;
    std::unique_ptr<QProcess> m_app;
};

namespace {

QByteArray golden(const QString& name) {
    QFile datei(QFINDTESTDATA(u"golden/" + name));
    return datei.open(QIODevice::ReadOnly) ? datei.readAll() : QByteArray();
}

const QString udid = FakeWerkzeuge::standardUdid();

} // namespace

void TestEndeZuEnde::init() {
    QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)).removeRecursively();
    m_werkzeuge = std::make_unique<FakeWerkzeuge>();
    QVERIFY(m_werkzeuge->gueltig());
    m_buehne = std::make_unique<Buehne>(*m_werkzeuge);
    QVERIFY(m_buehne->gueltig());
    m_dienst = std::make_unique<Testdienst>();
}

void TestEndeZuEnde::cleanup() {
    if (m_app)
        beenden(*m_app);
    m_app.reset();
}

std::unique_ptr<QProcess> TestEndeZuEnde::starten(const QUrl& link) {
    auto app = m_buehne->starten({link.toString(QUrl::FullyEncoded)});
    app->waitForStarted();
    return app;
}

// Tool name and subcommand of every call, e.g. "idevicepair validate".
QStringList TestEndeZuEnde::werkzeugFolge() const {
    QStringList folge;
    for (const Aufruf& aufruf : m_werkzeuge->aufrufe()) {
        QString zeile = aufruf.werkzeug;
        if (aufruf.werkzeug == u"idevicepair" || aufruf.werkzeug == u"ideviceinfo")
            zeile += u' ' + aufruf.argumente.last();
        folge.append(zeile);
    }
    return folge;
}

void TestEndeZuEnde::vertrautesIphone_data() {
    QTest::addColumn<bool>("entkoppeln");
    QTest::newRow("remove the pairing") << true;
    QTest::newRow("keep the pairing") << false;
}

void TestEndeZuEnde::vertrautesIphone() {
    QFETCH(bool, entkoppeln);
    m_werkzeuge->iphoneVoreinstellen();
    Buehne::kopplungEntfernenSetzen(entkoppeln);
    m_app = starten(m_dienst->link());

    QTRY_COMPARE_WITH_TIMEOUT(m_dienst->anzahl("POST"), 1, 20000);
    QCOMPARE(m_dienst->anzahl("GET"), 1);
    const Anfrage& post = m_dienst->anfragen().last();
    QCOMPARE(post.pfad, QByteArray("/api/public/kabel/token"));
    QCOMPARE(post.kopfzeilen.value("content-type"), QByteArray("application/json"));
    QCOMPARE(post.inhalt, golden(QStringLiteral("bericht-iphone.json")).trimmed());

    QStringList erwartet{QStringLiteral("idevice_id"),
                         QStringLiteral("idevicepair validate"),
                         QStringLiteral("ideviceinfo ProductType"),
                         QStringLiteral("ideviceinfo ProductVersion"),
                         QStringLiteral("ideviceinfo SerialNumber"),
                         QStringLiteral("ideviceinfo InternationalMobileEquipmentIdentity"),
                         QStringLiteral("ideviceinfo InternationalMobileEquipmentIdentity2"),
                         QStringLiteral("ideviceinfo ActivationState"),
                         QStringLiteral("idevicediagnostics"),
                         QStringLiteral("idevicecrashreport"),
                         QStringLiteral("idevicecrashreport")}; // Debian's 1.3.0 has no -f: once more without
    if (entkoppeln) {
        erwartet.append(QStringLiteral("idevicepair unpair"));
        QTRY_COMPARE_WITH_TIMEOUT(werkzeugFolge(), erwartet, 10000);
        QCOMPARE(m_werkzeuge->aufrufe().last().argumente,
                 (QStringList{QStringLiteral("-u"), udid, QStringLiteral("unpair")}));
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(werkzeugFolge(), erwartet, 10000);
        // Nothing more happens after the report.
        QTest::qWait(500);
        QCOMPARE(werkzeugFolge(), erwartet);
    }
    QCOMPARE(m_dienst->anfragen().size(), 2);
}

void TestEndeZuEnde::unvertrautesIphone() {
    m_werkzeuge->iphoneVoreinstellen();
    m_werkzeuge->vertrauenSetzen(udid, false);
    m_app = starten(m_dienst->link());

    QTRY_COMPARE_WITH_TIMEOUT(m_werkzeuge->aufrufe(QStringLiteral("idevicepair")).size(), 4, 20000);
    QStringList paarung;
    for (const Aufruf& aufruf : m_werkzeuge->aufrufe(QStringLiteral("idevicepair")))
        paarung.append(aufruf.argumente.last());
    QCOMPARE(paarung.first(3),
             (QStringList{QStringLiteral("validate"), QStringLiteral("pair"), QStringLiteral("validate")}));
    QCOMPARE(paarung.count(QStringLiteral("pair")), 1);
    QCOMPARE(m_dienst->anzahl("POST"), 0);

    // The technician taps "Vertrauen" on the phone.
    m_werkzeuge->vertrauenSetzen(udid, true);
    QTRY_COMPARE_WITH_TIMEOUT(m_dienst->anzahl("POST"), 1, 20000);
    QCOMPARE(m_dienst->anfragen().last().inhalt, golden(QStringLiteral("bericht-iphone.json")).trimmed());
    int paare = 0;
    for (const Aufruf& aufruf : m_werkzeuge->aufrufe(QStringLiteral("idevicepair")))
        paare += aufruf.argumente.last() == u"pair";
    QCOMPARE(paare, 1);
}

void TestEndeZuEnde::ohneIphoneWirdAbgefragt() {
    m_app = starten(m_dienst->link());
    QList<qint64> zeiten;
    QElapsedTimer uhr;
    uhr.start();
    while (zeiten.size() < 4 && uhr.elapsed() < 20000) {
        if (m_werkzeuge->aufrufe().size() > zeiten.size())
            zeiten.append(uhr.elapsed());
        QTest::qWait(10);
    }
    QCOMPARE(zeiten.size(), 4);
    for (qsizetype i = 1; i < zeiten.size(); ++i) {
        const qint64 abstand = zeiten[i] - zeiten[i - 1];
        QVERIFY2(abstand >= 1100 && abstand <= 2500, qPrintable(QString::number(abstand)));
    }
    QCOMPARE(werkzeugFolge(), QStringList(4, QStringLiteral("idevice_id")));
    QCOMPARE(m_dienst->anzahl("POST"), 0);
}

void TestEndeZuEnde::absteckenUndWiederEinstecken() {
    m_werkzeuge->iphoneVoreinstellen();
    m_werkzeuge->vertrauenSetzen(udid, false);
    m_app = starten(m_dienst->link());
    const auto paarungen = [this] {
        int anzahl = 0;
        for (const Aufruf& aufruf : m_werkzeuge->aufrufe(QStringLiteral("idevicepair")))
            anzahl += aufruf.argumente.last() == u"pair";
        return anzahl;
    };
    QTRY_COMPARE_WITH_TIMEOUT(paarungen(), 1, 20000);

    m_werkzeuge->geraeteSetzen({});
    const qsizetype vorher = m_werkzeuge->aufrufe(QStringLiteral("idevice_id")).size();
    QTRY_VERIFY_WITH_TIMEOUT(m_werkzeuge->aufrufe(QStringLiteral("idevice_id")).size() >= vorher + 2, 20000);
    QCOMPARE(paarungen(), 1);
    m_werkzeuge->geraeteSetzen(udid.toUtf8() + '\n');
    QTRY_COMPARE_WITH_TIMEOUT(paarungen(), 2, 20000);
    QCOMPARE(m_dienst->anzahl("POST"), 0);
}

void TestEndeZuEnde::gesperrtesIphone() {
    m_werkzeuge->iphoneVoreinstellen();
    m_werkzeuge->entfernen(QStringLiteral("info/ProductType")); // the phone does not answer
    m_app = starten(m_dienst->link());
    QTRY_VERIFY_WITH_TIMEOUT(werkzeugFolge().contains(QStringLiteral("ideviceinfo ProductType")), 20000);
    QTest::qWait(1500); // more than one pass: a failed reading does not start the loop again
    QCOMPARE(werkzeugFolge(),
             (QStringList{QStringLiteral("idevice_id"), QStringLiteral("idevicepair validate"),
                          QStringLiteral("ideviceinfo ProductType")}));
    QCOMPARE(m_dienst->anzahl("POST"), 0);
}

// The technician presses "Erneut versuchen" (Return: it is the default button) in the real window.
void TestEndeZuEnde::erneutVersuchenImFenster() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("needs an X display and xdotool (ctest runs this test under xvfb-run)");
    m_werkzeuge->iphoneVoreinstellen();
    m_werkzeuge->entfernen(QStringLiteral("info/ProductType"));
    m_app = m_buehne->starten({m_dienst->link().toString(QUrl::FullyEncoded)}, true);
    QTRY_VERIFY_WITH_TIMEOUT(werkzeugFolge().contains(QStringLiteral("ideviceinfo ProductType")), 20000);
    m_werkzeuge->infoSetzen(QStringLiteral("ProductType"), "iPhone14,5\n");

    const auto xdotool = [](const QStringList& argumente) {
        QProcess prozess;
        prozess.start(QStringLiteral("xdotool"), argumente);
        prozess.waitForFinished(5000);
        return QString::fromUtf8(prozess.readAllStandardOutput()).trimmed();
    };
    QString fenster;
    QTRY_VERIFY_WITH_TIMEOUT(
        !(fenster = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                             QStringLiteral("--name"), QStringLiteral("^Sondit Kabel$")}))
             .isEmpty(),
        10000);
    // Return only does something once the button is shown; press until the phone is read again.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            if (m_werkzeuge->aufrufe(QStringLiteral("idevice_id")).size() > 1)
                return true;
            xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), fenster.section(u'\n', 0, 0)});
            xdotool({QStringLiteral("key"), QStringLiteral("Return")});
            return false;
        }(),
        20000);
    QTRY_COMPARE_WITH_TIMEOUT(m_dienst->anzahl("POST"), 1, 20000);
    QCOMPARE(m_dienst->anzahl("GET"), 1);
    QCOMPARE(m_werkzeuge->aufrufe(QStringLiteral("ideviceinfo")).size(), 7);
    QCOMPARE(m_dienst->anfragen().last().inhalt, golden(QStringLiteral("bericht-iphone.json")).trimmed());
}

void TestEndeZuEnde::neuerLinkBeendetSuche() {
    m_app = starten(m_dienst->link());
    QTRY_COMPARE_WITH_TIMEOUT(m_werkzeuge->aufrufe().size(), 1, 20000);

    // The second link arrives through a second process while the loop pauses.
    Testdienst abgelaufen;
    abgelaufen.setAntwort("GET", Antwort{404, {}, {}, {}, false});
    auto zweiter = m_buehne->starten({abgelaufen.link().toString(QUrl::FullyEncoded)});
    QVERIFY(zweiter->waitForFinished(10000));
    QCOMPARE(zweiter->exitCode(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(abgelaufen.anzahl("GET"), 1, 10000);

    const qsizetype danach = m_werkzeuge->aufrufe().size();
    QVERIFY(danach <= 2); // a pass already under way may finish its tool call
    QTest::qWait(2500);   // two more pauses: a loop still running would have listed again
    QCOMPARE(m_werkzeuge->aufrufe().size(), danach);
    QCOMPARE(m_app->state(), QProcess::Running);
}

void TestEndeZuEnde::berichtAbgelehnt_data() {
    QTest::addColumn<Antwort>("antwort");
    QTest::newRow("400 with error") << Antwort{
        400, R"({"error":"Schon gesendet."})", "application/json", {}, false};
    QTest::newRow("500 with HTML") << Antwort{500, "<html>Fehler</html>", "text/html", {}, false};
    QTest::newRow("connection closed") << Antwort{200, {}, {}, {}, true};
}

void TestEndeZuEnde::berichtAbgelehnt() {
    QFETCH(Antwort, antwort);
    m_werkzeuge->iphoneVoreinstellen();
    m_dienst->setAntwort("POST", antwort);
    m_app = starten(m_dienst->link());
    QTRY_VERIFY_WITH_TIMEOUT(m_dienst->anzahl("POST") >= 1, 20000);
    QTest::qWait(500);
    // A rejected report never removes the pairing, and the app carries on running.
    for (const Aufruf& aufruf : m_werkzeuge->aufrufe(QStringLiteral("idevicepair")))
        QCOMPARE(aufruf.argumente.last(), QStringLiteral("validate"));
    QCOMPARE(m_app->state(), QProcess::Running);
}

void TestEndeZuEnde::beendenWaehrendWerkzeugLaeuft_data() {
    QTest::addColumn<bool>("werkzeugHaengt");
    QTest::newRow("a phone that never answers") << true;
    QTest::newRow("the loop pauses without a phone") << false;
}

void TestEndeZuEnde::beendenWaehrendWerkzeugLaeuft() {
    QFETCH(bool, werkzeugHaengt);
    if (werkzeugHaengt) {
        m_werkzeuge->iphoneVoreinstellen();
        m_werkzeuge->dauerSetzen(QStringLiteral("ideviceinfo"), 600);
    }
    m_app = starten(m_dienst->link());
    if (werkzeugHaengt)
        QTRY_VERIFY_WITH_TIMEOUT(werkzeugFolge().contains(QStringLiteral("ideviceinfo ProductType")), 20000);
    else
        QTRY_COMPARE_WITH_TIMEOUT(werkzeugFolge(), QStringList{QStringLiteral("idevice_id")}, 20000);

    QElapsedTimer uhr;
    uhr.start();
    m_app->terminate();
    QVERIFY(m_app->waitForFinished(5000));
    QVERIFY2(uhr.elapsed() < 1000, qPrintable(QString::number(uhr.elapsed())));
    QCOMPARE(m_app->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app->exitCode(), 0);

    // No tool of the app is left running.
    const QByteArray werkzeug = QFileInfo(m_buehne->programm())
                                    .dir()
                                    .filePath(QStringLiteral("../share/sondit-kabel/bin/ideviceinfo"))
                                    .toUtf8();
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
                QFile cmdline(u"/proc/" + pid + u"/cmdline");
                if (cmdline.open(QIODevice::ReadOnly) &&
                    cmdline.readAll().contains(QDir::cleanPath(QString::fromUtf8(werkzeug)).toUtf8()))
                    return false;
            }
            return true;
        }(),
        2000);
}

KABEL_TEST_MAIN(TestEndeZuEnde)
#include "tst_ende_zu_ende.moc"
