// The window on the offscreen platform: geometry, texts and the two ways it acts on the controller.
#include "FakeZugriff.h"
#include "Testdienst.h"
#include "Widgettest.h"
#include "app/Einzeiler.h"
#include "app/KabelAnsicht.h"
#include "app/Symbole.h"
#include "flow/KabelAblauf.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>

using namespace kabel;
using kabel::test::FakeZugriff;
using kabel::test::Testdienst;

Q_DECLARE_METATYPE(kabel::Schritt)

namespace {

const QString fertigText =
    QStringLiteral("An Werkora gesendet. Die Kopplung mit dem iPhone wurde entfernt. In Werkora "
                   "geht es weiter, dieses Fenster kann offen bleiben.");
const QString kurzerFehler =
    QStringLiteral("Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen.");

Zustand mitDaten(Schritt schritt) {
    Zustand zustand;
    zustand.schritt = std::move(schritt);
    zustand.ziel = QUrl(QStringLiteral("https://muster.werkora.de/api/public/kabel/abc"));
    zustand.werkstatt = QStringLiteral("Handyklinik");
    zustand.geraet = Geraetedaten{QStringLiteral("iPhone14,5"),      QStringLiteral("17.4.1"),
                                  QStringLiteral("F2LXK0Q7N72J"),    QStringLiteral("356789104512334"),
                                  QStringLiteral("356789104598761"), {}};
    zustand.akku = Akkudaten{523, 1000, 870, 30.0};
    zustand.panicAnzahl = 2;
    return zustand;
}

// Every shown text that wraps has the height its width needs: nothing is cut.
void pruefeNichtsAbgeschnitten(const QWidget& wurzel) {
    for (const QLabel* label : wurzel.findChildren<QLabel*>()) {
        if (!label->isVisibleTo(&wurzel) || !label->wordWrap())
            continue;
        QVERIFY2(label->height() >= label->heightForWidth(label->width()), qPrintable(label->text()));
        QVERIFY2(label->geometry().bottom() <= label->parentWidget()->height(), qPrintable(label->text()));
    }
    for (const QWidget* kind : wurzel.findChildren<QWidget*>()) {
        if (kind->isVisibleTo(&wurzel))
            QVERIFY2(kind->mapTo(&wurzel, QPoint(0, kind->height())).y() <= wurzel.height(),
                     qPrintable(kind->objectName()));
    }
}

QStringList rasterTexte(const KabelAnsicht& ansicht) {
    const auto* layout = ansicht.findChild<QWidget*>(QStringLiteral("raster"))->findChild<QGridLayout*>();
    QStringList texte;
    for (int zeile = 0; zeile < layout->rowCount(); ++zeile) {
        auto* bezeichnung = qobject_cast<QLabel*>(layout->itemAtPosition(zeile, 0)->widget());
        auto* wert = qobject_cast<QLabel*>(layout->itemAtPosition(zeile, 1)->widget());
        if (bezeichnung->isVisibleTo(&ansicht))
            texte << bezeichnung->text() + u'=' + wert->text();
    }
    return texte;
}

} // namespace

class TestKabelAnsicht : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<FakeZugriff> m_zugriff;
    std::unique_ptr<KabelAblauf> m_ablauf;
    std::unique_ptr<KabelAnsicht> m_ansicht;

    template <typename T> T* kind(const char* name) const {
        auto* gefunden = m_ansicht->findChild<T*>(QString::fromLatin1(name));
        Q_ASSERT(gefunden);
        return gefunden;
    }
    bool sichtbar(const char* name) const { return kind<QWidget>(name)->isVisibleTo(m_ansicht.get()); }
    QString meldung() const { return kind<QLabel>("meldungText")->text(); }

