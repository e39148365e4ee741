#include "FakeZugriff.h"
#include "Testdienst.h"
#include "Testumgebung.h"
#include "flow/KabelAblauf.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using namespace kabel;
using kabel::test::Antwort;
using kabel::test::FakeZugriff;
using kabel::test::Testdienst;

// The controller up to the device phase: opening links and the workshop lookup.
class TestKabelAblauf : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void anfangszustand();
    void abgelehnterLink();
    void angekuendigtVorDemSpeichern();
    void angenommenerLinkBehaeltSchritt();
    void kopplungEntfernenBleibt();
    void abfrage_data();
    void abfrage();
    void dienstNichtErreichbar();
    void spaeteAntwortAendertNichts();
    void zweiLinksKurzNacheinander();
    void abgelehnterLinkBeendetGeraetesuche();

private:
    std::shared_ptr<FakeZugriff> m_geraet;
};

namespace {

const QString fremd = QStringLiteral(
    "Dieser Link stammt nicht von einer Werkora-Instanz. Aus Sicherheitsgründen wird nichts gelesen.");
const QString abgelaufen = QStringLiteral(
    "Der Link ist abgelaufen oder schon benutzt. Bitte in Werkora erneut auf „Per Kabel“ klicken.");

const QUrl schlechterLink(
    QStringLiteral("sondit-kabel://lesen?ziel=https%3A%2F%2Fevil.com%2Fapi%2Fpublic%2Fkabel%2Ft"));

} // namespace

void TestKabelAblauf::init() {
    QSettings().clear();
    m_geraet = std::make_shared<FakeZugriff>();
}

void TestKabelAblauf::anfangszustand() {
    KabelAblauf ablauf(m_geraet);
    QCOMPARE(ablauf.schritt(), Schritt::ohneLink());
    QVERIFY(!ablauf.ziel());
    QVERIFY(!ablauf.werkstatt());
    QVERIFY(!ablauf.geraet());
    QVERIFY(!ablauf.akku());
    QVERIFY(ablauf.panic().isEmpty());
    QCOMPARE(ablauf.panicAnzahl(), 0);
    QVERIFY(!ablauf.udid());
    QVERIFY(ablauf.kopplungEntfernen());
    QVERIFY(m_geraet->aufrufe().isEmpty());
}

void TestKabelAblauf::abgelehnterLink() {
    Testdienst dienst;
    KabelAblauf ablauf(m_geraet);
    ablauf.linkOeffnen(dienst.link());
    QTRY_COMPARE(ablauf.werkstatt(), std::optional<QString>(QStringLiteral("Testwerkstatt")));

    QSignalSpy ankuendigungen(&ablauf, &KabelAblauf::wirdGeaendert);
    ablauf.linkOeffnen(schlechterLink);
    // geraet, akku, panic, panicAnzahl, werkstatt, ziel, schritt: each write announced once.
    QCOMPARE(ankuendigungen.count(), 7);
    QCOMPARE(ablauf.schritt(), Schritt::linkUngueltig(fremd));
    QCOMPARE(ablauf.schritt().text(), fremd);
    QVERIFY(!ablauf.ziel());
    QVERIFY(!ablauf.werkstatt());
}

// An observer connected directly still sees the old value; the new one is stored right after.
void TestKabelAblauf::angekuendigtVorDemSpeichern() {
    KabelAblauf ablauf(m_geraet);
    QList<Schritt::Fall> gesehen;
    connect(&ablauf, &KabelAblauf::wirdGeaendert, this, [&] { gesehen.append(ablauf.schritt().fall()); });
    ablauf.linkOeffnen(schlechterLink);
    QVERIFY(!gesehen.isEmpty());
    QCOMPARE(gesehen.last(), Schritt::Fall::ohneLink);
    QCOMPARE(ablauf.schritt().fall(), Schritt::Fall::linkUngueltig);

    // Writing an equal value announces as well.
    QSignalSpy ankuendigungen(&ablauf, &KabelAblauf::wirdGeaendert);
    ablauf.linkOeffnen(schlechterLink);
    QCOMPARE(ankuendigungen.count(), 7);
}

void TestKabelAblauf::angenommenerLinkBehaeltSchritt() {
    Testdienst dienst;
    dienst.setZurueckhalten(true);
    KabelAblauf ablauf(m_geraet);
    ablauf.linkOeffnen(schlechterLink);
    ablauf.linkOeffnen(dienst.link());
    QCOMPARE(ablauf.ziel(), std::optional<QUrl>(dienst.adresse()));
    QTRY_COMPARE(dienst.anzahl("GET"), 1);
    QCOMPARE(ablauf.schritt(), Schritt::linkUngueltig(fremd));
    dienst.freigeben();
    QTRY_COMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());
}

