#include "FakeZugriff.h"
#include "Testdienst.h"
#include "Testumgebung.h"
#include "flow/KabelAblauf.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace kabel;
using kabel::test::Antwort;
using kabel::test::FakeZugriff;
using kabel::test::Testdienst;

// From the confirmed link to the final step: waiting for the phone and its trust, reading, the
// report and the pairing removal, against a fake device and a real local HTTP service.
class TestGeraetephase : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void ohneGeraetWirdGewartet_data();
    void ohneGeraetWirdGewartet();
    void vertrauenEinmalAnfragen();
    void abstecken();
    void nurErstesGeraet();
    void identitaetUnlesbar();
    void berichtUndEntkoppeln();
    void berichtOhneEntkoppeln();
    void berichtAbgelehnt_data();
    void berichtAbgelehnt();
    void spaeteLesungVerworfen();
    void spaeterBerichtVerworfen();
    void neuerLinkVorDemSenden();
    void fensterBleibtBedienbar();

private:
    // Opens a link to `dienst` and waits for the device phase.
    void starten(KabelAblauf& ablauf, Testdienst& dienst);

    std::shared_ptr<FakeZugriff> m_geraet;
};

namespace {

constexpr auto kurz = std::chrono::milliseconds(20);
const QString udid = QStringLiteral("00008110-001A2B3C4D5E801E");
const QString unlesbar =
    QStringLiteral("Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen.");
const QString mitEntfernen =
    QStringLiteral("An Werkora gesendet. Die Kopplung mit dem iPhone wurde entfernt.");

QStringList operationen(const FakeZugriff& geraet) {
    QStringList namen;
    for (const auto& aufruf : geraet.aufrufe())
        namen.append(aufruf.operation);
    return namen;
}

} // namespace

void TestGeraetephase::init() {
    QSettings().clear();
    m_geraet = std::make_shared<FakeZugriff>();
}

void TestGeraetephase::starten(KabelAblauf& ablauf, Testdienst& dienst) {
    ablauf.linkOeffnen(dienst.link());
    QTRY_VERIFY(m_geraet->anzahl(QStringLiteral("geraete")) > 0);
}

void TestGeraetephase::ohneGeraetWirdGewartet_data() {
    QTest::addColumn<Ergebnis<QStringList>>("liste");
    QTest::newRow("empty list") << Ergebnis<QStringList>(QStringList());
    QTest::newRow("listing tool missing")
        << Ergebnis<QStringList>(std::unexpected(ZugriffFehler::werkzeugFehlt()));
    QTest::newRow("listing tool not startable")
        << Ergebnis<QStringList>(std::unexpected(StartFehler{QStringLiteral("x")}));
}

void TestGeraetephase::ohneGeraetWirdGewartet() {
    QFETCH(Ergebnis<QStringList>, liste);
    m_geraet->einstellen([&](auto& a) { a.geraete = liste; });
    Testdienst dienst;
    KabelAblauf ablauf(m_geraet, kurz);
    starten(ablauf, dienst);
    QCOMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());

    // Passes that find nothing do not rewrite the step.
    QSignalSpy ankuendigungen(&ablauf, &KabelAblauf::wirdGeaendert);
    const qsizetype bisher = m_geraet->anzahl(QStringLiteral("geraete"));
    QTRY_VERIFY(m_geraet->anzahl(QStringLiteral("geraete")) >= bisher + 3);
    QCOMPARE(ankuendigungen.count(), 0);
    QCOMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());
    QCOMPARE(dienst.anzahl("POST"), 0);
    const QStringList alle = operationen(*m_geraet);
    QCOMPARE(alle.count(QStringLiteral("geraete")), alle.size()); // no trust test, no pairing
}

