// The controller against a recording fake device and real HTTP services on 127.0.0.1: the lookup,
// the device loop, the report, and checks superseded by a newer link at every stage.
#include "FakeZugriff.h"
#include "Testdienst.h"
#include "Testumgebung.h"
#include "flow/KabelAblauf.h"
#include "flow/Werkoraclient.h"

#include <QNetworkAccessManager>
#include <QSettings>
#include <QSignalSpy>

using namespace kabel;
using namespace kabel::test;
using Text = std::optional<QString>;

namespace {

constexpr std::chrono::milliseconds kurz(20);
const QString udid = "00008110-001A2B3C4D5E801E";
const Schritt abgelaufen = Schritt::linkUngueltig(
    "Der Link ist abgelaufen oder schon benutzt. Bitte in Werkora erneut auf „Per Kabel“ klicken.");
const QUrl schlechterLink("sondit-kabel://lesen?ziel=https%3A%2F%2Fevil.com%2Fapi%2Fpublic%2Fkabel%2Ft");

// The values a property of the controller takes from now on, each read once its write is stored.
template <typename T> struct Verlauf : QList<T> {
    Verlauf(KabelAblauf& ablauf, std::function<T()> lesen) {
        QObject::connect(&ablauf, &KabelAblauf::wirdGeaendert, &ablauf, [this, &ablauf, lesen] {
            QMetaObject::invokeMethod(
                &ablauf,
                [this, lesen] {
                    if (this->isEmpty() || !(this->last() == lesen()))
                        this->append(lesen());
                },
                Qt::QueuedConnection);
        });
    }
};

} // namespace

class TestKabelAblauf : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeZugriff> m_geraet;

