#include "flow/Bericht.h"
#include "flow/Schritt.h"
#include "flow/Werkstattantwort.h"

#include <QTest>

using namespace kabel;

// The pure pieces of the exchange with Werkora: the report's bytes, how answers are read, and
// step equality.
class TestBericht : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void kodieren_data();
    void kodieren();
    void ungueltigesUtf8();
    void programm();
    void ablehnung_data();
    void ablehnung();
    void werkstatt_data();
    void werkstatt();
    void schrittGleichheit();
};

namespace {

Geraetedaten voll() {
    return Geraetedaten{QStringLiteral("iPhone14,5"),      QStringLiteral("17.5.1"),
                        QStringLiteral("F2LXK0ABCDEF"),    QStringLiteral("356789012345678"),
                        QStringLiteral("356789012345679"), QStringLiteral("Activated")};
}

} // namespace

void TestBericht::kodieren_data() {
    QTest::addColumn<Paket>("paket");
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("everything, in the fixed member order")
        << Paket{QStringLiteral("Sondit Kabel 1.0.0"),
                 voll(),
                 Akkudaten{523, 3227, 2810, 30.55},
                 {PanicLog{QStringLiteral("panic-full-2024-05-01-101010.000.ips"),
                           "Zeile 1\r\nÜberhitzt \"heiß\"\n"}}}
        << QByteArray(
               R"({"programm":"Sondit Kabel 1.0.0","geraet":{"produkt":"iPhone14,5","ios":"17.5.1",)"
               R"("seriennummer":"F2LXK0ABCDEF","imei":"356789012345678","imei2":"356789012345679","aktivierung":"Activated"},)"
               R"("akku":{"zyklen":523,"designMah":3227,"istMah":2810,"temperaturC":30.55},)"
               R"("panic":[{"datei":"panic-full-2024-05-01-101010.000.ips","text":"Zeile 1\r\nÜberhitzt \"heiß\"\n"}]})");
    QTest::newRow("only the model, no battery, no logs")
        << Paket{QStringLiteral("Sondit Kabel ?"),
                 Geraetedaten{QStringLiteral("iPhone9,1"), {}, {}, {}, {}, {}},
                 {},
                 {}}
        << QByteArray(R"({"programm":"Sondit Kabel ?","geraet":{"produkt":"iPhone9,1"},"panic":[]})");
    QTest::newRow("battery record without figures is an empty object")
        << Paket{QStringLiteral("p"), Geraetedaten{QStringLiteral("x"), {}, {}, {}, {}, {}}, Akkudaten{}, {}}
        << QByteArray(R"({"programm":"p","geraet":{"produkt":"x"},"akku":{},"panic":[]})");
    QTest::newRow("second IMEI missing, zero and negative figures kept")
        << Paket{QStringLiteral("p"),
                 Geraetedaten{
                     QStringLiteral("x"), {}, {}, QStringLiteral("1"), {}, QStringLiteral("Unactivated")},
                 Akkudaten{0, {}, -5, 0.0},
                 {}}
        << QByteArray(R"({"programm":"p","geraet":{"produkt":"x","imei":"1","aktivierung":"Unactivated"},)"
                      R"("akku":{"zyklen":0,"istMah":-5,"temperaturC":0.0},"panic":[]})");
    QTest::newRow("temperatures in shortest round-trip form")
        << Paket{QStringLiteral("p"),
                 Geraetedaten{QStringLiteral("x"), {}, {}, {}, {}, {}},
                 Akkudaten{{}, {}, {}, 3012 / 100.0},
                 {}}
        << QByteArray(R"({"programm":"p","geraet":{"produkt":"x"},"akku":{"temperaturC":30.12},"panic":[]})");
    QTest::newRow("control characters escaped, emoji kept as UTF-8")
        << Paket{QStringLiteral("p"),
                 Geraetedaten{QStringLiteral("x"), {}, {}, {}, {}, {}},
                 {},
                 {PanicLog{QStringLiteral("Panic-ä.ips"), "\t\x01 👩‍💻"}}}
        << QByteArray(
               R"({"programm":"p","geraet":{"produkt":"x"},"panic":[{"datei":"Panic-ä.ips","text":"\t\u0001 👩‍💻"}]})");
}

void TestBericht::kodieren() {
    QFETCH(Paket, paket);
    QFETCH(QByteArray, json);
    const auto body = berichtKodieren(paket);
    QVERIFY(body);
    QCOMPARE(*body, json);
}