void TestGeraetephase::vertrauenEinmalAnfragen() {
    m_geraet->einstellen([](auto& a) {
        a.geraete = QStringList{udid};
        a.koppeln = std::unexpected(ZugriffFehler::nichtGekoppelt());
    });
    Testdienst dienst;
    KabelAblauf ablauf(m_geraet, kurz);
    starten(ablauf, dienst);
    QTRY_VERIFY(m_geraet->anzahl(QStringLiteral("istGekoppelt")) >= 4);
    QCOMPARE(ablauf.schritt(), Schritt::wartetAufVertrauen());
    QCOMPARE(m_geraet->anzahl(QStringLiteral("koppeln")), 1);

    // The user confirms on the phone: the next pass reads and reports.
    m_geraet->einstellen([](auto& a) { a.gekoppelt = true; });
    QTRY_COMPARE(ablauf.schritt().fall(), Schritt::Fall::fertig);
    QCOMPARE(m_geraet->anzahl(QStringLiteral("koppeln")), 1);
    QCOMPARE(ablauf.udid(), std::optional<QString>(udid));
    const QStringList ende =
        operationen(*m_geraet).mid(operationen(*m_geraet).lastIndexOf(QStringLiteral("geraete")));
    QCOMPARE(ende, (QStringList{QStringLiteral("geraete"), QStringLiteral("istGekoppelt"),
                                QStringLiteral("geraetedatenLesen"), QStringLiteral("akkudatenLesen"),
                                QStringLiteral("panicLogsLesen"), QStringLiteral("entkoppeln")}));
    QCOMPARE(dienst.anzahl("GET"), 1);
    QCOMPARE(dienst.anzahl("POST"), 1);
}

void TestGeraetephase::abstecken() {
    m_geraet->einstellen([](auto& a) { a.geraete = QStringList{udid}; });
    Testdienst dienst;
    KabelAblauf ablauf(m_geraet, kurz);
    starten(ablauf, dienst);
    QTRY_COMPARE(m_geraet->anzahl(QStringLiteral("koppeln")), 1);
    QTRY_COMPARE(ablauf.schritt(), Schritt::wartetAufVertrauen());

    m_geraet->einstellen([](auto& a) { a.geraete = QStringList(); });
    QTRY_COMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());
    m_geraet->einstellen([](auto& a) { a.geraete = QStringList{udid}; });
    QTRY_COMPARE(m_geraet->anzahl(QStringLiteral("koppeln")), 2);
    QTRY_COMPARE(ablauf.schritt(), Schritt::wartetAufVertrauen());
}

void TestGeraetephase::nurErstesGeraet() {
    m_geraet->einstellen([](auto& a) {
        a.geraete = QStringList{QStringLiteral("erstes"), QStringLiteral("zweites")};
        a.gekoppelt = true;
    });
    Testdienst dienst;
    KabelAblauf ablauf(m_geraet, kurz);
    starten(ablauf, dienst);
    QTRY_COMPARE(ablauf.schritt().fall(), Schritt::Fall::fertig);
    for (const auto& aufruf : m_geraet->aufrufe())
        QVERIFY(aufruf.udid.isEmpty() || aufruf.udid == u"erstes");
    QCOMPARE(m_geraet->anzahl(QStringLiteral("koppeln")), 0);
}

void TestGeraetephase::identitaetUnlesbar() {
    m_geraet->einstellen([](auto& a) {
        a.geraete = QStringList{udid};
        a.gekoppelt = true;
        a.geraetedaten = std::unexpected(ZugriffFehler::lesen(unlesbar));
    });
    Testdienst dienst;
    KabelAblauf ablauf(m_geraet, kurz);
    QList<Schritt::Fall> schritte;
    connect(&ablauf, &KabelAblauf::wirdGeaendert, this, [&] {
        QMetaObject::invokeMethod(
            this, [&] { schritte.append(ablauf.schritt().fall()); }, Qt::QueuedConnection);
    });
    starten(ablauf, dienst);
    QTRY_COMPARE(ablauf.schritt(), Schritt::fehler(unlesbar));
    QVERIFY(schritte.contains(Schritt::Fall::liest));
    QCOMPARE(m_geraet->anzahl(QStringLiteral("akkudatenLesen")), 0);
    QCOMPARE(m_geraet->anzahl(QStringLiteral("panicLogsLesen")), 0);
    QVERIFY(!ablauf.geraet());
    QCOMPARE(dienst.anzahl("POST"), 0);

    // Retry reads the phone again and sends.
    m_geraet->einstellen(
        [](auto& a) { a.geraetedaten = Geraetedaten{QStringLiteral("iPhone12,1"), {}, {}, {}, {}, {}}; });
    ablauf.sucheStarten();
    QCOMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());
    QTRY_COMPARE(ablauf.schritt().fall(), Schritt::Fall::fertig);
    QCOMPARE(m_geraet->anzahl(QStringLiteral("geraetedatenLesen")), 2);
    QCOMPARE(dienst.anzahl("POST"), 1);
    QCOMPARE(dienst.anzahl("GET"), 1);
}