private Q_SLOTS:
    void init() {
        QSettings().clear();
        m_zugriff = std::make_shared<FakeZugriff>();
        m_zugriff->einstellen([](auto& a) {
            a.gekoppelt = true;
            a.geraetedaten =
                Geraetedaten{QStringLiteral("iPhone14,5"), QStringLiteral("17.4.1"), {}, {}, {}, {}};
            a.akku = Akkudaten{523, 1000, 870, 30.0};
        });
        m_ablauf = std::make_unique<KabelAblauf>(m_zugriff, std::chrono::milliseconds(10));
        m_ansicht = std::make_unique<KabelAnsicht>(*m_ablauf);
        m_ansicht->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_ansicht.get()));
    }

    void cleanup() {
        m_ansicht.reset();
        m_ablauf.reset();
    }

    void startetOhneLink() {
        QCOMPARE(
            meldung(),
            QStringLiteral(
                "In Werkora im Prüfassistenten auf „Per Kabel“ klicken. Dieses Fenster öffnet sich dann von selbst."));
        QCOMPARE(kind<Einzeiler>("untertitel")->text(), QStringLiteral("Gerätedaten per Kabel für Werkora"));
        QCOMPARE(kind<QLabel>("titel")->text(), QStringLiteral("Sondit Kabel"));
        QVERIFY(!sichtbar("fortschritt"));
        QVERIFY(!sichtbar("raster"));
        QVERIFY(!sichtbar("optionen"));
        QVERIFY(!sichtbar("erneutVersuchen"));
        QCOMPARE(m_ansicht->width(), KabelAnsicht::breite);
    }

    void geometrieJeSchritt_data() {
        QTest::addColumn<Schritt>("schritt");
        QTest::newRow("ohneLink") << Schritt::ohneLink();
        QTest::newRow("linkUngueltig") << Schritt::linkUngueltig(QStringLiteral("Link kaputt."));
        QTest::newRow("wartetAufGeraet") << Schritt::wartetAufGeraet();
        QTest::newRow("wartetAufVertrauen") << Schritt::wartetAufVertrauen();
        QTest::newRow("liest") << Schritt::liest();
        QTest::newRow("sendet") << Schritt::sendet();
        QTest::newRow("fertig") << Schritt::fertig(QStringLiteral("An Werkora gesendet."));
        QTest::newRow("fehler") << Schritt::fehler(kurzerFehler);
    }

    // Fixed width, nothing cut, and the height is exactly what the content needs.
    void geometrieJeSchritt() {
        QFETCH(Schritt, schritt);
        m_ansicht->darstellen(ansichtFuer(mitDaten(schritt)));
        QCOMPARE(m_ansicht->width(), KabelAnsicht::breite);
        QCOMPARE(m_ansicht->minimumWidth(), KabelAnsicht::breite);
        QCOMPARE(m_ansicht->maximumWidth(), KabelAnsicht::breite);
        QCOMPARE(m_ansicht->height(), m_ansicht->heightForWidth(KabelAnsicht::breite));
        pruefeNichtsAbgeschnitten(*m_ansicht);
    }

    void hoeheFolgtDemText() {
        m_ansicht->darstellen(ansichtFuer(mitDaten(Schritt::fehler(kurzerFehler))));
        const int kurz = m_ansicht->height();
        QString lang;
        for (int i = 0; i < 12; ++i)
            lang += u"Senden fehlgeschlagen: der Dienst antwortet nicht. ";
        m_ansicht->darstellen(ansichtFuer(mitDaten(Schritt::fehler(lang))));
        QCOMPARE(m_ansicht->width(), KabelAnsicht::breite);
        QVERIFY2(m_ansicht->height() > kurz + 80, qPrintable(QString::number(m_ansicht->height())));
        pruefeNichtsAbgeschnitten(*m_ansicht);
        m_ansicht->darstellen(ansichtFuer(mitDaten(Schritt::fehler(kurzerFehler))));
        QCOMPARE(m_ansicht->height(), kurz);
    }

    void hoeheSchrumpftNachDemRaster() {
        const int anfang = m_ansicht->height();
        m_ansicht->darstellen(ansichtFuer(mitDaten(Schritt::fertig(QStringLiteral("An Werkora gesendet.")))));
        QVERIFY(m_ansicht->height() > anfang + 100);
        m_ansicht->darstellen(ansichtFuer(Zustand{}));
        QCOMPARE(m_ansicht->height(), anfang);
    }

    void untertitelBleibtEinzeilig() {
        const int kopfHoehe = kind<Einzeiler>("untertitel")->height();
        Zustand zustand = mitDaten(Schritt::liest());
        zustand.werkstatt =
            QStringLiteral("Reparaturwerkstatt für Mobiltelefone und Tablets Dr. Friedrich-Wilhelm "
                           "Schulze-Oberhausen GmbH & Co. KG");
        m_ansicht->darstellen(ansichtFuer(zustand));
        auto* untertitel = kind<Einzeiler>("untertitel");
        QCOMPARE(untertitel->text(), u"Für " + *zustand.werkstatt + u" · muster.werkora.de");
        QVERIFY(untertitel->angezeigterText().endsWith(u'…'));
        QVERIFY(untertitel->fontMetrics().horizontalAdvance(untertitel->angezeigterText()) <=
                untertitel->width());
        QCOMPARE(untertitel->height(), kopfHoehe);
        QCOMPARE(untertitel->toolTip(), untertitel->text());
    }

    void rasterZellen() {
        m_ansicht->darstellen(ansichtFuer(mitDaten(Schritt::fertig(QStringLiteral("An Werkora gesendet.")))));
        QCOMPARE(rasterTexte(*m_ansicht),
                 (QStringList{u"Gerät=iPhone14,5 · iOS 17.4.1"_qs, u"IMEI=356789104512334"_qs,
                              u"IMEI 2=356789104598761"_qs, u"Seriennummer=F2LXK0Q7N72J"_qs,
                              u"Akku=87 % · 523 Ladezyklen"_qs, u"Panic-Logs=2"_qs}));
        const QList<QLabel*> werte = kind<QWidget>("raster")->findChildren<QLabel*>(QStringLiteral("wert"));
        for (const QLabel* wert : werte) {
            if (!wert->isVisibleTo(m_ansicht.get()))
                continue;
            QVERIFY(wert->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
            QCOMPARE(wert->font().pixelSize(), 13);
            const bool festbreite =
                wert->accessibleName().startsWith(u"IMEI") || wert->accessibleName() == u"Seriennummer";
            QCOMPARE(QFontInfo(wert->font()).fixedPitch(), festbreite);
        }
        // A shorter grid leaves no rows of the longer one behind.
        Zustand kuerzer = mitDaten(Schritt::sendet());
        kuerzer.geraet->imei2.reset();
        kuerzer.akku.reset();
        m_ansicht->darstellen(ansichtFuer(kuerzer));
        QCOMPARE(rasterTexte(*m_ansicht).size(), 4);
    }

    void spinnerLaeuftNurSichtbar() {
        auto* spinner = kind<Spinner>("spinner");
        QVERIFY(!spinner->laeuft());
        m_ansicht->darstellen(ansichtFuer(mitDaten(Schritt::liest())));
        QVERIFY(spinner->laeuft());
        m_ansicht->hide();
        QVERIFY(!spinner->laeuft());
        m_ansicht->show();
        QVERIFY(spinner->laeuft());
        m_ansicht->darstellen(ansichtFuer(mitDaten(Schritt::fertig(QStringLiteral("An Werkora gesendet.")))));
        QVERIFY(!spinner->laeuft());
    }

    // The controller announces before it stores; the window must show the stored values.
    void zeigtDieGespeichertenWerte() {
        m_ablauf->linkOeffnen(
            QUrl(QStringLiteral("sondit-kabel://lesen?ziel=https%3A%2F%2Fboese.example%2Fx")));
        QTRY_COMPARE(
            meldung(),
            QStringLiteral(
                "Dieser Link stammt nicht von einer Werkora-Instanz. Aus Sicherheitsgründen wird nichts gelesen."));
        QCOMPARE(kind<SymbolBild>("meldungSymbol")->symbol(), Symbol::warnung);
        QCOMPARE(kind<SymbolBild>("meldungSymbol")->farbe(),
                 farbeFuer(Farbrolle::orange, m_ansicht->palette()));
    }

    void ganzerAblaufBisFertig() {
        Testdienst dienst;
        m_zugriff->einstellen([](auto& a) { a.geraete = QStringList{QStringLiteral("udid-1")}; });
        m_ablauf->linkOeffnen(dienst.link());
        QTRY_COMPARE_WITH_TIMEOUT(meldung(), fertigText, 10000);
        QCOMPARE(kind<Einzeiler>("untertitel")->text(), QStringLiteral("Für Testwerkstatt · 127.0.0.1"));
        QVERIFY(sichtbar("raster"));
        QCOMPARE(rasterTexte(*m_ansicht).value(0), QStringLiteral("Gerät=iPhone14,5 · iOS 17.4.1"));
        QCOMPARE(kind<SymbolBild>("meldungSymbol")->symbol(), Symbol::erledigt);
        QCOMPARE(m_zugriff->anzahl(QStringLiteral("entkoppeln")), 1);
        pruefeNichtsAbgeschnitten(*m_ansicht);
    }

    void schalterSpeichertSofort() {
        Testdienst dienst;
        m_ablauf->linkOeffnen(dienst.link());
        QTRY_VERIFY_WITH_TIMEOUT(sichtbar("optionen"), 10000);
        auto* schalter = kind<QCheckBox>("kopplungEntfernen");
        QVERIFY(schalter->isChecked());
        QCOMPARE(schalter->accessibleName(),
                 QStringLiteral("Kopplung mit dem iPhone nach dem Senden entfernen"));

        schalter->click();
        QCOMPARE(QSettings().value(QStringLiteral("kopplungEntfernen")), QVariant(false));
        QVERIFY(!m_ablauf->kopplungEntfernen());

        // Redrawing shows the stored value and does not write it back.
        m_ablauf->linkOeffnen(dienst.link());
        QTRY_COMPARE_WITH_TIMEOUT(dienst.anzahl("GET"), 2, 10000);
        QTRY_VERIFY(sichtbar("optionen"));
        QVERIFY(!schalter->isChecked());
        QVERIFY(!m_ablauf->kopplungEntfernen());

        QTest::keyClick(schalter, Qt::Key_Space);
        QVERIFY(m_ablauf->kopplungEntfernen());
    }

    void erneutVersuchenStartetDieSucheNeu() {
        Testdienst dienst;
        m_zugriff->einstellen([](auto& a) { a.geraete = QStringList{QStringLiteral("udid-1")}; });
        m_zugriff->einstellen(
            [&](auto& a) { a.geraetedaten = std::unexpected(Fehler(ZugriffFehler::lesen(kurzerFehler))); });
        m_ansicht->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_ansicht.get()));
        m_ablauf->linkOeffnen(dienst.link());
        QTRY_VERIFY_WITH_TIMEOUT(sichtbar("erneutVersuchen"), 10000);
        QCOMPARE(meldung(), kurzerFehler);
        auto* knopf = kind<QPushButton>("erneutVersuchen");
        QCOMPARE(knopf->text(), QStringLiteral("Erneut versuchen"));
        QCOMPARE(m_zugriff->anzahl(QStringLiteral("geraetedatenLesen")), 1);

        // It takes the focus when it appears, so Return presses it.
        QTRY_COMPARE(QApplication::focusWidget(), knopf);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(m_ablauf->schritt(), Schritt::wartetAufGeraet());
        QTRY_COMPARE_WITH_TIMEOUT(m_zugriff->anzahl(QStringLiteral("geraetedatenLesen")), 2, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(sichtbar("erneutVersuchen"), 10000);
        QCOMPARE(dienst.anzahl("GET"), 1);
    }
};

KABEL_WIDGET_TEST_MAIN(TestKabelAnsicht)
#include "tst_kabelansicht.moc"