void TestKabelAblauf::kopplungEntfernenBleibt() {
    {
        KabelAblauf ablauf(m_geraet);
        QSignalSpy ankuendigungen(&ablauf, &KabelAblauf::wirdGeaendert);
        ablauf.setKopplungEntfernen(false);
        QCOMPARE(ankuendigungen.count(), 0);
        QVERIFY(!ablauf.kopplungEntfernen());
        ablauf.linkOeffnen(schlechterLink);
        QVERIFY(!ablauf.kopplungEntfernen());
    }
    QCOMPARE(QSettings().value(QStringLiteral("kopplungEntfernen")), QVariant(false));
    KabelAblauf neu(m_geraet);
    QVERIFY(!neu.kopplungEntfernen());
    neu.setKopplungEntfernen(true);
    QCOMPARE(QSettings().value(QStringLiteral("kopplungEntfernen")), QVariant(true));
}

void TestKabelAblauf::abfrage_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("inhalt");
    QTest::addColumn<Schritt>("schritt");
    QTest::addColumn<std::optional<QString>>("werkstatt");

    const auto name = std::optional<QString>(QStringLiteral("Handy-Klinik Süd"));
    const auto keiner = std::optional<QString>();
    QTest::newRow("200 with workshop")
        << 200 << QByteArray(R"({"werkstatt":"Handy-Klinik Süd"})") << Schritt::wartetAufGeraet() << name;
    QTest::newRow("200 empty body") << 200 << QByteArray() << Schritt::wartetAufGeraet() << keiner;
    QTest::newRow("200 not JSON") << 200 << QByteArray("<html>") << Schritt::wartetAufGeraet() << keiner;
    QTest::newRow("200 array") << 200 << QByteArray("[]") << Schritt::wartetAufGeraet() << keiner;
    QTest::newRow("200 empty object") << 200 << QByteArray("{}") << Schritt::wartetAufGeraet() << keiner;
    QTest::newRow("200 null name") << 200 << QByteArray(R"({"werkstatt":null})") << Schritt::wartetAufGeraet()
                                   << keiner;
    QTest::newRow("200 number name") << 200 << QByteArray(R"({"werkstatt":3})") << Schritt::wartetAufGeraet()
                                     << keiner;
    QTest::newRow("200 null") << 200 << QByteArray("null") << Schritt::wartetAufGeraet() << keiner;
    QTest::newRow("201") << 201 << QByteArray(R"({"werkstatt":"A"})") << Schritt::linkUngueltig(abgelaufen)
                         << keiner;
    QTest::newRow("204") << 204 << QByteArray() << Schritt::linkUngueltig(abgelaufen) << keiner;
    QTest::newRow("404 with a name") << 404 << QByteArray(R"({"werkstatt":"A"})")
                                     << Schritt::linkUngueltig(abgelaufen) << keiner;
    QTest::newRow("500") << 500 << QByteArray("Fehler") << Schritt::linkUngueltig(abgelaufen) << keiner;
    QTest::newRow("302 is not followed")
        << 302 << QByteArray() << Schritt::linkUngueltig(abgelaufen) << keiner;
    QTest::newRow("307 is not followed")
        << 307 << QByteArray() << Schritt::linkUngueltig(abgelaufen) << keiner;
}

void TestKabelAblauf::abfrage() {
    QFETCH(int, status);
    QFETCH(QByteArray, inhalt);
    QFETCH(Schritt, schritt);
    QFETCH(std::optional<QString>, werkstatt);

    Testdienst anderswo; // where redirects point; it must never be contacted
    Testdienst dienst;
    const QByteArray weiter = anderswo.adresse().toString(QUrl::FullyEncoded).toUtf8();
    dienst.setAntwort("GET", Antwort{status, inhalt, "application/json", {{"Location", weiter}}, false});
    KabelAblauf ablauf(m_geraet, std::chrono::milliseconds(10));
    ablauf.linkOeffnen(dienst.link());
    QTRY_VERIFY(ablauf.schritt().fall() != Schritt::Fall::ohneLink);

    QCOMPARE(ablauf.schritt(), schritt);
    QCOMPARE(ablauf.werkstatt(), werkstatt);
    QCOMPARE(dienst.anfragen().size(), 1);
    QCOMPARE(dienst.anfragen().first().methode, QByteArray("GET"));
    QCOMPARE(dienst.anfragen().first().pfad, QByteArray("/api/public/kabel/token"));
    QVERIFY(anderswo.anfragen().isEmpty());
    if (schritt == Schritt::wartetAufGeraet())
        QTRY_VERIFY(m_geraet->anzahl(QStringLiteral("geraete")) > 0);
    else
        QCOMPARE(m_geraet->anzahl(QStringLiteral("geraete")), 0);
}