void TestGeraetephase::berichtUndEntkoppeln() {
    m_geraet->einstellen([](auto& a) {
        a.geraete = QStringList{udid};
        a.gekoppelt = true;
        a.geraetedaten = Geraetedaten{QStringLiteral("iPhone14,5"), QStringLiteral("17.5.1"), {}, {}, {}, {}};
        a.akku = Akkudaten{523, 3227, 2810, 30.55};
        a.panic = {PanicLog{QStringLiteral("panic-2.ips"), "zwei"},
                   PanicLog{QStringLiteral("panic-1.ips"), "eins"}};
    });
    m_geraet->anhalten(QStringLiteral("entkoppeln"));
    Testdienst dienst;
    KabelAblauf ablauf(m_geraet, kurz);
    starten(ablauf, dienst);

    // The pairing is removed after Werkora accepted the report, and before the step is final.
    QTRY_COMPARE(m_geraet->wartende(), 1);
    QCOMPARE(dienst.anzahl("POST"), 1);
    QCOMPARE(ablauf.schritt(), Schritt::sendet());
    QCOMPARE(m_geraet->aufrufe().last(), (FakeZugriff::Aufruf{QStringLiteral("entkoppeln"), udid}));
    m_geraet->freigeben(QStringLiteral("entkoppeln"));
    QTRY_COMPARE(ablauf.schritt(), Schritt::fertig(mitEntfernen));

    const auto& post = dienst.anfragen().last();
    QCOMPARE(post.methode, QByteArray("POST"));
    QCOMPARE(post.pfad, QByteArray("/api/public/kabel/token"));
    QCOMPARE(post.kopfzeilen.value("content-type"), QByteArray("application/json"));
    QCOMPARE(
        post.inhalt,
        QByteArray(
            R"({"programm":"Sondit Kabel 1.0.0","geraet":{"produkt":"iPhone14,5","ios":"17.5.1"},)"
            R"("akku":{"zyklen":523,"designMah":3227,"istMah":2810,"temperaturC":30.55},)"
            R"("panic":[{"datei":"panic-2.ips","text":"zwei"},{"datei":"panic-1.ips","text":"eins"}]})"));
    // The texts are dropped once delivered; what was sent stays visible.
    QVERIFY(ablauf.panic().isEmpty());
    QCOMPARE(ablauf.panicAnzahl(), 2);
    QVERIFY(ablauf.geraet());
    QVERIFY(ablauf.akku());
    QCOMPARE(ablauf.werkstatt(), std::optional<QString>(QStringLiteral("Testwerkstatt")));
}

void TestGeraetephase::berichtOhneEntkoppeln() {
    m_geraet->einstellen([](auto& a) {
        a.geraete = QStringList{udid};
        a.gekoppelt = true;
    });
    Testdienst dienst;
    KabelAblauf ablauf(m_geraet, kurz);
    ablauf.setKopplungEntfernen(false);
    starten(ablauf, dienst);
    QTRY_COMPARE(ablauf.schritt(), Schritt::fertig(QStringLiteral("An Werkora gesendet.")));
    QCOMPARE(m_geraet->anzahl(QStringLiteral("entkoppeln")), 0);
    QCOMPARE(dienst.anfragen().last().inhalt,
             QByteArray(R"({"programm":"Sondit Kabel 1.0.0","geraet":{"produkt":"iPhone14,5"},"panic":[]})"));
}

