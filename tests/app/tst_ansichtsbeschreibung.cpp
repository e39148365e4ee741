// What the window shows for each state of the controller, without any widget.
#include "app/Ansichtsbeschreibung.h"

#include <QTest>

using namespace kabel;

Q_DECLARE_METATYPE(kabel::Schritt)

namespace {

Geraetedaten geraet(std::optional<QString> imei = QStringLiteral("356789104512334"),
                    std::optional<QString> imei2 = std::nullopt,
                    std::optional<QString> seriennummer = std::nullopt,
                    std::optional<QString> ios = QStringLiteral("17.4.1")) {
    return Geraetedaten{QStringLiteral("iPhone14,5"), ios, seriennummer, imei, imei2,
                        QStringLiteral("Activated")};
}

Rasterzeile zeile(const char* bezeichnung, const QString& wert, bool festbreite = false) {
    return {QString::fromUtf8(bezeichnung), wert, festbreite};
}

QString texte(const QList<Rasterzeile>& zeilen) {
    QStringList teile;
    for (const Rasterzeile& z : zeilen)
        teile << z.bezeichnung + u'=' + z.wert + (z.festbreite ? u"[mono]" : u"");
    return teile.join(u" | ");
}

const QString fehlerText =
    QStringLiteral("Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen.");

} // namespace

class TestAnsichtsbeschreibung : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void untertitel_data() {
        QTest::addColumn<std::optional<QString>>("werkstatt");
        QTest::addColumn<std::optional<QUrl>>("ziel");
        QTest::addColumn<QString>("erwartet");

