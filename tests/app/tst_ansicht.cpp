// What the window shows for a state of the controller, as a plain description without widgets.
#include "Testumgebung.h"
#include "app/Ansichtsbeschreibung.h"

using namespace kabel;

namespace {

// Subtitle and panel top to bottom in one line: "subtitle | block: text | … @spacing".
QString beschreiben(const Ansicht& ansicht) {
    const char* const symbole[] = {"kabel", "klicken", "warnung", "erledigt"};
    const char* const farben[] = {"sekundaer", "orange", "gruen"};
    QStringList teile{ansicht.untertitel};
    for (const Baustein baustein : ansicht.reihenfolge) {
        if (baustein == Baustein::meldung)
            teile << QString(symbole[int(ansicht.meldung->symbol)]) + '/' +
                         farben[int(ansicht.meldung->farbe)] + ": " + ansicht.meldung->text;
        if (baustein == Baustein::fortschritt)
            teile << "fortschritt: " + *ansicht.fortschritt;
        if (baustein == Baustein::hinweis)
            teile << "hinweis: " + *ansicht.hinweis;
        if (baustein == Baustein::raster)
            teile << QString("raster %1").arg(ansicht.raster.size());
        if (baustein == Baustein::optionen)
            teile << QString("optionen ") + (ansicht.optionAn ? "an" : "aus");
        if (baustein == Baustein::erneutVersuchen)
            teile << "erneutVersuchen";
    }
    return teile.join(" | ") + (teile.size() > 2 ? QString(" @%1").arg(ansicht.abstand) : QString());
}

Zustand zustand(Schritt schritt, bool mitGeraet = true) {
    Zustand z{std::move(schritt), QUrl("https://a.werkora.de/api/public/kabel/t"), "W"};
    if (mitGeraet)
        z.geraet = Geraetedaten{"iPhone14,5", "17.4.1", {}, "356789104512334", {}, {}};
    return z;
}

} // namespace