void TestGeraetephase::berichtAbgelehnt_data() {
    QTest::addColumn<Antwort>("antwort");
    QTest::addColumn<QString>("text");
    const QString fest = QStringLiteral("Werkora hat die Daten nicht angenommen.");
    QTest::newRow("201 is no success") << Antwort{201, "{}", "application/json", {}, false} << fest;
    QTest::newRow("400 with error")
        << Antwort{400, R"({"error":"Prüfung schon abgeschlossen."})", "application/json", {}, false}
        << QStringLiteral("Prüfung schon abgeschlossen.");
    QTest::newRow("500 with HTML") << Antwort{500, "<html><h1>Oops</h1></html>", "text/html", {}, false}
                                   << fest;
    QTest::newRow("307 is not followed")
        << Antwort{307, {}, {}, {{"Location", "http://127.0.0.1:1/api/public/kabel/x"}}, false} << fest;
    QTest::newRow("connection closed")
        << Antwort{200, {}, {}, {}, true} << QStringLiteral("Senden fehlgeschlagen: ");
}

void TestGeraetephase::berichtAbgelehnt() {
    QFETCH(Antwort, antwort);
    QFETCH(QString, text);
    m_geraet->einstellen([](auto& a) {
        a.geraete = QStringList{udid};
        a.gekoppelt = true;
        a.panic = {PanicLog{QStringLiteral("panic.ips"), "x"}};
    });
    Testdienst dienst;
    dienst.setAntwort("POST", antwort);
    KabelAblauf ablauf(m_geraet, kurz);
    starten(ablauf, dienst);
    QTRY_COMPARE(ablauf.schritt().fall(), Schritt::Fall::fehler);
    if (antwort.schliessen) {
        QVERIFY(ablauf.schritt().text().startsWith(text));
        QVERIFY(ablauf.schritt().text().size() > text.size());
        // Qt's client sends a request once more when the connection closes before any answer.
        QVERIFY(dienst.anzahl("POST") >= 1);
    } else {
        QCOMPARE(ablauf.schritt().text(), text);
        QCOMPARE(dienst.anzahl("POST"), 1);
    }
    QCOMPARE(m_geraet->anzahl(QStringLiteral("entkoppeln")), 0);
    // A rejected report keeps the data.
    QCOMPARE(ablauf.panic().size(), 1);
    QCOMPARE(ablauf.panicAnzahl(), 1);
}

void TestGeraetephase::spaeteLesungVerworfen() {
    m_geraet->einstellen([](auto& a) {
        a.geraete = QStringList{udid};
        a.gekoppelt = true;
    });
    m_geraet->anhalten(QStringLiteral("panicLogsLesen"));
    Testdienst dienst;
    KabelAblauf ablauf(m_geraet, kurz);
    starten(ablauf, dienst);
    QTRY_COMPARE(m_geraet->wartende(), 1);
    QCOMPARE(ablauf.schritt(), Schritt::liest());

    Testdienst neu;
    neu.setAntwort("GET", Antwort{404, {}, {}, {}, false});
    ablauf.linkOeffnen(neu.link());
    QTRY_COMPARE(ablauf.schritt().fall(), Schritt::Fall::linkUngueltig);
    QSignalSpy ankuendigungen(&ablauf, &KabelAblauf::wirdGeaendert);
    m_geraet->freigeben(QStringLiteral("panicLogsLesen"));
    QTRY_COMPARE(m_geraet->wartende(), 0);
    QTest::qWait(100); // the dropped result would be published within one event-loop turn
    QCOMPARE(ankuendigungen.count(), 0);
    QVERIFY(!ablauf.geraet());
    QCOMPARE(dienst.anzahl("POST") + neu.anzahl("POST"), 0);
}

