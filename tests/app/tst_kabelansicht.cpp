// The window: what it shows for a state, as a plain description (daten/), and on the offscreen
// platform its geometry per step, the grid's cells, and how it acts on the controller.
#include "FakeZugriff.h"
#include "Testdienst.h"
#include "Testumgebung.h"
#include "app/Ansichtsbeschreibung.h"
#include "app/Einzeiler.h"
#include "app/KabelAnsicht.h"
#include "app/KabelApp.h"
#include "app/Mehrzeiler.h"
#include "flow/KabelAblauf.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QScopeGuard>
#include <QSettings>
#include <QTextDocument>
#include <cmath>

using namespace kabel;
using namespace kabel::test;
using namespace std::chrono_literals;

namespace {

const QString unlesbar = "Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen.";

std::pair<qint64, Panicbefund> panicAus(const QString& text) { // as daten/ansicht.txt writes them
    const QStringList t = text.split(';');
    Panicbefund befund;
    if (t.size() == 8) {
        befund = {std::nullopt, t[7].split(' ', Qt::SkipEmptyParts), t[1].toLongLong(), t[2].toLongLong()};
        const QDateTime zeit = QDateTime::fromString(t[3], "yyyy-MM-dd HH:mm");
        if (zeit.isValid())
            befund.letzte = {Paniczeit{zeit.date(), zeit.time()}, t[4], t[4], t[5].toLongLong(),
                             QDate::fromString(t[6], Qt::ISODate)};
    }
    return {t[0].toLongLong(), befund};
}

Zustand mitDaten(Schritt schritt) {
    const QString panic = "5;1;1;2024-03-15 14:22;<b>watchdog</b> & " + QString("no checkins ").repeated(8) +
                          ";3;2024-03-12;Prs0 mic1";
    return {.schritt = std::move(schritt),
            .ziel = QUrl("https://muster.werkora.de/api/public/kabel/abc"),
            .werkstatt = "Reparaturwerkstatt für Mobiltelefone Dr. Friedrich-Wilhelm Schulze GmbH & Co. KG",
            .geraet = geraetAus("iPhone14,5;17.4.1;F2LXK0Q7N72J;356789104512334;356789104598761;"),
            .akku = Akkudaten{523, 1000, 870, 30.0},
            .panicAnzahl = 5,
            .panicBefund = panicAus(panic).second};
}

// The contrast of gray text in `farbe`, its alpha blended, on gray `grund`: from 1 to 21.
double kontrast(const QColor& farbe, const QColor& grund) {
    const auto leuchtdichte = [](double v) {
        return (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4)) + 0.05;
    };
    const double text = leuchtdichte(farbe.alphaF() * farbe.redF() + (1 - farbe.alphaF()) * grund.redF());
    return std::max(text, leuchtdichte(grund.redF())) / std::min(text, leuchtdichte(grund.redF()));
}

QString rasterText(const QList<Rasterzeile>& raster) { // the grid in one line: "label=value[ mono]|…"
    QStringList zeilen;
    for (const Rasterzeile& zeile : raster)
        zeilen << zeile.bezeichnung + '=' + zeile.wert + (zeile.festbreite ? " mono" : "");
    return zeilen.join('|');
}

// Subtitle and panel top to bottom in one line: "subtitle | block: text | … @spacing".
QString beschreiben(const Ansicht& ansicht) {
    const char* const symbole[] = {"klicken", "warnung", "erledigt"};
    const char* const farben[] = {"sekundaer", "orange", "gruen"};
    QStringList teile{ansicht.untertitel};
    for (const Baustein baustein : ansicht.reihenfolge)
        teile << (baustein == Baustein::meldung
                      ? QString(symbole[int(ansicht.meldung->symbol)]) + '/' +
                            farben[int(ansicht.meldung->farbe)] + ": " + ansicht.meldung->text
                  : baustein == Baustein::fortschritt       ? "fortschritt: " + *ansicht.fortschritt
                  : baustein == Baustein::hinweis           ? "hinweis: " + *ansicht.hinweis
                  : baustein == Baustein::kopierfortschritt ? "kopiert: " + *ansicht.kopierfortschritt
                  : baustein == Baustein::raster            ? "raster: " + rasterText(ansicht.raster)
                  : baustein == Baustein::optionen ? QString("optionen ") + (ansicht.optionAn ? "an" : "aus")
                                                   : QString("erneutVersuchen"));
    return teile.join(" | ") + (teile.size() > 2 ? QString(" @%1").arg(ansicht.abstand) : QString());
}

} // namespace

