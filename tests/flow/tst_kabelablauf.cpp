// The controller against a recording fake device and real HTTP services on 127.0.0.1: the lookup,
// the device loop, the report, and checks superseded by a newer link at every stage.
#include "FakeZugriff.h"
#include "Testdienst.h"
#include "Testumgebung.h"
#include "flow/KabelAblauf.h"
#include "flow/Werkoraantwort.h"
#include "flow/Werkoraclient.h"

#include <QDeadlineTimer>
#include <QNetworkAccessManager>
#include <QSettings>
#include <QSignalSpy>

using namespace kabel;
using namespace kabel::test;
using Text = std::optional<QString>;

namespace {

constexpr std::chrono::milliseconds kurz(20);
const QString udid = "00008110-001A2B3C4D5E801E";
const QUrl schlechterLink("sondit-kabel://lesen?ziel=https%3A%2F%2Fevil.com%2Fapi%2Fpublic%2Fkabel%2Ft");

// "status body", "schliessen" or "schweigen" (see daten/ablauf.txt).
Dienstantwort antwortAus(const QByteArray& text) {
    if (text == "schliessen" || text == "schweigen")
        return {.schliessen = text == "schliessen", .schweigen = text == "schweigen"};
    return {text.left(3).toInt(), text.mid(4)};
}

} // namespace

class TestKabelAblauf : public QObject {
    Q_OBJECT

    QNetworkAccessManager m_netz;
    std::shared_ptr<FakeZugriff> m_geraet;

    void ruhig(KabelAblauf& ablauf) { // three more device calls write nothing: the window stays steady
        const qsizetype vorher = m_geraet->aufrufe().size();
        QSignalSpy aenderungen(&ablauf, &KabelAblauf::geaendert);
        QTRY_VERIFY(m_geraet->aufrufe().size() >= vorher + 3);
        QCOMPARE(aenderungen.count(), 0);
    }
    static void abwarten(std::chrono::milliseconds dauer) { // for what must not happen meanwhile
        const QDeadlineTimer ende(dauer);
        QTRY_VERIFY(ende.hasExpired());
    }

private Q_SLOTS:
    void init() {
        m_netz.setTransferTimeout(500); // a silent service is given up sooner here
        QSettings().clear();
        m_geraet = std::make_shared<FakeZugriff>();
    }

