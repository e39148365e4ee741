// What goes to Werkora and what comes back, as pure functions over tables in daten/: the link
// gate, the report's exact bytes, and the texts read from answers, failures and the phone's state.
#include "Testumgebung.h"
#include "flow/Bericht.h"
#include "flow/Hinweise.h"
#include "flow/Lesung.h"
#include "flow/Linkpruefung.h"
#include "flow/Werkoraantwort.h"

#include <QUrlQuery>

using namespace kabel;
using namespace kabel::test;

namespace {

std::optional<QString> warten(const QByteArray& eingabe) { // the hint after a wait's passes (daten/texte.txt)
    const std::map<QByteArray, Fehler> fehler{
        {"werkzeugFehlt", ZugriffFehler::werkzeugFehlt()},
        {"usbDienstFehlt", ZugriffFehler::usbDienstFehlt()},
        {"usbDienstAntwortetNicht", ZugriffFehler::usbDienstAntwortetNicht()},
        {"abgebrochen", Abgebrochen{}}};
    const QList<QByteArray> staende{"gekoppelt", "ausstehend", "gesperrt", "abgelehnt", "fehlgeschlagen"},
        modi{"normal", "wiederherstellung", "dfu"};
    const bool mac = eingabe.startsWith("mac;");
    Wartelage lage(Wartelage::Zeit(0), mac);
    std::optional<Hinweis> hinweis;
    for (const QByteArray& durchgang : eingabe.mid(mac ? 4 : 0).split(';')) {
        const QList<QByteArray> t = durchgang.trimmed().split(' ');
        const auto ergebnis = [&](auto wert) {
            return fehler.contains(t[2]) ? std::unexpected(fehler.at(t[2])) : Ergebnis<decltype(wert)>(wert);
        };
        std::optional<QList<Usbmodus>> usb = t.size() > 3 ? std::optional(QList<Usbmodus>()) : std::nullopt;
        for (const QByteArray& modus : t.value(3).split(','))
            if (modi.contains(modus))
                usb->append(Usbmodus(modi.indexOf(modus)));
        const Wartelage::Zeit jetzt(t[0].toInt());
        hinweis =
            t[1] == "liste"
                ? lage.gelistet(jetzt, ergebnis(QString(t[2].mid(3)).split(',', Qt::SkipEmptyParts)), usb)
                : lage.vertrauen(
                      jetzt, ergebnis(Kopplung{Kopplung::Stand(staende.indexOf(t[2])), t.value(3).toInt()}));
    }
    return hinweis ? std::optional(hinweis->text) : std::nullopt;
}

// The text the reading `was` finds in `eingabe` (see daten/texte.txt); "(keiner)" for none.
QString lesen(const QByteArray& was, const QByteArray& eingabe) {
    const QList<QByteArray> teile = eingabe.split(' ');
    const std::optional<QString> text = was == "werkstatt" ? werkstattAusAntwort(eingabe)
                                        : was == "grund"   ? ablehnungsgrund(eingabe)
                                        : was == "kopieren"
                                            ? kopierText({teile[0].toInt(), teile[1].toLongLong(),
                                                          std::chrono::milliseconds(teile[2].toInt())})
                                            : warten(eingabe);
    return text.value_or("(keiner)");
}

} // namespace

class TestWerkora : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every row a whole link as the desktop delivers it, guarding a fault of its own.
    void link_data() { tabelle(QFINDTESTDATA("daten/links.txt"), {"angenommen", "link"}); }
    void link() {
        const QByteArray& link = spalte("link");
        const std::optional<QUrl> ziel = zielAusLink(QUrl(QString::fromUtf8(link)));
        QTEST(QByteArray(ziel ? "+" : "-"), "angenommen");
        if (ziel) // what is accepted is used as it arrived: port, query, fragment and a "+" stay
            QCOMPARE(*ziel, QUrl(QUrlQuery(QUrl(link)).queryItemValue("ziel", QUrl::FullyDecoded)));
    }

    void bericht_data() {
        tabelle(QFINDTESTDATA("daten/berichte.txt"), {"programm", "geraet", "akku", "panic", "json"});
    }
    void bericht() {
        Paket paket{spalte("programm"), geraetAus(spalte("geraet")), akkuAus(spalte("akku")), {}};
        for (const QByteArray& log : spalte("panic").split(';'))
            if (!log.isEmpty())
                paket.panic.append({log.left(log.indexOf('=')), log.mid(log.indexOf('=') + 1).toStdString()});
        QTEST(berichtKodieren(paket).value_or(QByteArray()), "json");
    }

    void texte_data() { tabelle(QFINDTESTDATA("daten/texte.txt"), {"was", "eingabe", "text"}); }
    void texte() { QTEST(lesen(spalte("was"), spalte("eingabe")).toUtf8(), "text"); }
};

KABEL_TEST_MAIN(TestWerkora)
#include "tst_werkora.moc"