void TestKabelAblauf::dienstNichtErreichbar() {
    QTcpServer belegt;
    QVERIFY(belegt.listen(QHostAddress::LocalHost));
    const quint16 port = belegt.serverPort();
    belegt.close();
    const QUrl ziel(QStringLiteral("http://127.0.0.1:%1/api/public/kabel/t").arg(port));

    // What Qt itself says about this address, to compare with the shown text.
    QNetworkAccessManager nam;
    std::unique_ptr<QNetworkReply> probe(nam.get(QNetworkRequest(ziel)));
    QTRY_VERIFY(probe->isFinished());
    QVERIFY(!probe->errorString().isEmpty());

    KabelAblauf ablauf(m_geraet);
    ablauf.linkOeffnen(
        QUrl(u"sondit-kabel://lesen?ziel=" + QString::fromLatin1(QUrl::toPercentEncoding(ziel.toString()))));
    QTRY_COMPARE(ablauf.schritt().fall(), Schritt::Fall::linkUngueltig);
    QCOMPARE(ablauf.schritt().text(), u"Werkora ist nicht erreichbar: " + probe->errorString());
    QCOMPARE(m_geraet->anzahl(QStringLiteral("geraete")), 0);
}

void TestKabelAblauf::spaeteAntwortAendertNichts() {
    Testdienst alt;
    alt.setAntwort("GET", Antwort{200, R"({"werkstatt":"Alt"})", "application/json", {}, false});
    alt.setZurueckhalten(true);
    Testdienst neu;
    neu.setAntwort("GET", Antwort{404, {}, "application/json", {}, false});

    KabelAblauf ablauf(m_geraet);
    ablauf.linkOeffnen(alt.link());
    QTRY_COMPARE(alt.anzahl("GET"), 1);
    ablauf.linkOeffnen(neu.link());
    QTRY_COMPARE(ablauf.schritt(), Schritt::linkUngueltig(abgelaufen));

    QSignalSpy ankuendigungen(&ablauf, &KabelAblauf::wirdGeaendert);
    QSignalSpy beantwortet(&alt, &Testdienst::angefragt);
    alt.freigeben();
    // Let the late answer arrive: a fresh request to the old service is answered after it.
    QNetworkAccessManager nam;
    std::unique_ptr<QNetworkReply> danach(nam.get(QNetworkRequest(alt.adresse())));
    QTRY_VERIFY(danach->isFinished());
    QCoreApplication::processEvents();

    QCOMPARE(ankuendigungen.count(), 0);
    QCOMPARE(ablauf.schritt(), Schritt::linkUngueltig(abgelaufen));
    QVERIFY(!ablauf.werkstatt());
    QCOMPARE(ablauf.ziel(), std::optional<QUrl>(neu.adresse()));
    QCOMPARE(m_geraet->anzahl(QStringLiteral("geraete")), 0);
}

// Two links within one event-loop turn: the one-time link of the second is asked exactly once,
// and the first, already replaced, not at all.
void TestKabelAblauf::zweiLinksKurzNacheinander() {
    Testdienst erster;
    Testdienst zweiter;
    KabelAblauf ablauf(m_geraet);
    ablauf.linkOeffnen(erster.link());
    ablauf.linkOeffnen(zweiter.link());
    QTRY_COMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());
    QTest::qWait(100); // a second lookup would be under way by now
    QCOMPARE(zweiter.anzahl("GET"), 1);
    QCOMPARE(erster.anzahl("GET"), 0);
}

void TestKabelAblauf::abgelehnterLinkBeendetGeraetesuche() {
    Testdienst dienst;
    // A long pause: the loop must end because the pause is cut short, not because it ran out.
    KabelAblauf ablauf(m_geraet, std::chrono::minutes(10));
    ablauf.linkOeffnen(dienst.link());
    QTRY_COMPARE(m_geraet->anzahl(QStringLiteral("geraete")), 1);
    QTRY_COMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());

    ablauf.linkOeffnen(schlechterLink);
    QCOMPARE(ablauf.schritt(), Schritt::linkUngueltig(fremd));
    // A loop that kept going after the cut-short pause would list the devices again at once.
    QTest::qWait(300);
    QCOMPARE(m_geraet->anzahl(QStringLiteral("geraete")), 1);
    QCOMPARE(ablauf.schritt(), Schritt::linkUngueltig(fremd));
}

KABEL_TEST_MAIN(TestKabelAblauf)
#include "tst_kabelablauf.moc"
