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
        test::tabelle(QFINDTESTDATA("daten/berichte.txt"), {"programm", "geraet", "akku", "panic", "json"});
    }
    void kodieren() {
        QFETCH(QByteArray, programm);
        QFETCH(QByteArray, geraet);
        QFETCH(QByteArray, akku);
        QFETCH(QByteArray, panic);
        QFETCH(QByteArray, json);
        Paket paket{programm, test::geraetAus(geraet), test::akkuAus(akku), {}};
        for (const QByteArray& log : panic.split(';'))
            if (!log.isEmpty())
                paket.panic.append(
                    PanicLog{log.left(log.indexOf('=')), log.mid(log.indexOf('=') + 1).toStdString()});
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