class TestKabelAnsicht : public QObject {
    Q_OBJECT

    QNetworkAccessManager m_netz;
    std::shared_ptr<FakeZugriff> m_zugriff;
    std::unique_ptr<KabelAblauf> m_ablauf;
    std::unique_ptr<KabelAnsicht> m_ansicht;

    template <typename T = QWidget> T* kind(const char* name) const { return m_ansicht->findChild<T*>(name); }

private Q_SLOTS:
    // A run for a monospace family proves nothing unless that family is the one drawn.
    void initTestCase() {
        QCOMPARE(QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family(),
                 festbreitenFamilie());
        QCOMPARE(QFontInfo(QApplication::font()).family(), "DejaVu Sans");
    }

    void init() {
        m_ansicht.reset(); // before the controller it shows
        QSettings().clear();
        m_zugriff = std::make_shared<FakeZugriff>();
        m_zugriff->einstellen([](auto& a) { a.geraete = QStringList(); }); // no phone until a test has one
        m_ablauf = std::make_unique<KabelAblauf>(m_netz, m_zugriff, std::chrono::milliseconds(10), m_zugriff);
        m_ansicht = std::make_unique<KabelAnsicht>(*m_ablauf);
        m_ansicht->show();
        m_ansicht->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_ansicht.get()));
    }

    // What the window shows for a state; laid out as soon as a change returns, after a taller one: fixed
    // width, the height the content needs, wrapped texts across the panel's whole width, none cut.
    void panel_data() {
        tabelle(QFINDTESTDATA("daten/ansicht.txt"),
                {"schritt", "ziel", "werkstatt", "geraet", "akku", "panic", "auch", "ansicht"});
    }
    void panel() {
        const QByteArray &ziel = spalte("ziel"), &geraet = spalte("geraet");
        const QList<QByteArray> auch = spalte("auch").split(' ');
        const auto [panicAnzahl, panicBefund] = panicAus(spalte("panic"));
        const Ansicht ansicht = ansichtFuer(
            {schrittAus(spalte("schritt")), ziel.isEmpty() ? std::nullopt : std::optional(QUrl(ziel)),
             text(spalte("werkstatt")), geraet.isEmpty() ? std::nullopt : std::optional(geraetAus(geraet)),
             akkuAus(spalte("akku")), panicAnzahl, !auch.contains("optionAus"), auch.contains("mac"),
             auch.contains("pruefend"), text(auch.contains("hinweis") ? "Bitte das iPhone entsperren." : ""),
             text(auch.contains("kopiert") ? "37 Berichte vom iPhone kopiert (640 kB) …" : ""), panicBefund});
        QTEST(beschreiben(ansicht).toUtf8(), "ansicht");
        m_ansicht->darstellen(ansichtFuer(mitDaten(Schritt::fehler(unlesbar.repeated(12)))));
        m_ansicht->darstellen(ansicht);
        QCOMPARE(m_ansicht->minimumWidth(), KabelAnsicht::breite);
        QCOMPARE(m_ansicht->maximumWidth(), KabelAnsicht::breite);
        int unten = 0;
        for (const QWidget* teil : m_ansicht->findChildren<QWidget*>()) {
            if (!teil->isVisibleTo(m_ansicht.get()) || !teil->findChildren<QWidget*>().isEmpty())
                continue;
            unten = std::max(unten, teil->mapTo(m_ansicht.get(), QPoint(0, teil->height())).y());
            if (const auto* label = qobject_cast<const QLabel*>(teil);
                (label && label->wordWrap()) || qobject_cast<const Mehrzeiler*>(teil))
                QVERIFY(teil->height() >= teil->heightForWidth(teil->width()) &&
                        teil->mapTo(m_ansicht.get(), QPoint(teil->width(), 0)).x() ==
                            KabelAnsicht::breite - 20);
        }
        QCOMPARE(m_ansicht->height() - unten, 20); // the panel's inset, no more and no less
    }

    void zellen() {
        const Zustand zustand = mitDaten(Schritt::fertig("An Werkora gesendet."));
        const Ansicht ansicht = ansichtFuer(zustand);
        m_ansicht->darstellen(ansicht);
        QStringList gezeigt;
        for (QLabel* wert : kind("raster")->findChildren<QLabel*>("wert")) {
            // A screen reader reads the value by its name, and the field as its description.
            QAccessibleInterface* lesbar = QAccessible::queryAccessibleInterface(wert);
            if (wert->isVisibleTo(m_ansicht.get()))
                gezeigt << lesbar->text(QAccessible::Description) + '=' + lesbar->text(QAccessible::Name) +
                               (QFontInfo(wert->font()).family() == festbreitenFamilie() ? " mono" : "");
            QVERIFY(wert->textInteractionFlags().testFlag(Qt::TextSelectableByMouse)); // to copy the IMEI
        }
        // The panic rows' wrapped values come last; the reason in two lines at most, its first line
        // whole in the tool tip and shown as written.
        const Mehrzeiler* letzte = nullptr;
        for (const Mehrzeiler* wert : kind("raster")->findChildren<Mehrzeiler*>())
            if (wert->isVisibleTo(m_ansicht.get())) {
                gezeigt << wert->accessibleDescription() + '=' + wert->text();
                letzte = wert->accessibleDescription() == "Letzte Panic" ? wert : letzte;
            }
        QCOMPARE(gezeigt.join('|'), rasterText(ansicht.raster));
        const QStringList zeilen = letzte->zeilen(letzte->width());
        QVERIFY2(zeilen.size() == 2 && zeilen.last().endsWith(u'…') &&
                     letzte->height() >= 2 * letzte->fontMetrics().lineSpacing(),
                 qPrintable(zeilen.join('/')));
        QTextDocument tooltip;
        tooltip.setHtml(letzte->toolTip());
        QVERIFY(Qt::mightBeRichText(letzte->toolTip()));
        QCOMPARE(tooltip.toPlainText(), zustand.panicBefund.letzte->ersteZeile);
        // A long subtitle stays one line, cut with an ellipsis, and whole in its tool tip.
        const auto* titel = kind<Einzeiler>("untertitel");
        const QString zeile = titel->angezeigterText();
        QVERIFY(zeile.endsWith(u'…') && titel->fontMetrics().horizontalAdvance(zeile) <= titel->width());
        QCOMPARE(titel->toolTip(), titel->text());
    }

    // What a screen reader presents without the user moving when the window goes from one state to
    // the next (daten/ansagen.txt): the name and description of the object that has the focus.
    void ansagen_data() {
        tabelle(QFINDTESTDATA("daten/ansagen.txt"), {"leser", "vorher", "nachher", "hinweis", "gehoert"});
    }
    void ansagen() {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        QSKIP("Qt 6.8 announces through the platform's accessibility bridge, which offscreen lacks");
#endif
        QAccessible::setActive(spalte("leser") == "an"); // as Qt's platform tells when a screen reader runs
        const auto zurueck = qScopeGuard([] { QAccessible::setActive(false); });
        Zustand zustand = mitDaten(schrittAus(spalte("vorher")));
        m_ansicht->darstellen(ansichtFuer(zustand));
        if (kind("optionen")->isVisibleTo(m_ansicht.get()))
            kind("kopplungEntfernen")->setFocus(); // where a keyboard user left it
        zustand.schritt = schrittAus(spalte("nachher"));
        (zustand.schritt == Schritt::liest() ? zustand.kopierfortschritt : zustand.hinweis) =
            text(spalte("hinweis"));
        m_ansicht->darstellen(ansichtFuer(zustand));
        QAccessibleInterface* fokus = QAccessible::queryAccessibleInterface(QApplication::focusWidget());
        QCOMPARE((fokus->text(QAccessible::Name) + " / " + fokus->text(QAccessible::Description)).toUtf8(),
                 spalte("gehoert"));
    }

    // Dark colours and a font twice as large, set by the desktop while the window is open: every text,
    // the secondary one too, stays readable (contrast ≥ 4.5:1) in both schemes and doubles in size.
    void desktop() {
        m_ansicht->darstellen(ansichtFuer(mitDaten(Schritt::fertig("An Werkora gesendet."))));
        const QList<QWidget*> texte = m_ansicht->findChildren<QWidget*>(
            QRegularExpression("^(titel|untertitel|meldungText|bezeichnung|wert)$"));
        QList<qreal> groessen;
        for (const QWidget* text : texte)
            groessen << 2 * text->font().pointSizeF();
        const auto lesbar = [&] {
            for (const QWidget* text : texte)
                QVERIFY2(kontrast(text->palette().color(text->foregroundRole()),
                                  m_ansicht->palette().color(QPalette::Window)) >= 4.5,
                         qPrintable(text->objectName()));
        };
        lesbar();
        const auto zurueck = qScopeGuard([farben = QApplication::palette(), font = QApplication::font()] {
            QApplication::setPalette(farben);
            QApplication::setFont(font);
        });
        QApplication::setPalette(QPalette(QColor(30, 30, 30)));
        QApplication::setFont(QFont(QApplication::font().family(), 2 * QApplication::font().pointSize()));
        QTRY_VERIFY(m_ansicht->font() == QApplication::font() &&
                    m_ansicht->palette() == QApplication::palette());
        lesbar();
        for (qsizetype i = 0; i < texte.size(); ++i)
            QCOMPARE(texte[i]->font().pointSizeF(), groessen[i]);
    }

    // The option is stored at once; a redraw shows the value it is given and writes nothing back.
    void option() {
        m_ansicht->darstellen(ansichtFuer(mitDaten(Schritt::wartetAufGeraet())));
        auto* schalter = kind<QCheckBox>("kopplungEntfernen");
        schalter->click();
        Ansicht ansicht = ansichtFuer(zustandVon(*m_ablauf));
        QVERIFY(!m_ablauf->kopplungEntfernen() && !ansicht.optionAn);
        ansicht.optionAn = true;
        m_ansicht->darstellen(ansicht);
        QVERIFY(schalter->isChecked() && !m_ablauf->kopplungEntfernen());
    }

    // After a failure the retry button takes the focus, so Return starts the device phase again.
    void erneutVersuchen() {
        m_zugriff->einstellen(
            [](auto& a) { a = {.geraetedaten = std::unexpected(ZugriffFehler::lesen(unlesbar))}; });
        Testdienst dienst;
        m_ablauf->linkOeffnen(dienst.link());
        QTRY_COMPARE(kind<QLabel>("meldungText")->text(), unlesbar);
        QTRY_COMPARE(QApplication::focusWidget(), kind("erneutVersuchen"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m_ablauf->schritt(), Schritt::wartetAufGeraet());
        QTRY_COMPARE(m_zugriff->anzahl("geraetedatenLesen"), 2);
        QCOMPARE(dienst.anzahl("GET"), 1);
    }

    // Closed while waiting, it comes up before the phone is read; the copy's progress, told on the
    // device worker, shows under the reading step.
    void lesenImVordergrund() {
        m_ansicht.reset();
        KabelApp app(m_zugriff);
        Testdienst dienst;
        app.linkEmpfangen(dienst.link());
        QTRY_COMPARE(m_zugriff->anzahl("geraete"), 1);
        app.fenster()->close();
        QVERIFY(!app.fenster()->isVisible());
        m_zugriff->anhalten("geraetedatenLesen");
        m_zugriff->anhalten("panicLogsLesen");
        m_zugriff->einstellen([](auto& a) { a = {.kopierstaende = {{3, 5'500'000, 2000ms}}}; });
        QTRY_COMPARE_WITH_TIMEOUT(m_zugriff->laufende(), 1, 10000);
        QVERIFY(app.fenster()->isVisible() && app.ablauf().schritt() == Schritt::liest());
        m_zugriff->freigeben("geraetedatenLesen");
        QTRY_COMPARE(app.fenster()->findChild<QLabel*>("kopierfortschrittText")->text(),
                     "3 Berichte vom iPhone kopiert (5 MB) …");
        QVERIFY(app.fenster()->findChild<QWidget*>("kopierfortschritt")->isVisible() &&
                !app.fenster()->findChild<QWidget*>("hinweis")->isVisible()); // progress, not a warning
        m_zugriff->freigeben();
        QTRY_COMPARE(app.ablauf().schritt().fall(), Schritt::Fall::fertig);
        QCOMPARE(app.ablauf().kopierfortschritt(), std::nullopt);
    }
};

KABEL_TEST_MAIN_MIT(QApplication, TestKabelAnsicht)
#include "tst_kabelansicht.moc"