class TestAnsicht : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void panel_data() {
        QTest::addColumn<Zustand>("zustand");
        QTest::addColumn<QString>("ansicht");
        const QString fehler = "Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen.";
        Zustand ohneLink, nurHost = zustand(Schritt::linkUngueltig("Link kaputt.")),
                          mac = zustand(Schritt::wartetAufGeraet());
        nurHost.werkstatt.reset();
        mac.mac = true;
        mac.hinweis = "Bitte das iPhone entsperren.";
        mac.ziel = QUrl("http://127.0.0.1:8443/api/public/kabel/t?x=1#f");
        Zustand optionAus = zustand(Schritt::wartetAufVertrauen()), ohneHost = zustand(Schritt::liest());
        optionAus.kopplungEntfernen = false;
        ohneHost.ziel = QUrl("file:///tmp/x");
        QTest::newRow("ohneLink")
            << ohneLink
            << "Gerätedaten per Kabel für Werkora | klicken/sekundaer: In Werkora im Prüfassistenten auf "
               "„Per Kabel“ klicken. Dieses Fenster öffnet sich dann von selbst.";
        QTest::newRow("linkUngueltig, host alone")
            << nurHost << "a.werkora.de | warnung/orange: Link kaputt.";
        QTest::newRow("wartetAufGeraet")
            << zustand(Schritt::wartetAufGeraet())
            << "Für W · a.werkora.de | fortschritt: iPhone per Kabel an diesen Computer anschließen und entsperren. | optionen an @14";
        QTest::newRow("wartetAufGeraet on the Mac, bare host")
            << mac
            << "Für W · 127.0.0.1 | fortschritt: iPhone per Kabel an diesen Mac anschließen und entsperren. | hinweis: Bitte das "
               "iPhone entsperren. | optionen an @14";
        QTest::newRow("wartetAufVertrauen, option off")
            << optionAus
            << "Für W · a.werkora.de | fortschritt: Auf dem iPhone „Diesem Computer vertrauen?“ mit „Vertrauen“ bestätigen und den "
               "Code eingeben. | optionen aus @14";
        QTest::newRow("liest hides the last reading; target without host")
            << ohneHost
            << "Gerätedaten per Kabel für Werkora | fortschritt: Lese Gerätedaten, Akku und Panic-Logs …";
        QTest::newRow("sendet") << zustand(Schritt::sendet())
                                << "Für W · a.werkora.de | raster 3 | fortschritt: Sende an Werkora … @14";
        QTest::newRow("sendet without a device leaves no gap")
            << zustand(Schritt::sendet(), false) << "Für W · a.werkora.de | fortschritt: Sende an Werkora …";
        QTest::newRow("fertig")
            << zustand(Schritt::fertig("An Werkora gesendet."))
            << "Für W · a.werkora.de | erledigt/gruen: An Werkora gesendet. In Werkora geht es weiter, dieses "
               "Fenster kann offen bleiben. | raster 3 @14";
        Zustand neuerLink = zustand(Schritt::fehler(fehler));
        neuerLink.linkWirdGeprueft = true;
        QTest::newRow("a new link being checked hides the old failure")
            << neuerLink << "Für W · a.werkora.de | fortschritt: Link wird bei Werkora geprüft …";
        QTest::newRow("fehler hides the last reading")
            << zustand(Schritt::fehler(fehler))
            << "Für W · a.werkora.de | warnung/orange: " + fehler + " | erneutVersuchen @12";
    }
    void panel() {
        QFETCH(Zustand, zustand);
        QTEST(beschreiben(ansichtFuer(zustand)), "ansicht");
    }

    void raster_data() {
        QTest::addColumn<Geraetedaten>("geraet");
        QTest::addColumn<std::optional<Akkudaten>>("akku");
        QTest::addColumn<qint64>("panicAnzahl");
        QTest::addColumn<QString>("zeilen");
        const Geraetedaten karg{"iPhone9,1", {}, {}, {}, {}, {}};
        const QString kopf = "Gerät=iPhone9,1|IMEI=nicht lesbar mono|";
        QTest::newRow("everything known")
            << Geraetedaten{"iPhone14,5",      "17.4.1",          "F2LXK0Q7N72J",
                            "356789104512334", "356789104598761", "Activated"}
            << std::optional(Akkudaten{523, 1000, 870, 30.5}) << qint64(3)
            << "Gerät=iPhone14,5 · iOS 17.4.1|IMEI=356789104512334 mono|IMEI 2=356789104598761 mono|"
               "Seriennummer=F2LXK0Q7N72J mono|Akku=87 % · 523 Ladezyklen|Panic-Logs=3";
        QTest::newRow("no battery record")
            << karg << std::optional<Akkudaten>() << qint64(0) << kopf + "Panic-Logs=keine";
        QTest::newRow("cycles only, ungrouped")
            << karg << std::optional(Akkudaten{12345, {}, 2800, {}}) << qint64(1234)
            << kopf + "Akku=12345 Ladezyklen|Panic-Logs=1234";
        QTest::newRow("health only") << karg << std::optional(Akkudaten{{}, 3000, 3100, {}}) << qint64(0)
                                     << kopf + "Akku=100 %|Panic-Logs=keine";
        QTest::newRow("battery record without figures")
            << karg << std::optional(Akkudaten{}) << qint64(0) << kopf + "Akku=nicht lesbar|Panic-Logs=keine";
    }
    void raster() {
        QFETCH(Geraetedaten, geraet);
        QFETCH(std::optional<Akkudaten>, akku);
        QFETCH(qint64, panicAnzahl);
        QStringList zeilen;
        for (const Rasterzeile& zeile : rasterFuer(geraet, akku, panicAnzahl))
            zeilen << zeile.bezeichnung + '=' + zeile.wert + (zeile.festbreite ? " mono" : "");
        QTEST(zeilen.join('|'), "zeilen");
        QVERIFY(rasterFuer(std::nullopt, akku, panicAnzahl).isEmpty());
    }
};

KABEL_TEST_MAIN(TestAnsicht)
#include "tst_ansicht.moc"