private Q_SLOTS:
    void initTestCase() {
        QCOMPARE(werkoraClient().transferTimeout(), 60'000);
        werkoraClient().setTransferTimeout(500); // a silent service is given up sooner here
    }

    void init() {
        QSettings().clear();
        m_geraet = std::make_shared<FakeZugriff>();
        m_geraet->einstellen([](auto& a) {
            a.geraete = QStringList{udid};
            a.gekoppelt = Kopplung::gekoppelt;
            a.geraetedaten = Geraetedaten{"iPhone14,5", "17.5.1", {}, {}, {}, {}};
            a.akku = Akkudaten{523, 3227, 2810, 30.55};
            a.panic = {PanicLog{"panic-1.ips", "eins"}};
        });
    }

    void linkOeffnen() {
        KabelAblauf ablauf(m_geraet);
        QCOMPARE(ablauf.schritt(), Schritt::ohneLink());
        QVERIFY(!ablauf.ziel() && !ablauf.werkstatt() && !ablauf.geraet() && !ablauf.akku() &&
                ablauf.panicAnzahl() == 0);
        QVERIFY(ablauf.kopplungEntfernen());
        // Every write is announced before it is stored: a direct observer still sees the old step.
        QList<Schritt> gesehen;
        connect(&ablauf, &KabelAblauf::wirdGeaendert, this, [&] { gesehen.append(ablauf.schritt()); });
        ablauf.linkOeffnen(schlechterLink);
        QCOMPARE(gesehen, QList<Schritt>(8, Schritt::ohneLink())); // geraet … werkstatt, ziel, schritt
        QCOMPARE(ablauf.schritt(),
                 Schritt::linkUngueltig("Dieser Link stammt nicht von einer Werkora-Instanz. "
                                        "Aus Sicherheitsgründen wird nichts gelesen."));
        // The stored option outlives the controller and is not published.
        ablauf.setKopplungEntfernen(false);
        QCOMPARE(gesehen.size(), 8);
        QVERIFY(!KabelAblauf(m_geraet).kopplungEntfernen());
        QVERIFY(m_geraet->aufrufe().isEmpty());
    }

    void abfrage_data() {
        QTest::addColumn<Dienstantwort>("antwort");
        QTest::addColumn<Schritt>("schritt");
        QTest::addColumn<Text>("werkstatt");
        QTest::newRow("200 with workshop")
            << Dienstantwort{200, R"({"werkstatt":"Süd"})"} << Schritt::wartetAufGeraet() << Text("Süd");
        QTest::newRow("200 not JSON") << Dienstantwort{200, "<html>"} << Schritt::wartetAufGeraet() << Text();
        QTest::newRow("201 is no success")
            << Dienstantwort{201, R"({"werkstatt":"A"})"} << abgelaufen << Text();
        QTest::newRow("404 with a name")
            << Dienstantwort{404, R"({"werkstatt":"A"})"} << abgelaufen << Text();
        QTest::newRow("302 is not followed") << Dienstantwort{302} << abgelaufen << Text();
        QTest::newRow("307 is not followed") << Dienstantwort{307} << abgelaufen << Text();
        QTest::newRow("a body beyond 1 MiB is not read")
            << Dienstantwort{200, "{\"werkstatt\":\"A\",\"x\":\"" + QByteArray(1 << 20, 'x') + "\"}"}
            << Schritt::wartetAufGeraet() << Text();
        QTest::newRow("connection closed")
            << Dienstantwort{.schliessen = true}
            << Schritt::linkUngueltig("Werkora ist nicht erreichbar: Verbindung unterbrochen") << Text();
        QTest::newRow("silent service")
            << Dienstantwort{.schweigen = true}
            << Schritt::linkUngueltig("Werkora ist nicht erreichbar: Zeitüberschreitung") << Text();
    }
    void abfrage() {
        QFETCH(Dienstantwort, antwort);
        QFETCH(Schritt, schritt);
        m_geraet->einstellen([](auto& a) { a.geraete = QStringList(); });
        Testdienst anderswo, dienst; // redirects point to `anderswo`, which is never contacted
        antwort.kopfzeilen.insert("Location", anderswo.adresse().toString().toUtf8());
        dienst.setAntwort("GET", antwort);
        dienst.setZurueckhalten(true);
        KabelAblauf ablauf(m_geraet, kurz);
        ablauf.linkOeffnen(dienst.link());
        QCOMPARE(ablauf.ziel(), dienst.adresse());
        QTRY_COMPARE(dienst.anfragen().size(), 1);
        QCOMPARE(ablauf.schritt(), Schritt::ohneLink()); // unchanged until Werkora answers
        dienst.freigeben();
        QTRY_VERIFY(ablauf.schritt().fall() != Schritt::Fall::ohneLink);
        QCOMPARE(ablauf.schritt(), schritt);
        QTEST(ablauf.werkstatt(), "werkstatt");
        QCOMPARE(dienst.anfragen().first().pfad, "/api/public/kabel/token");
        QVERIFY(anderswo.anfragen().isEmpty());
        if (schritt == Schritt::wartetAufGeraet())
            QTRY_VERIFY(m_geraet->anzahl("geraete") > 0);
        QCOMPARE(m_geraet->anzahl("geraete") > 0, schritt == Schritt::wartetAufGeraet());
    }

    // Passes that find no device keep waiting quietly: no step rewritten, nothing but listings.
    void ohneGeraet_data() {
        QTest::addColumn<Ergebnis<QStringList>>("liste");
        QTest::addColumn<Text>("hinweis");
        QTest::newRow("empty list") << Ergebnis<QStringList>(QStringList()) << Text();
        QTest::newRow("listing tool missing")
            << Ergebnis<QStringList>(std::unexpected(ZugriffFehler::werkzeugFehlt()))
            << Text("Die Gerätebibliothek fehlt. Bitte Sondit Kabel neu installieren.");
    }
    void ohneGeraet() {
        QFETCH(Ergebnis<QStringList>, liste);
        m_geraet->einstellen([&](auto& a) { a.geraete = liste; });
        Testdienst dienst;
        KabelAblauf ablauf(m_geraet, kurz);
        ablauf.linkOeffnen(dienst.link());
        QTRY_COMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());
        QSignalSpy ankuendigungen(&ablauf, &KabelAblauf::wirdGeaendert);
        QTRY_VERIFY(m_geraet->anzahl("geraete") >= 4);
        QCOMPARE(ankuendigungen.count(), 0);
        QCOMPARE(m_geraet->aufrufe(), QStringList(m_geraet->aufrufe().size(), "geraete"));
        QTEST(ablauf.hinweis(), "hinweis");
    }

    // One pairing request per attachment and only for the first phone listed; once trusted, the
    // reading, the report and the removal of the pairing.
    void vertrauen() {
        m_geraet->einstellen([](auto& a) {
            a.geraete = QStringList{udid, "zweites"};
            a.gekoppelt = Kopplung::gesperrt;
            a.koppeln = std::unexpected(ZugriffFehler::nichtGekoppelt());
        });
        Testdienst dienst;
        KabelAblauf ablauf(m_geraet, kurz);
        ablauf.linkOeffnen(dienst.link());
        Verlauf<Text> hinweise(ablauf, [&] { return ablauf.hinweis(); });
        QTRY_VERIFY(m_geraet->anzahl("istGekoppelt") >= 3);
        QCOMPARE(ablauf.schritt(), Schritt::wartetAufVertrauen());
        QCOMPARE(m_geraet->anzahl("koppeln"), 1);
        QCOMPARE(hinweise, (QList<Text>{Text(), Text("Bitte das iPhone entsperren.")})); // steady, no flicker
        m_geraet->einstellen([](auto& a) { a.geraete = QStringList(); });
        QTRY_COMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());
        QCOMPARE(ablauf.hinweis(), Text());
        m_geraet->einstellen([](auto& a) { a.geraete = QStringList{udid}; });
        QTRY_COMPARE(m_geraet->anzahl("koppeln"), 2);
        m_geraet->einstellen([](auto& a) { a.gekoppelt = Kopplung::gekoppelt; });
        QTRY_COMPARE(ablauf.schritt().fall(), Schritt::Fall::fertig);
        const QStringList alle = m_geraet->aufrufe();
        QVERIFY(alle.filter("zweites").isEmpty());
        QCOMPARE(alle.mid(alle.lastIndexOf("geraete") + 1),
                 (QStringList{"istGekoppelt", "geraetedatenLesen", "akkudatenLesen", "panicLogsLesen",
                              "entkoppeln"}
                      .replaceInStrings(QRegularExpression("$"), ' ' + udid)));
    }

    // The identity or the panic logs cannot be read: fehler, nothing sent; retry reads afresh.
    void unlesbar_data() {
        QTest::addColumn<bool>("identitaet");
        QTest::newRow("identity unreadable") << true;
        QTest::newRow("panic copy killed") << false;
    }
    void unlesbar() {
        QFETCH(bool, identitaet);
        const QString text = "Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen.";
        m_geraet->einstellen([&](auto& a) {
            if (identitaet)
                a.geraetedaten = std::unexpected(ZugriffFehler::lesen(text));
            else
                a.panic = std::unexpected(ZugriffFehler::lesen(text));
        });
        Testdienst dienst;
        KabelAblauf ablauf(m_geraet, kurz);
        ablauf.linkOeffnen(dienst.link());
        Verlauf<Schritt> schritte(ablauf, [&] { return ablauf.schritt(); });
        QTRY_COMPARE(ablauf.schritt(), Schritt::fehler(text));
        QCOMPARE(schritte, (QList{Schritt::wartetAufGeraet(), Schritt::liest(), Schritt::fehler(text)}));
        QCOMPARE(m_geraet->anzahl("akkudatenLesen"), identitaet ? 0 : 1);
        QVERIFY(!ablauf.geraet() && dienst.anzahl("POST") == 0);
        // Retry reads the phone afresh and sends, without asking Werkora again.
        m_geraet->einstellen([](auto& a) {
            a.geraetedaten = Geraetedaten{"iPhone12,1", {}, {}, {}, {}, {}};
            a.panic = QList<PanicLog>();
        });
        ablauf.sucheStarten();
        QCOMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());
        QTRY_COMPARE(ablauf.schritt().fall(), Schritt::Fall::fertig);
        QCOMPARE(m_geraet->anzahl("geraetedatenLesen"), 2);
        QCOMPARE(dienst.anzahl("GET") + dienst.anzahl("POST"), 2);
    }

    void bericht_data() {
        QTest::addColumn<QString>("kopplung"); // the option off, or the removal working or refused
        QTest::addColumn<Dienstantwort>("antwort");
        QTest::addColumn<Schritt>("schritt");
        const Schritt abgelehnt = Schritt::fehler("Werkora hat die Daten nicht angenommen.");
        QTest::newRow("accepted, pairing removed")
            << "entfernt" << Dienstantwort{200}
            << Schritt::fertig("An Werkora gesendet. Die Kopplung mit dem iPhone wurde entfernt.");
        QTest::newRow("accepted, removal refused")
            << "bleibt" << Dienstantwort{200}
            << Schritt::fertig(
                   "An Werkora gesendet. Die Kopplung mit dem iPhone konnte nicht entfernt werden.");
        QTest::newRow("accepted, pairing kept")
            << "aus" << Dienstantwort{200} << Schritt::fertig("An Werkora gesendet.");
        QTest::newRow("201 is no success") << "entfernt" << Dienstantwort{201} << abgelehnt;
        QTest::newRow("400 with error") << "entfernt" << Dienstantwort{400, R"({"error":"Schon erledigt."})"}
                                        << Schritt::fehler("Schon erledigt.");
        QTest::newRow("500 with HTML")
            << "entfernt" << Dienstantwort{500, "<html>Oops</html>", "text/html"} << abgelehnt;
        QTest::newRow("307 is not followed") << "entfernt" << Dienstantwort{307} << abgelehnt;
        QTest::newRow("connection closed")
            << "entfernt" << Dienstantwort{.schliessen = true}
            << Schritt::fehler("Senden fehlgeschlagen: Verbindung unterbrochen");
        QTest::newRow("silent service") << "entfernt" << Dienstantwort{.schweigen = true}
                                        << Schritt::fehler("Senden fehlgeschlagen: Zeitüberschreitung");
    }
    void bericht() {
        QFETCH(QString, kopplung);
        QFETCH(Dienstantwort, antwort);
        QFETCH(Schritt, schritt);
        m_geraet->einstellen([&](auto& a) { a.entkoppelt = kopplung == "entfernt"; });
        m_geraet->anhalten("entkoppeln");
        Testdienst anderswo, dienst;
        antwort.kopfzeilen.insert("Location", anderswo.adresse().toString().toUtf8());
        dienst.setAntwort("POST", antwort);
        KabelAblauf ablauf(m_geraet, kurz);
        ablauf.setKopplungEntfernen(kopplung != "aus");
        ablauf.linkOeffnen(dienst.link());
        QTRY_VERIFY(dienst.anzahl("POST") >= 1);
        const Anfrage& post = dienst.anfragen().at(1);
        QCOMPARE(post.pfad + ' ' + post.kopfzeilen.value("content-type"),
                 "/api/public/kabel/token application/json");
        QCOMPARE(
            post.inhalt,
            R"({"programm":"Sondit Kabel 1.0.0","geraet":{"produkt":"iPhone14,5","ios":"17.5.1"},"akku":)"
            R"({"zyklen":523,"designMah":3227,"istMah":2810,"temperaturC":30.55},"panic":[{"datei":"panic-1.ips","text":"eins"}]})");
        const bool entkoppelt = schritt.text().contains("Kopplung");
        if (entkoppelt) { // only after Werkora took the report, and before the step is final
            QTRY_COMPARE(m_geraet->laufende(), 1);
            QCOMPARE(ablauf.schritt(), Schritt::sendet());
        }
        m_geraet->freigeben();
        QTRY_VERIFY(ablauf.schritt().fall() != Schritt::Fall::sendet);
        QCOMPARE(ablauf.schritt(), schritt);
        QCOMPARE(m_geraet->anzahl("entkoppeln " + udid), entkoppelt ? 1 : 0);
        QVERIFY(anderswo.anfragen().isEmpty());
        QVERIFY(ablauf.geraet() && ablauf.akku() && ablauf.panicAnzahl() == 1); // what was sent stays on show
    }

    // A newer link arrives while the old check is at some stage. Whatever the old check still had
    // under way changes nothing: no step, no data, no request, no removed pairing, and no device
    // work while the new link's lookup is pending.
    void ueberholt_data() {
        QTest::addColumn<QString>("stufe");
        for (const char* stufe : {"lookup answer pending", "second link in the same turn", "loop pausing",
                                  "loop pausing, new link refused", "read job running",
                                  "failed, retry offered", "report answer pending", "unpair running"})
            QTest::newRow(stufe) << QString(stufe);
    }
    void ueberholt() {
        QFETCH(QString, stufe);
        Testdienst alt, neu;
        const bool neuAbgelehnt = stufe.endsWith("refused");
        neu.setAntwort("GET", {neuAbgelehnt ? 404 : 200, R"({"werkstatt":"Neu"})"});
        KabelAblauf ablauf(m_geraet, kurz);
        QSignalSpy beantwortet(&werkoraClient(), &QNetworkAccessManager::finished);
        alt.setZurueckhalten(stufe == "lookup answer pending");
        if (stufe.startsWith("loop pausing")) // an untrusted phone: a stray pass would show a new step
            m_geraet->einstellen([](auto& a) { a.gekoppelt = Kopplung::ausstehend; });
        if (stufe.startsWith("failed"))
            m_geraet->einstellen(
                [](auto& a) { a.geraetedaten = std::unexpected(ZugriffFehler::lesen("x")); });
        if (stufe.contains("running") || stufe.contains("report"))
            m_geraet->anhalten(stufe == "unpair running" ? "entkoppeln" : "panicLogsLesen");
        ablauf.linkOeffnen(alt.link());
        if (stufe == "lookup answer pending")
            QTRY_COMPARE(alt.anzahl("GET"), 1);
        if (stufe.startsWith("loop pausing"))
            QTRY_VERIFY(m_geraet->anzahl("istGekoppelt") >= 2);
        if (stufe.startsWith("failed"))
            QTRY_COMPARE(ablauf.schritt(), Schritt::fehler("x"));
        if (stufe.contains("running") || stufe.contains("report"))
            QTRY_COMPARE(m_geraet->laufende(), 1);
        if (stufe == "report answer pending") {
            alt.setZurueckhalten(true);
            m_geraet->freigeben();
            QTRY_COMPARE(alt.anzahl("POST"), 1);
        }
        const QStringList vorher = m_geraet->aufrufe();
        const qsizetype posts = alt.anzahl("POST"), antworten = beantwortet.count();

        m_geraet->einstellen([](auto& a) { a.geraete = QStringList(); });
        neu.setZurueckhalten(true);
        ablauf.linkOeffnen(neu.link());
        Verlauf<Schritt> schritte(ablauf, [&] { return ablauf.schritt(); });
        ablauf.sucheStarten(); // retry, pressed while the new link is checked, does nothing
        alt.freigeben();
        m_geraet->freigeben();
        if (stufe.contains("answer pending"))
            QTRY_VERIFY(beantwortet.count() > antworten); // the old answer has arrived
        const auto ohneNeueArbeit = [&] {
            bool vorbei = false; // after twice the pause, a loop that still ran would have listed again
            QTimer::singleShot(2 * kurz, this, [&] { vorbei = true; });
            QTRY_VERIFY(vorbei && m_geraet->laufende() == 0);
            QVERIFY(m_geraet->aufrufe().size() <= vorher.size() + 1); // at most the one under way
        };
        ohneNeueArbeit();
        QVERIFY(schritte.isEmpty() && ablauf.linkWirdGeprueft());

        neu.freigeben();
        if (neuAbgelehnt) { // a failed lookup leaves no device work behind
            QTRY_COMPARE(schritte, QList{abgelaufen});
            ohneNeueArbeit();
        } else { // device work runs in order: two listings of the new check come after any old result
            const qsizetype alte = m_geraet->aufrufe().size();
            QTRY_VERIFY(m_geraet->aufrufe().size() >= alte + 2);
            QCOMPARE(schritte, QList{Schritt::wartetAufGeraet()});
            QCOMPARE(ablauf.werkstatt(), Text("Neu"));
            QCOMPARE(m_geraet->aufrufe().mid(alte),
                     QStringList(m_geraet->aufrufe().size() - alte, "geraete"));
        }
        QVERIFY(!ablauf.geraet() && !ablauf.linkWirdGeprueft());
        QCOMPARE(alt.anzahl("GET"), stufe == "second link in the same turn" ? 0 : 1);
        QCOMPARE(neu.anzahl("GET"), 1); // a one-time link is asked once
        QCOMPARE(alt.anzahl("POST"), posts);
        QCOMPARE(m_geraet->hoechstensGleichzeitig(), 1);
    }

    // Device work that a superseded check had queued behind a running tool never runs.
    void warteschlange() {
        m_geraet->anhalten("entkoppeln");
        Testdienst a, b, d;
        KabelAblauf ablauf(m_geraet, kurz);
        ablauf.linkOeffnen(a.link());
        QTRY_VERIFY(m_geraet->laufende() == 1 && m_geraet->aufrufe().last().startsWith("entkoppeln"));
        m_geraet->anhalten("istGekoppelt"); // where d's check is to stop
        ablauf.linkOeffnen(b.link());
        QTRY_VERIFY(!ablauf.linkWirdGeprueft()); // b's first listing now waits behind the removal
        ablauf.linkOeffnen(schlechterLink);
        ablauf.linkOeffnen(d.link());
        QTRY_VERIFY(!ablauf.linkWirdGeprueft());
        m_geraet->freigeben("entkoppeln");
        QTRY_VERIFY(m_geraet->aufrufe().last().startsWith("istGekoppelt"));
        const QStringList alle = m_geraet->aufrufe();
        QCOMPARE(alle.mid(alle.indexOf("entkoppeln " + udid) + 1),
                 (QStringList{"geraete", "istGekoppelt " + udid}));
        m_geraet->freigeben();
    }
};

KABEL_TEST_MAIN(TestKabelAblauf)
#include "tst_kabelablauf.moc"