    // A throwing listing does not end the wait. Two phones: nothing asked or read; the one left: a
    // pairing request per attachment, a steady hint gone when unplugged; trusted: read, report, unpair.
    void vertrauen() {
        m_geraet->einstellen([](auto& a) {
            a.werfen = {"geraete"};
            a.geraete = QStringList{udid, "zweites"};
            a.gekoppelt = a.koppeln = Kopplung{Kopplung::gesperrt};
        });
        Testdienst dienst;
        KabelAblauf ablauf(m_netz, m_geraet, kurz, m_geraet);
        ablauf.linkOeffnen(dienst.link());
        QTRY_VERIFY(m_geraet->anzahl("geraete") >= 3);
        QCOMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());
        m_geraet->einstellen([](auto& a) { a.werfen.clear(); });
        QTRY_COMPARE(
            ablauf.hinweis(),
            Text("Mehrere iPhones angeschlossen. Bitte nur das zu prüfende iPhone angeschlossen lassen."));
        ruhig(ablauf);
        QCOMPARE(m_geraet->aufrufe().filter(QRegularExpression("^(?!geraete$)")), QStringList());
        m_geraet->einstellen([](auto& a) { a.geraete = QStringList{udid}; });
        QTRY_VERIFY(m_geraet->anzahl("istGekoppelt") >= 2);
        QVERIFY(ablauf.schritt() == Schritt::wartetAufVertrauen() &&
                ablauf.hinweis() == "Bitte das iPhone entsperren.");
        ruhig(ablauf); // no flicker of step or hint
        QCOMPARE(m_geraet->anzahl("koppeln"), 1);
        m_geraet->einstellen([](auto& a) { a.geraete = QStringList(); });
        QTRY_COMPARE(ablauf.hinweis(), std::nullopt);
        m_geraet->einstellen([](auto& a) { a.geraete = QStringList{udid}; });
        QTRY_COMPARE(m_geraet->anzahl("koppeln"), 2);
        m_geraet->einstellen([](auto& a) { a.gekoppelt = Kopplung{Kopplung::gekoppelt}; });
        QTRY_COMPARE(ablauf.schritt().fall(), Schritt::Fall::fertig);
        QVERIFY(m_geraet->aufrufe().filter("zweites").isEmpty() &&
                m_geraet->anzahl("entkoppeln " + udid) == 1);
    }

    // A wait that sees nothing change ends after the limit and lists nothing more, not even a trusted
    // phone plugged in later, until retry; a phone coming and going on the bus keeps it going.
    void ohneFortschritt_data() {
        jaNein("wechselnd", "nothing changes: it ends", "the bus changes: it goes on");
    }
    void ohneFortschritt() {
        QFETCH(bool, wechselnd);
        const std::chrono::milliseconds grenze(600);
        m_geraet->einstellen([](auto& a) { a.geraete = QStringList(); });
        QTimer wechsel;
        connect(&wechsel, &QTimer::timeout, this, [&] {
            m_geraet->einstellen(
                [](auto& a) { a.usb = a.usb->isEmpty() ? QList{Usbmodus::normal} : QList<Usbmodus>(); });
        });
        Testdienst dienst;
        KabelAblauf ablauf(m_netz, m_geraet, kurz, m_geraet, grenze);
        const QDeadlineTimer grenzeVorbei(grenze);
        ablauf.linkOeffnen(dienst.link());
        if (wechselnd) {
            wechsel.start(grenze / 10);
            abwarten(3 * grenze);
            QCOMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());
            wechsel.stop();
        }
        const Schritt beendet = Schritt::fehler(
            "Die Prüfung wurde nach 15 Minuten ohne Fortschritt beendet. Zum Fortsetzen „Erneut versuchen“ drücken.");
        QTRY_COMPARE_WITH_TIMEOUT(ablauf.schritt(), beendet, 10000);
        QVERIFY(grenzeVorbei.hasExpired());
        m_geraet->einstellen([](auto& a) { a.geraete = QStringList{udid}; });
        const qsizetype listungen = m_geraet->anzahl("geraete");
        abwarten(5 * kurz);
        QCOMPARE(m_geraet->anzahl("geraete"), listungen);
        ablauf.sucheStarten();
        QTRY_COMPARE(ablauf.schritt().fall(), Schritt::Fall::fertig);
    }

    // A whole check to its end: the lookup, the reading and the report, each answered one way.
    void ablauf_data() {
        test::tabelle(QFINDTESTDATA("daten/ablauf.txt"), {"get", "geraet", "kopplung", "senden", "ende"});
    }
    void ablauf() {
        const QByteArray &get = spalte("get"), &geraet = spalte("geraet"), &kopplung = spalte("kopplung");
        Dienstantwort lookup = antwortAus(get), bericht = antwortAus(spalte("senden"));
        const Schritt schritt = schrittAus(QString::fromUtf8(spalte("ende")));
        const ZugriffFehler fehler = ZugriffFehler::lesen(schritt.text());
        m_geraet->einstellen([&](auto& a) {
            a.entkoppelt = kopplung == "entfernt";
            if (geraet == "identitaet")
                a.geraetedaten = std::unexpected(fehler);
            if (geraet == "akku")
                a.akku = std::unexpected(fehler);
            if (geraet == "panic")
                a.panic = std::unexpected(fehler);
            if (geraet == "wirft")
                a.werfen = {"panicLogsLesen"};
        });
        m_geraet->anhalten("entkoppeln");
        Testdienst anderswo, dienst; // redirects point to `anderswo`, which is never contacted
        for (auto* antwort : {&lookup, &bericht})
            antwort->kopfzeilen.insert("Location", anderswo.adresse().toString().toUtf8());
        dienst.setAntwort("GET", lookup);
        dienst.setAntwort("POST", bericht);
        KabelAblauf ablauf(m_netz, m_geraet, kurz, m_geraet);
        ablauf.setKopplungEntfernen(kopplung != "aus");
        ablauf.linkOeffnen(get == "fremd" ? schlechterLink : dienst.link());
        if (schritt.text().contains("Kopplung")) { // removed only after Werkora took the report
            QTRY_COMPARE(m_geraet->laufende(), 1);
            QCOMPARE(ablauf.schritt(), Schritt::sendet());
        }
        m_geraet->freigeben();
        QTRY_COMPARE(ablauf.schritt(), schritt);
        QCOMPARE(ablauf.werkstatt(), lookup.status == 200
                                         ? werkstattAusAntwort(lookup.inhalt.left(dienstInhaltHoechstens))
                                         : Text());
        QVERIFY(anderswo.anfragen().isEmpty());
        QCOMPARE(dienst.anzahl("GET") > 0, get != "fremd");
        QCOMPARE(m_geraet->anzahl("geraete") > 0, schritt.fall() != Schritt::Fall::linkUngueltig);
        QCOMPARE(m_geraet->anzahl("entkoppeln " + udid), schritt.text().contains("Kopplung") ? 1 : 0);
        // The first reading that fails ends the reading.
        QCOMPARE(m_geraet->anzahl("akkudatenLesen") > 0,
                 schritt.fall() != Schritt::Fall::linkUngueltig && geraet != "identitaet");
        QCOMPARE(m_geraet->anzahl("panicLogsLesen") > 0,
                 m_geraet->anzahl("akkudatenLesen") > 0 && geraet != "akku");
        if (dienst.anzahl("POST") == 0) {
            QVERIFY(schritt.fall() != Schritt::Fall::fertig && !ablauf.geraet());
            return;
        }
        const Anfrage& post = dienst.anfragen().at(1);
        QCOMPARE(post.pfad, "/api/public/kabel/token"); // the report's bytes: tst_werkora
        QVERIFY(post.inhalt.endsWith(R"("panic":[{"datei":"panic-1.ips","text":"eins"}]})"));
        QVERIFY(ablauf.geraet() && ablauf.akku() && ablauf.panicAnzahl() == 1); // what was sent stays on show
        QCOMPARE(ablauf.panicBefund().unlesbar, 1); // "eins" is no panic file; the reading: tst_geraet
    }

    // A newer link arrives while the old check is at some stage: what the old one still had under way
    // changes no step, data, request or pairing, and no device work runs while the new lookup is pending.
    void ueberholt_data() { tabelle(QFINDTESTDATA("daten/ueberholt.txt"), {"angehalten"}); }
    void ueberholt() {
        const QString stufe = QTest::currentDataTag(), angehalten = spalte("angehalten");
        Testdienst alt, neu;
        const bool neuAbgelehnt = stufe.endsWith("refused"), pausiert = stufe.startsWith("loop pausing"),
                   gescheitert = stufe.startsWith("failed"), haelt = angehalten != "-";
        neu.setAntwort("GET", {neuAbgelehnt ? 404 : 200, R"({"werkstatt":"Neu"})"});
        KabelAblauf ablauf(m_netz, m_geraet, kurz, m_geraet);
        QSignalSpy beantwortet(&m_netz, &QNetworkAccessManager::finished);
        alt.setZurueckhalten(stufe == "lookup answer pending");
        m_geraet->einstellen([&](auto& a) {
            if (pausiert) // an untrusted phone: a stray pass would show a new step
                a.gekoppelt = Kopplung{Kopplung::ausstehend};
            if (gescheitert)
                a.geraetedaten = std::unexpected(ZugriffFehler::lesen("x"));
        });
        if (haelt)
            m_geraet->anhalten(angehalten);
        ablauf.linkOeffnen(alt.link());
        QTRY_VERIFY(stufe == "second link in the same turn" || alt.anzahl("GET") == 1);
        QTRY_VERIFY(!pausiert || m_geraet->anzahl("istGekoppelt") >= 2);
        QTRY_VERIFY(!gescheitert || ablauf.schritt() == Schritt::fehler("x"));
        QTRY_VERIFY(!haelt || m_geraet->laufende() == 1);
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
        QSignalSpy aenderungen(&ablauf, &KabelAblauf::geaendert);
        ablauf.sucheStarten(); // retry, pressed while the new link is checked, does nothing
        alt.freigeben();
        if (!stufe.contains("never ends")) // else the old check's running tool must be killed
            m_geraet->freigeben();
        if (stufe.contains("answer pending"))
            QTRY_VERIFY(beantwortet.count() > antworten); // the old answer has arrived
        const auto ohneNeueArbeit = [&] {
            abwarten(2 * kurz); // a loop that still ran would have listed again
            QTRY_COMPARE(m_geraet->laufende(), 0);
            QVERIFY(m_geraet->aufrufe().size() <= vorher.size() + 1); // at most the one under way
        };
        ohneNeueArbeit();
        QVERIFY(aenderungen.isEmpty() && ablauf.linkWirdGeprueft());

        neu.freigeben();
        if (neuAbgelehnt) { // a failed lookup leaves no device work behind
            QTRY_COMPARE(ablauf.schritt().fall(), Schritt::Fall::linkUngueltig);
            ohneNeueArbeit();
        } else { // device work runs in order: two listings of the new check come after any old result
            const qsizetype alte = m_geraet->aufrufe().size();
            QTRY_VERIFY(m_geraet->aufrufe().size() >= alte + 2);
            QVERIFY(ablauf.schritt() == Schritt::wartetAufGeraet() && ablauf.werkstatt() == "Neu");
            QCOMPARE(m_geraet->aufrufe().mid(alte),
                     QStringList(m_geraet->aufrufe().size() - alte, "geraete"));
        }
        QVERIFY(!ablauf.geraet() && !ablauf.linkWirdGeprueft() && ablauf.panicBefund() == Panicbefund());
        QCOMPARE(alt.anzahl("GET"), stufe == "second link in the same turn" ? 0 : 1);
        QCOMPARE(neu.anzahl("GET"), 1); // a one-time link is asked once
        QCOMPARE(alt.anzahl("POST"), posts);
    }

    // The removal of an accepted report's pairing belongs to that report: newer links do not end it,
    // the new check shows its own step, the outcome shows nowhere. What a superseded check queued never runs.
    void entkoppelnBleibt() {
        m_geraet->anhalten("entkoppeln");
        Testdienst a, b, d;
        KabelAblauf ablauf(m_netz, m_geraet, kurz, m_geraet);
        ablauf.linkOeffnen(a.link());
        QTRY_VERIFY(m_geraet->laufende() == 1 && m_geraet->aufrufe().last().startsWith("entkoppeln"));
        m_geraet->anhalten("istGekoppelt"); // where d's check is to stop
        ablauf.linkOeffnen(b.link());
        QTRY_VERIFY(!ablauf.linkWirdGeprueft()); // b's first listing now waits behind the removal
        ablauf.linkOeffnen(schlechterLink);
        ablauf.linkOeffnen(d.link());
        QTRY_VERIFY(!ablauf.linkWirdGeprueft());
        QVERIFY(ablauf.schritt() == Schritt::wartetAufGeraet() && m_geraet->laufende() == 1);
        m_geraet->freigeben("entkoppeln");
        QTRY_VERIFY(m_geraet->aufrufe().last().startsWith("istGekoppelt"));
        const QStringList alle = m_geraet->aufrufe();
        QCOMPARE(alle.mid(alle.indexOf("entkoppeln " + udid) + 1),
                 (QStringList{"geraete", "istGekoppelt " + udid}));
        QCOMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());
        m_geraet->freigeben();
    }
};

KABEL_TEST_MAIN(TestKabelAblauf)
#include "tst_kabelablauf.moc"