        const QUrl ziel(QStringLiteral("https://muster.werkora.de/api/public/kabel/abc"));
        QTest::newRow("werkstatt und host")
            << std::optional<QString>(QStringLiteral("Handyklinik")) << std::optional<QUrl>(ziel)
            << QStringLiteral("Für Handyklinik · muster.werkora.de");
        QTest::newRow("host allein") << std::optional<QString>() << std::optional<QUrl>(ziel)
                                     << QStringLiteral("muster.werkora.de");
        QTest::newRow("host ohne port, pfad und query")
            << std::optional<QString>(QStringLiteral("W"))
            << std::optional<QUrl>(QUrl(QStringLiteral("http://127.0.0.1:8443/api/public/kabel/t?x=1#f")))
            << QStringLiteral("Für W · 127.0.0.1");
        QTest::newRow("weder werkstatt noch ziel") << std::optional<QString>() << std::optional<QUrl>()
                                                   << QStringLiteral("Gerätedaten per Kabel für Werkora");
        QTest::newRow("werkstatt ohne ziel")
            << std::optional<QString>(QStringLiteral("Handyklinik")) << std::optional<QUrl>()
            << QStringLiteral("Gerätedaten per Kabel für Werkora");
        QTest::newRow("ziel ohne host") << std::optional<QString>(QStringLiteral("Handyklinik"))
                                        << std::optional<QUrl>(QUrl(QStringLiteral("file:///tmp/x")))
                                        << QStringLiteral("Gerätedaten per Kabel für Werkora");
    }

    void untertitel() {
        QFETCH(std::optional<QString>, werkstatt);
        QFETCH(std::optional<QUrl>, ziel);
        QFETCH(QString, erwartet);
        Zustand zustand;
        zustand.werkstatt = werkstatt;
        zustand.ziel = ziel;
        QCOMPARE(ansichtFuer(zustand).untertitel, erwartet);
    }

    void panel_data() {
        QTest::addColumn<Schritt>("schritt");
        QTest::addColumn<bool>("mitGeraet");
        QTest::addColumn<bool>("mac");
        QTest::addColumn<QList<Baustein>>("reihenfolge");
        QTest::addColumn<int>("abstand");
        QTest::addColumn<std::optional<Meldung>>("meldung");
        QTest::addColumn<std::optional<QString>>("fortschritt");

        using B = Baustein;
        const auto keineMeldung = std::optional<Meldung>();
        const auto keinFortschritt = std::optional<QString>();
        const auto warnung = [](const QString& text) {
            return std::optional<Meldung>(Meldung{Symbol::warnung, Farbrolle::orange, text});
        };
        const auto fortschritt = [](const char* text) {
            return std::optional<QString>(QString::fromUtf8(text));
        };

        QTest::newRow("ohneLink")
            << Schritt::ohneLink() << false << false << QList<B>{B::meldung} << 0
            << std::optional<Meldung>(Meldung{
                   Symbol::klicken, Farbrolle::sekundaer,
                   QStringLiteral(
                       "In Werkora im Prüfassistenten auf „Per Kabel“ klicken. Dieses Fenster öffnet sich dann von selbst.")})
            << keinFortschritt;
        QTest::newRow("linkUngueltig")
            << Schritt::linkUngueltig(QStringLiteral("Link kaputt.")) << false << false
            << QList<B>{B::meldung} << 0 << warnung(QStringLiteral("Link kaputt.")) << keinFortschritt;
        QTest::newRow("wartetAufGeraet, kein Mac")
            << Schritt::wartetAufGeraet() << false << false << QList<B>{B::fortschritt, B::optionen} << 14
            << keineMeldung << fortschritt("iPhone per Kabel an diesen Computer anschließen und entsperren.");
        QTest::newRow("wartetAufGeraet, Mac")
            << Schritt::wartetAufGeraet() << false << true << QList<B>{B::fortschritt, B::optionen} << 14
            << keineMeldung << fortschritt("iPhone per Kabel an diesen Mac anschließen und entsperren.");
        QTest::newRow("wartetAufVertrauen")
            << Schritt::wartetAufVertrauen() << false << false << QList<B>{B::fortschritt, B::optionen} << 14
            << keineMeldung
            << fortschritt(
                   "Auf dem iPhone „Diesem Computer vertrauen?“ mit „Vertrauen“ bestätigen und den Code eingeben.");
        QTest::newRow("liest, Daten vom letzten Mal bleiben verborgen")
            << Schritt::liest() << true << false << QList<B>{B::fortschritt} << 0 << keineMeldung
            << fortschritt("Lese Gerätedaten, Akku und Panic-Logs …");
        QTest::newRow("sendet mit Gerät")
            << Schritt::sendet() << true << false << QList<B>{B::raster, B::fortschritt} << 14 << keineMeldung
            << fortschritt("Sende an Werkora …");
        QTest::newRow("sendet ohne Gerät: kein leeres Raster")
            << Schritt::sendet() << false << false << QList<B>{B::fortschritt} << 14 << keineMeldung
            << fortschritt("Sende an Werkora …");
        const auto fertig = std::optional<Meldung>(Meldung{
            Symbol::erledigt, Farbrolle::gruen,
            QStringLiteral(
                "An Werkora gesendet. In Werkora geht es weiter, dieses Fenster kann offen bleiben.")});
        QTest::newRow("fertig mit Gerät")
            << Schritt::fertig(QStringLiteral("An Werkora gesendet.")) << true << false
            << QList<B>{B::meldung, B::raster} << 14 << fertig << keinFortschritt;
        QTest::newRow("fertig ohne Gerät")
            << Schritt::fertig(QStringLiteral("An Werkora gesendet.")) << false << false
            << QList<B>{B::meldung} << 14 << fertig << keinFortschritt;
        QTest::newRow("fehler, Daten vom letzten Mal bleiben verborgen")
            << Schritt::fehler(fehlerText) << true << false << QList<B>{B::meldung, B::erneutVersuchen} << 12
            << warnung(fehlerText) << keinFortschritt;
    }

    void panel() {
        QFETCH(Schritt, schritt);
        QFETCH(bool, mitGeraet);
        QFETCH(bool, mac);
        QFETCH(QList<Baustein>, reihenfolge);
        QFETCH(int, abstand);
        QFETCH(std::optional<Meldung>, meldung);
        QFETCH(std::optional<QString>, fortschritt);

        Zustand zustand;
        zustand.schritt = schritt;
        zustand.mac = mac;
        if (mitGeraet) {
            zustand.geraet = geraet();
            zustand.akku = Akkudaten{};
        }
        const Ansicht ansicht = ansichtFuer(zustand);
        QCOMPARE(ansicht.reihenfolge, reihenfolge);
        if (reihenfolge.size() > 1)
            QCOMPARE(ansicht.abstand, abstand);
        QCOMPARE(ansicht.meldung.has_value(), meldung.has_value());
        if (meldung) {
            QCOMPARE(ansicht.meldung->text, meldung->text);
            QCOMPARE(ansicht.meldung->symbol, meldung->symbol);
            QCOMPARE(ansicht.meldung->farbe, meldung->farbe);
        }
        QCOMPARE(ansicht.fortschritt, fortschritt);
        QCOMPARE(ansicht.raster.isEmpty(), !reihenfolge.contains(Baustein::raster));
    }

    void raster_data() {
        QTest::addColumn<std::optional<Geraetedaten>>("geraetedaten");
        QTest::addColumn<std::optional<Akkudaten>>("akku");
        QTest::addColumn<qint64>("panicAnzahl");
        QTest::addColumn<QList<Rasterzeile>>("erwartet");

        const auto g = [](Geraetedaten d) { return std::optional<Geraetedaten>(std::move(d)); };
        const auto a = [](Akkudaten d) { return std::optional<Akkudaten>(d); };
        const auto geraetZeile = zeile("Gerät", QStringLiteral("iPhone14,5 · iOS 17.4.1"));
        const auto imeiZeile = zeile("IMEI", QStringLiteral("356789104512334"), true);
        const auto keinePanics = zeile("Panic-Logs", QStringLiteral("keine"));

        QTest::newRow("alles bekannt")
            << g(geraet(QStringLiteral("356789104512334"), QStringLiteral("356789104598761"),
                        QStringLiteral("F2LXK0Q7N72J")))
            << a(Akkudaten{523, 1000, 870, 30.5}) << qint64(3)
            << QList<Rasterzeile>{geraetZeile,
                                  imeiZeile,
                                  zeile("IMEI 2", QStringLiteral("356789104598761"), true),
                                  zeile("Seriennummer", QStringLiteral("F2LXK0Q7N72J"), true),
                                  zeile("Akku", QStringLiteral("87 % · 523 Ladezyklen")),
                                  zeile("Panic-Logs", QStringLiteral("3"))};
        QTest::newRow("IMEI fehlt: nicht lesbar, IMEI 2 und Seriennummer entfallen")
            << g(geraet(std::nullopt)) << std::optional<Akkudaten>() << qint64(0)
            << QList<Rasterzeile>{geraetZeile, zeile("IMEI", QStringLiteral("nicht lesbar"), true),
                                  keinePanics};
        QTest::newRow("ohne iOS nur das Produkt")
            << g(geraet(QStringLiteral("356789104512334"), std::nullopt, std::nullopt, std::nullopt))
            << std::optional<Akkudaten>() << qint64(0)
            << QList<Rasterzeile>{zeile("Gerät", QStringLiteral("iPhone14,5")), imeiZeile, keinePanics};
        QTest::newRow("Akku nur mit Zyklen")
            << g(geraet()) << a(Akkudaten{523, std::nullopt, 2800, std::nullopt}) << qint64(0)
            << QList<Rasterzeile>{geraetZeile, imeiZeile, zeile("Akku", QStringLiteral("523 Ladezyklen")),
                                  keinePanics};
        QTest::newRow("Akku nur mit Zustand, Zustand höchstens 100")
            << g(geraet()) << a(Akkudaten{std::nullopt, 3000, 3100, std::nullopt}) << qint64(0)
            << QList<Rasterzeile>{geraetZeile, imeiZeile, zeile("Akku", QStringLiteral("100 %")),
                                  keinePanics};
        QTest::newRow("Akkudatensatz ohne Werte: leere Zeile")
            << g(geraet()) << a(Akkudaten{}) << qint64(0)
            << QList<Rasterzeile>{geraetZeile, imeiZeile, zeile("Akku", QString()), keinePanics};
        QTest::newRow("große Zahlen ohne Tausendertrennung")
            << g(geraet()) << a(Akkudaten{12345, std::nullopt, std::nullopt, std::nullopt}) << qint64(1234)
            << QList<Rasterzeile>{geraetZeile, imeiZeile, zeile("Akku", QStringLiteral("12345 Ladezyklen")),
                                  zeile("Panic-Logs", QStringLiteral("1234"))};
        QTest::newRow("ohne Gerät kein Raster, auch mit Akku und Panics")
            << std::optional<Geraetedaten>() << a(Akkudaten{523, 1000, 870, 30.5}) << qint64(3)
            << QList<Rasterzeile>{};
    }

    void raster() {
        QFETCH(std::optional<Geraetedaten>, geraetedaten);
        QFETCH(std::optional<Akkudaten>, akku);
        QFETCH(qint64, panicAnzahl);
        QFETCH(QList<Rasterzeile>, erwartet);

        Zustand zustand;
        zustand.schritt = Schritt::fertig(QStringLiteral("An Werkora gesendet."));
        zustand.geraet = geraetedaten;
        zustand.akku = akku;
        zustand.panicAnzahl = panicAnzahl;
        QCOMPARE(texte(ansichtFuer(zustand).raster), texte(erwartet));
    }

    // The toggle shows the stored option, whatever the step.
    void optionFolgtDemGespeichertenWert() {
        for (const bool an : {true, false}) {
            Zustand zustand;
            zustand.schritt = Schritt::wartetAufVertrauen();
            zustand.kopplungEntfernen = an;
            QCOMPARE(ansichtFuer(zustand).optionAn, an);
        }
    }
};

QTEST_GUILESS_MAIN(TestAnsichtsbeschreibung)
#include "tst_ansichtsbeschreibung.moc"