void TestGeraetephase::spaeterBerichtVerworfen() {
    m_geraet->einstellen([](auto& a) {
        a.geraete = QStringList{udid};
        a.gekoppelt = true;
    });
    Testdienst dienst;
    dienst.setAntwort("POST", Antwort{200, "{}", "application/json", {}, false});
    KabelAblauf ablauf(m_geraet, kurz);
    m_geraet->anhalten(QStringLiteral("panicLogsLesen"));
    starten(ablauf, dienst);
    QTRY_COMPARE(m_geraet->wartende(), 1);
    dienst.setZurueckhalten(true);
    m_geraet->freigeben(QStringLiteral("panicLogsLesen"));
    QTRY_COMPARE(dienst.anzahl("POST"), 1);

    ablauf.linkOeffnen(QUrl(QStringLiteral("sondit-kabel://lesen")));
    QCOMPARE(ablauf.schritt().fall(), Schritt::Fall::linkUngueltig);
    QSignalSpy ankuendigungen(&ablauf, &KabelAblauf::wirdGeaendert);
    dienst.freigeben();
    QTest::qWait(200); // time for the held answer to arrive and be dropped
    QCOMPARE(ankuendigungen.count(), 0);
    QCOMPARE(ablauf.schritt().fall(), Schritt::Fall::linkUngueltig);
    QCOMPARE(m_geraet->anzahl(QStringLiteral("entkoppeln")), 0);
}

// A link that arrives between the published reading and the request: nothing is sent, neither
// the old reading nor the data the new link has already cleared.
void TestGeraetephase::neuerLinkVorDemSenden() {
    m_geraet->einstellen([](auto& a) {
        a.geraete = QStringList{udid};
        a.gekoppelt = true;
    });
    Testdienst dienst;
    KabelAblauf ablauf(m_geraet, kurz);
    bool geoeffnet = false;
    connect(&ablauf, &KabelAblauf::wirdGeaendert, this, [&] {
        // Runs once the announced value is stored, and before anything senden queues after it.
        QMetaObject::invokeMethod(
            this,
            [&] {
                if (!geoeffnet && ablauf.schritt() == Schritt::sendet()) {
                    geoeffnet = true;
                    ablauf.linkOeffnen(QUrl(QStringLiteral("sondit-kabel://lesen")));
                }
            },
            Qt::QueuedConnection);
    });
    starten(ablauf, dienst);
    QTRY_VERIFY(geoeffnet);
    QTest::qWait(200); // a request would reach the service within this time
    QCOMPARE(dienst.anzahl("POST"), 0);
    QCOMPARE(ablauf.schritt().fall(), Schritt::Fall::linkUngueltig);
}

// A phone that never answers blocks a background thread, never the event loop.
void TestGeraetephase::fensterBleibtBedienbar() {
    m_geraet->einstellen([](auto& a) {
        a.geraete = QStringList{udid};
        a.gekoppelt = true;
    });
    m_geraet->anhalten(QStringLiteral("geraetedatenLesen"));
    m_geraet->anhalten(QStringLiteral("entkoppeln"));
    Testdienst dienst;
    KabelAblauf ablauf(m_geraet, kurz);
    starten(ablauf, dienst);
    QTRY_COMPARE(m_geraet->wartende(), 1);
    int ticks = 0;
    QTimer uhr;
    connect(&uhr, &QTimer::timeout, this, [&] { ++ticks; });
    uhr.start(5);
    QTRY_VERIFY(ticks >= 5);
    m_geraet->freigeben(QStringLiteral("geraetedatenLesen"));
    QTRY_COMPARE(m_geraet->wartende(), 1); // now in entkoppeln, after the report
    const int vorher = ticks;
    QTRY_VERIFY(ticks >= vorher + 5);
    QCOMPARE(ablauf.schritt(), Schritt::sendet());
    m_geraet->freigeben(QStringLiteral("entkoppeln"));
    QTRY_COMPARE(ablauf.schritt(), Schritt::fertig(mitEntfernen));
}

KABEL_TEST_MAIN(TestGeraetephase)
#include "tst_geraetephase.moc"