// Panic texts are validated when read; should one slip through, nothing half-encoded is sent.
void TestBericht::ungueltigesUtf8() {
    const Paket paket{QStringLiteral("p"),
                      Geraetedaten{QStringLiteral("x"), {}, {}, {}, {}, {}},
                      {},
                      {PanicLog{QStringLiteral("panic.ips"), "ab\xff"}}};
    const auto body = berichtKodieren(paket);
    QVERIFY(!body);
    QVERIFY(!body.error().isEmpty());
}

void TestBericht::programm() {
    QCOMPARE(programmText(QStringLiteral("1.0.0")), QStringLiteral("Sondit Kabel 1.0.0"));
    QCOMPARE(programmText(QString()), QStringLiteral("Sondit Kabel ?"));
}

void TestBericht::ablehnung_data() {
    QTest::addColumn<QByteArray>("antwort");
    QTest::addColumn<QString>("grund");
    const QString fest = QStringLiteral("Werkora hat die Daten nicht angenommen.");
    QTest::newRow("error string") << QByteArray(R"({"error":"Token abgelaufen – bitte neu öffnen"})")
                                  << QStringLiteral("Token abgelaufen – bitte neu öffnen");
    QTest::newRow("empty error string is shown as sent") << QByteArray(R"({"error":""})") << QString();
    QTest::newRow("error not a string") << QByteArray(R"({"error":42})") << fest;
    QTest::newRow("error null") << QByteArray(R"({"error":null})") << fest;
    QTest::newRow("no error member") << QByteArray(R"({"fehler":"x"})") << fest;
    QTest::newRow("array") << QByteArray(R"([{"error":"x"}])") << fest;
    QTest::newRow("HTML") << QByteArray("<html><body>500 Internal Server Error</body></html>") << fest;
    QTest::newRow("empty") << QByteArray() << fest;
}

void TestBericht::ablehnung() {
    QFETCH(QByteArray, antwort);
    QFETCH(QString, grund);
    QCOMPARE(ablehnungsgrund(antwort), grund);
}

void TestBericht::werkstatt_data() {
    QTest::addColumn<QByteArray>("antwort");
    QTest::addColumn<std::optional<QString>>("werkstatt");
    QTest::newRow("name") << QByteArray(R"({"werkstatt":"Handy-Klinik Süd","x":1})")
                          << std::optional<QString>(QStringLiteral("Handy-Klinik Süd"));
    QTest::newRow("name not trimmed")
        << QByteArray(R"({"werkstatt":"  A "})") << std::optional<QString>(QStringLiteral("  A "));
    QTest::newRow("empty name stays empty")
        << QByteArray(R"({"werkstatt":""})") << std::optional<QString>(QString());
    QTest::newRow("empty body") << QByteArray() << std::optional<QString>();
    QTest::newRow("not JSON") << QByteArray("Werkstatt") << std::optional<QString>();
    QTest::newRow("array") << QByteArray(R"(["werkstatt"])") << std::optional<QString>();
    QTest::newRow("empty object") << QByteArray("{}") << std::optional<QString>();
    QTest::newRow("null member") << QByteArray(R"({"werkstatt":null})") << std::optional<QString>();
    QTest::newRow("number member") << QByteArray(R"({"werkstatt":7})") << std::optional<QString>();
    QTest::newRow("null document") << QByteArray("null") << std::optional<QString>();
    QTest::newRow("number document") << QByteArray("12") << std::optional<QString>();
}

void TestBericht::werkstatt() {
    QFETCH(QByteArray, antwort);
    QFETCH(std::optional<QString>, werkstatt);
    QCOMPARE(werkstattAusAntwort(antwort), werkstatt);
}

void TestBericht::schrittGleichheit() {
    const QString zusammengesetzt = QStringLiteral("Gera\u0308t"); // a + combining diaeresis
    QCOMPARE(Schritt::fehler(QStringLiteral("Gerät")), Schritt::fehler(zusammengesetzt));
    QCOMPARE(Schritt::fehler(QStringLiteral("x")), Schritt::fehler(QStringLiteral("x")));
    QVERIFY(!(Schritt::fehler(QStringLiteral("x")) == Schritt::fertig(QStringLiteral("x"))));
    QVERIFY(!(Schritt::fehler(QStringLiteral("x")) == Schritt::fehler(QStringLiteral("y"))));
    QCOMPARE(Schritt::liest(), Schritt::liest());
    QVERIFY(!(Schritt::liest() == Schritt::sendet()));
}

QTEST_GUILESS_MAIN(TestBericht)
#include "tst_bericht.moc"
