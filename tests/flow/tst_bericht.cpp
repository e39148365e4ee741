// What the check sends and says, as pure functions: the report's exact bytes, how Werkora's small
// answers are read, the German texts of network failures, and the hints while waiting.
#include "Testumgebung.h"
#include "flow/Bericht.h"
#include "flow/Hinweise.h"
#include "flow/Werkoraantwort.h"
#include "flow/Werkoraclient.h"

using namespace kabel;
using Text = std::optional<QString>;

class TestBericht : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void kodieren_data() {
        QTest::addColumn<Paket>("paket");
        QTest::addColumn<QByteArray>("json"); // empty: encoding must fail
        const Geraetedaten nurModell{"x", {}, {}, {}, {}, {}};
        QTest::newRow("everything, in the fixed member order")
            << Paket{"Sondit Kabel 1.0.0",
                     {"iPhone14,5", "17.5.1", "F2LXK0ABCDEF", "356789012345678", "356789012345679",
                      "Activated"},
                     Akkudaten{523, 3227, 2810, 30.55},
                     {PanicLog{"panic-2.ips", "Zeile 1\r\nÜberhitzt\n"}, PanicLog{"panic-1.ips", ""}}}
            << QByteArray(
                   R"({"programm":"Sondit Kabel 1.0.0","geraet":{"produkt":"iPhone14,5","ios":"17.5.1",)"
                   R"("seriennummer":"F2LXK0ABCDEF","imei":"356789012345678","imei2":"356789012345679",)"
                   R"("aktivierung":"Activated"},"akku":{"zyklen":523,"designMah":3227,"istMah":2810,)"
                   R"("temperaturC":30.55},"panic":[{"datei":"panic-2.ips","text":"Zeile 1\r\nÜberhitzt)"
                   R"(\n"},{"datei":"panic-1.ips","text":""}]})");
        QTest::newRow("only the model, no battery, no logs")
            << Paket{"Sondit Kabel ?", nurModell, {}, {}}
            << QByteArray(R"({"programm":"Sondit Kabel ?","geraet":{"produkt":"x"},"panic":[]})");
        QTest::newRow("battery without figures; zero and negative kept")
            << Paket{"p", {"x", {}, {}, "1", {}, {}}, Akkudaten{0, {}, -5, 0.0}, {}}
            << QByteArray(
                   R"({"programm":"p","geraet":{"produkt":"x","imei":"1"},"akku":{"zyklen":0,"istMah":-5,)"
                   R"("temperaturC":0.0},"panic":[]})");
        QTest::newRow("shortest round-trip temperature")
            << Paket{"p", nurModell, Akkudaten{{}, {}, {}, 3012 / 100.0}, {}}
            << QByteArray(
                   R"({"programm":"p","geraet":{"produkt":"x"},"akku":{"temperaturC":30.12},"panic":[]})");
        // Written without raw strings: moc misreads a backslash before a quote inside one.
        QTest::newRow("quotes and control characters escaped, emoji as UTF-8")
            << Paket{"p", nurModell, Akkudaten{}, {PanicLog{"Panic-ä.ips", "\t\x01 \"👩‍💻"}}}
            << QByteArray(
                   "{\"programm\":\"p\",\"geraet\":{\"produkt\":\"x\"},\"akku\":{},\"panic\":[{\"datei\":"
                   "\"Panic-ä.ips\",\"text\":\"\\t\\u0001 \\\"👩‍💻\"}]}");
        QTest::newRow("invalid UTF-8 sends nothing half-encoded")
            << Paket{"p", nurModell, {}, {PanicLog{"panic.ips", "ab\xff"}}} << QByteArray();
    }
    void kodieren() {
        QFETCH(Paket, paket);
        QFETCH(QByteArray, json);
        const auto body = berichtKodieren(paket);
        QCOMPARE(body.has_value(), !json.isEmpty());
        if (body)
            QCOMPARE(*body, json);
        else
            QVERIFY(!body.error().isEmpty());
    }

    void antworten_data() {
        test::tabelle(QFINDTESTDATA("daten/antworten.txt"), {"antwort", "werkstatt", "grund"});
        QTest::newRow("deeply nested") << QByteArray(200000, '[') << QByteArray("(keine)")
                                       << QByteArray("Werkora hat die Daten nicht angenommen.");
    }
    void antworten() {
        QFETCH(QByteArray, antwort);
        QTEST(werkstattAusAntwort(antwort).value_or("(keine)").toUtf8(), "werkstatt");
        QTEST(ablehnungsgrund(antwort).toUtf8(), "grund");
    }

    void netzwerk_data() { test::tabelle(QFINDTESTDATA("daten/netzwerkfehler.txt"), {"fehler", "text"}); }
    void netzwerk() {
        QFETCH(QByteArray, fehler);
        const int wert = QMetaEnum::fromType<QNetworkReply::NetworkError>().keyToValue(fehler);
        QTEST(netzwerkFehlertext(QNetworkReply::NetworkError(wert)).toUtf8(), "text");
    }

    void hinweise_data() {
        QTest::addColumn<Ergebnis<QStringList>>("liste");
        QTest::addColumn<int>("stummSeit"); // ms
        QTest::addColumn<Text>("hinweis");
        const auto fehler = [](Fehler f) { return Ergebnis<QStringList>(std::unexpected(f)); };
        const auto stumm = fehler(ZugriffFehler::usbDienstAntwortetNicht());
        QTest::newRow("listing works") << Ergebnis<QStringList>(QStringList()) << 0 << Text();
        QTest::newRow("listing tool missing")
            << fehler(ZugriffFehler::werkzeugFehlt()) << 0
            << Text("Die Gerätebibliothek fehlt. Bitte Sondit Kabel neu installieren.");
        QTest::newRow("usbmuxd not installed, at once")
            << fehler(ZugriffFehler::usbDienstFehlt()) << 0
            << Text("Der iPhone-USB-Dienst „usbmuxd“ fehlt. Bitte das Paket usbmuxd installieren.");
        QTest::newRow("usbmuxd silent 10 s: normal before a phone is in") << stumm << 10'000 << Text();
        QTest::newRow("usbmuxd silent longer")
            << stumm << 10'001
            << Text(
                   "Noch kein iPhone erkannt. Steckt es schon, das Kabel kurz abziehen oder „sudo systemctl restart usbmuxd“ ausführen.");
        QTest::newRow("listing killed") << fehler(Abgebrochen{}) << 60'000 << Text();
    }
    void hinweise() {
        QFETCH(Ergebnis<QStringList>, liste);
        QFETCH(int, stummSeit);
        QTEST(hinweisOhneGeraet(liste, std::chrono::milliseconds(stummSeit)), "hinweis");
        QCOMPARE(hinweisOhneVertrauen(Kopplung::ausstehend), Text());
        QCOMPARE(hinweisOhneVertrauen(Kopplung::gesperrt), Text("Bitte das iPhone entsperren."));
        QCOMPARE(
            hinweisOhneVertrauen(Kopplung::abgelehnt),
            Text(
                "Auf dem iPhone wurde „Nicht vertrauen“ gewählt. Kabel kurz abziehen und wieder einstecken."));
    }
};

KABEL_TEST_MAIN(TestBericht)
#include "tst_bericht.moc"
