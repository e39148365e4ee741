// What the window shows for a state of the controller, as a plain description without widgets.
#include "Testumgebung.h"
#include "app/Ansichtsbeschreibung.h"

using namespace kabel;
using namespace kabel::test;

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

} // namespace

class TestAnsicht : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void panel_data() {
        tabelle(QFINDTESTDATA("daten/ansicht.txt"), {"schritt", "ziel", "werkstatt", "auch", "ansicht"});
    }
    void panel() {
        QFETCH(QByteArray, schritt);
        QFETCH(QByteArray, ziel);
        QFETCH(QByteArray, werkstatt);
        QFETCH(QByteArray, auch);
        Zustand zustand{schrittAus(schritt), ziel.isEmpty() ? std::nullopt : std::optional(QUrl(ziel)),
                        text(werkstatt)};
        const QList<QByteArray> zusaetze = auch.split(' ');
        if (zusaetze.contains("geraet"))
            zustand.geraet = geraetAus("iPhone14,5;17.4.1;;356789104512334;;");
        zustand.mac = zusaetze.contains("mac");
        zustand.kopplungEntfernen = !zusaetze.contains("optionAus");
        zustand.linkWirdGeprueft = zusaetze.contains("pruefend");
        if (zusaetze.contains("hinweis"))
            zustand.hinweis = "Bitte das iPhone entsperren.";
        QTEST(beschreiben(ansichtFuer(zustand)).toUtf8(), "ansicht");
    }

    void raster_data() { tabelle(QFINDTESTDATA("daten/raster.txt"), {"geraet", "akku", "panic", "zeilen"}); }
    void raster() {
        QFETCH(QByteArray, geraet);
        QFETCH(QByteArray, akku);
        QFETCH(QByteArray, panic);
        const std::optional<Akkudaten> akkudaten = akkuAus(akku);
        QStringList zeilen;
        for (const Rasterzeile& zeile : rasterFuer(geraetAus(geraet), akkudaten, panic.toLongLong()))
            zeilen << zeile.bezeichnung + '=' + zeile.wert + (zeile.festbreite ? " mono" : "");
        QTEST(zeilen.join('|').toUtf8(), "zeilen");
        QVERIFY(rasterFuer(std::nullopt, akkudaten, panic.toLongLong()).isEmpty());
    }
};

KABEL_TEST_MAIN(TestAnsicht)
#include "tst_ansicht.moc"
