#include "KabelAnsicht.h"

#include "Einzeiler.h"
#include "Kachel.h"
#include "Mehrzeiler.h"
#include "Spinner.h"
#include "Symbole.h"
#include "flow/KabelAblauf.h"

#include <QAccessible>
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QAccessibleAnnouncementEvent>
#endif
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace kabel {

namespace {

// Gives `widget` a font of the design's size (in points, body text 13) and weight, scaled to the
// desktop's font, and keeps them for when that font changes.
void schriftGeben(QWidget* widget, qreal groesse, QFont::Weight gewicht = QFont::Normal,
                  bool festbreite = false) {
    widget->setProperty("schrift", QVariantList{groesse, int(gewicht), festbreite});
    const QFont desktop = QApplication::font();
    QFont font = festbreite ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : desktop;
    if (desktop.pointSizeF() > 0)
        font.setPointSizeF(desktop.pointSizeF() * groesse / 13);
    else
        font.setPixelSize(qRound(desktop.pixelSize() * groesse / 13));
    font.setWeight(gewicht);
    widget->setFont(font);
}

void schriftenErneuern(QWidget* wurzel) {
    for (QWidget* teil : wurzel->findChildren<QWidget*>())
        if (const QVariantList schrift = teil->property("schrift").toList(); !schrift.isEmpty())
            schriftGeben(teil, schrift[0].toReal(), QFont::Weight(schrift[1].toInt()), schrift[2].toBool());
}

QLabel* umbrechenderText(int groesse, QWidget* parent) {
    auto* label = new QLabel(parent);
    schriftGeben(label, groesse);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// A message or progress row: the symbol at the top left, then a wrapping body text.
QLabel* zeileMitSymbol(QWidget* zeile, QWidget* symbol, int abstand, const QString& textName) {
    auto* layout = new QHBoxLayout(zeile);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(abstand);
    layout->addWidget(symbol, 0, Qt::AlignTop);
    QLabel* text = umbrechenderText(13, zeile);
    text->setObjectName(textName);
    layout->addWidget(text, 1);
    return text;
}

// Places the children of `widget` and then theirs, whether or not a size changed.
void auslegen(QWidget* widget) {
    if (QLayout* layout = widget->layout())
        layout->activate();
    for (QWidget* teil : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        auslegen(teil);
}

// From the window's palette: it changes before the palettes of its children.
void sekundaer(QWidget* widget, const QPalette& fenster) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, farbeFuer(Farbrolle::sekundaer, fenster));
    widget->setPalette(palette);
}

// Whether an assistive technology runs: Qt's platform knows, and tells observers of a change.
bool hilfstechnikAktiv() {
    struct Beobachter : QAccessible::ActivationObserver {
        bool aktiv = false;
        Beobachter() { QAccessible::installActivationObserver(this); }
        void accessibilityActiveChanged(bool jetzt) override { aktiv = jetzt; }
    };
    static Beobachter beobachter;
    return beobachter.aktiv || QAccessible::isActive();
}

} // namespace

KabelAnsicht::KabelAnsicht(KabelAblauf& ablauf, QWidget* parent) : QWidget(parent), m_ablauf(ablauf) {
    setObjectName(QStringLiteral("kabelAnsicht"));
    auto* wurzel = new QVBoxLayout(this);
    wurzel->setContentsMargins(0, 0, 0, 0);
    wurzel->setSpacing(0);

    auto* kopf = new QWidget(this);
    auto* kopfLayout = new QHBoxLayout(kopf);
    kopfLayout->setContentsMargins(20, 20, 20, 20);
    kopfLayout->setSpacing(12);
    auto* kachel = new Kachel(kopf);
    kachel->setAccessibleName(QStringLiteral("Sondit Kabel"));
    kopfLayout->addWidget(kachel, 0, Qt::AlignVCenter);
    auto* titelBlock = new QVBoxLayout;
    titelBlock->setSpacing(2);
    auto* titel = new QLabel(QStringLiteral("Sondit Kabel"), kopf);
    titel->setObjectName(QStringLiteral("titel"));
    schriftGeben(titel, 15, QFont::DemiBold);
    titelBlock->addWidget(titel);
    m_untertitel = new Einzeiler(kopf);
    m_untertitel->setObjectName(QStringLiteral("untertitel"));
    schriftGeben(m_untertitel, 12);
    titelBlock->addWidget(m_untertitel);
    kopfLayout->addLayout(titelBlock, 1);
    wurzel->addWidget(kopf);

    m_trennlinie = new QFrame(this);
    m_trennlinie->setFrameShape(QFrame::HLine);
    m_trennlinie->setFrameShadow(QFrame::Plain);
    m_trennlinie->setFixedHeight(1);
    wurzel->addWidget(m_trennlinie);

    auto* panel = m_panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel"));
    m_panelLayout = new QVBoxLayout(panel);
    m_panelLayout->setContentsMargins(20, 20, 20, 20);
    wurzel->addWidget(panel);
    hilfstechnikAktiv(); // from now on it learns of a change

    m_meldung = new QWidget(panel);
    m_meldung->setObjectName(QStringLiteral("meldung"));
    m_meldungSymbol = new SymbolBild(16, m_meldung);
    m_meldungSymbol->setObjectName(QStringLiteral("meldungSymbol"));
    m_meldungText = zeileMitSymbol(m_meldung, m_meldungSymbol, 10, QStringLiteral("meldungText"));

    m_fortschritt = new QWidget(panel);
    m_fortschritt->setObjectName(QStringLiteral("fortschritt"));
    m_spinner = new Spinner(m_fortschritt);
    m_spinner->setObjectName(QStringLiteral("spinner"));
    m_fortschrittText = zeileMitSymbol(m_fortschritt, m_spinner, 12, QStringLiteral("fortschrittText"));

    m_hinweis = new QWidget(panel);
    m_hinweis->setObjectName(QStringLiteral("hinweis"));
    m_hinweisSymbol = new SymbolBild(16, m_hinweis);
    m_hinweisSymbol->setSymbol(Symbol::warnung, Farbrolle::orange);
    m_hinweisText = zeileMitSymbol(m_hinweis, m_hinweisSymbol, 10, QStringLiteral("hinweisText"));

    // Progress, not a warning: in the reading row's style, its text under the reading text. A plain
    // label, whose changes every second are not announced.
    m_kopierfortschritt = new QWidget(panel);
    m_kopierfortschritt->setObjectName(QStringLiteral("kopierfortschritt"));
    auto* einzug = new QWidget(m_kopierfortschritt);
    einzug->setFixedSize(m_spinner->size());
    m_kopierfortschrittText =
        zeileMitSymbol(m_kopierfortschritt, einzug, 12, QStringLiteral("kopierfortschrittText"));

    m_raster = new QWidget(panel);
    m_raster->setObjectName(QStringLiteral("raster"));
    m_rasterLayout = new QGridLayout(m_raster);
    m_rasterLayout->setContentsMargins(0, 0, 0, 0);
    m_rasterLayout->setHorizontalSpacing(16);
    m_rasterLayout->setVerticalSpacing(8);
    m_rasterLayout->setColumnStretch(1, 1);

    m_optionen = new QWidget(panel);
    m_optionen->setObjectName(QStringLiteral("optionen"));
    auto* optionenLayout = new QVBoxLayout(m_optionen);
    optionenLayout->setContentsMargins(0, 0, 0, 0);
    optionenLayout->setSpacing(6);
    m_kopplung =
        new QCheckBox(QStringLiteral("Kopplung mit dem iPhone nach dem Senden entfernen"), m_optionen);
    m_kopplung->setObjectName(QStringLiteral("kopplungEntfernen"));
    m_kopplung->setAccessibleName(m_kopplung->text());
    schriftGeben(m_kopplung, 12);
    optionenLayout->addWidget(m_kopplung);
    m_datenschutz = umbrechenderText(11, m_optionen);
    m_datenschutz->setObjectName(QStringLiteral("datenschutz"));
    m_datenschutz->setText(QStringLiteral(
        "Gelesen und gesendet werden nur Gerätedaten, Akku und Panic-Logs. Fotos, Nachrichten und andere Analysedaten liest das Programm nicht."));
    optionenLayout->addWidget(m_datenschutz);

    m_erneut = new QPushButton(QStringLiteral("Erneut versuchen"), panel);
    m_erneut->setObjectName(QStringLiteral("erneutVersuchen"));
    m_erneut->setAccessibleName(m_erneut->text());
    // Return presses it while it has the focus, which it takes whenever it appears.
    m_erneut->setAutoDefault(true);
    m_erneut->setDefault(true);

    farbenSetzen();
    setFixedWidth(breite);

    connect(m_kopplung, &QCheckBox::toggled, this, [this](bool an) { m_ablauf.setKopplungEntfernen(an); });
    connect(m_erneut, &QPushButton::clicked, this, [this] { m_ablauf.sucheStarten(); });
    // A change often comes with others in the same turn (a new link writes seven properties), so
    // the window is drawn once the turn is over.
    connect(&m_ablauf, &KabelAblauf::geaendert, this, &KabelAnsicht::vormerken);

    darstellen(ansichtFuer(zustandVon(m_ablauf)));
}

void KabelAnsicht::vormerken() {
    if (m_vorgemerkt)
        return;
    m_vorgemerkt = true;
    QTimer::singleShot(0, this, [this] {
        m_vorgemerkt = false;
        darstellen(ansichtFuer(zustandVon(m_ablauf)));
    });
}

void KabelAnsicht::darstellen(const Ansicht& ansicht) {
    m_untertitel->setText(ansicht.untertitel);

    if (ansicht.meldung) {
        m_meldungSymbol->setSymbol(ansicht.meldung->symbol, ansicht.meldung->farbe);
        m_meldungText->setText(ansicht.meldung->text);
    }
    m_hinweisText->setText(ansicht.hinweis.value_or(QString()));
    m_kopierfortschrittText->setText(ansicht.kopierfortschritt.value_or(QString()));
    m_fortschrittText->setText(ansicht.fortschritt.value_or(QString()));
    m_spinner->setAccessibleName(m_fortschrittText->text());
    rasterFuellen(ansicht.raster);
    {
        const QSignalBlocker sperre(m_kopplung);
        m_kopplung->setChecked(ansicht.optionAn);
    }

    const bool knopfNeu =
        ansicht.zeigt(Baustein::erneutVersuchen) && !m_reihenfolge.contains(Baustein::erneutVersuchen);
    // A screen reader reads the reason when the button takes the focus.
    m_erneut->setAccessibleDescription(ansicht.zeigt(Baustein::erneutVersuchen) ? ansicht.meldung->text
                                                                                : QString());
    if (ansicht.reihenfolge != m_reihenfolge) {
        const QList<std::pair<Baustein, QWidget*>> bausteine = {
            {Baustein::meldung, m_meldung},       {Baustein::fortschritt, m_fortschritt},
            {Baustein::hinweis, m_hinweis},       {Baustein::kopierfortschritt, m_kopierfortschritt},
            {Baustein::raster, m_raster},         {Baustein::optionen, m_optionen},
            {Baustein::erneutVersuchen, m_erneut}};
        for (const auto& [baustein, widget] : bausteine) {
            m_panelLayout->removeWidget(widget);
            widget->setVisible(ansicht.zeigt(baustein));
        }
        for (const Baustein baustein : ansicht.reihenfolge) {
            for (const auto& [art, widget] : bausteine) {
                if (art == baustein)
                    m_panelLayout->addWidget(
                        widget, 0, baustein == Baustein::erneutVersuchen ? Qt::AlignLeft : Qt::Alignment());
            }
        }
        m_reihenfolge = ansicht.reihenfolge;
    }
    m_panelLayout->setSpacing(ansicht.abstand);
    if (knopfNeu)
        m_erneut->setFocus(Qt::OtherFocusReason);
    else if (ansicht.ansage != m_ansage)
        ansagen(ansicht.ansage);
    m_ansage = ansicht.ansage;
    hoeheAnpassen();
}

void KabelAnsicht::ansagen(const QString& text) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent ansage(this, text);
    QAccessible::updateAccessibility(&ansage);
#else
    // Screen readers skip a changed text that has no focus. They speak an object taking the focus,
    // and a new name of the one that has it: the panel, named with the text, while one runs (so
    // keyboard users keep their focus).
    m_panel->setAccessibleName(text);
    if (hilfstechnikAktiv())
        m_panel->setFocus(Qt::OtherFocusReason);
#endif
}

void KabelAnsicht::rasterFuellen(const QList<Rasterzeile>& zeilen) {
    while (m_rasterLabels.size() < 2 * zeilen.size()) {
        const int zeile = int(m_rasterLabels.size() / 2);
        auto* bezeichnung = new QLabel(m_raster);
        bezeichnung->setObjectName(QStringLiteral("bezeichnung"));
        schriftGeben(bezeichnung, 12);
        sekundaer(bezeichnung, palette());
        auto* wert = new QLabel(m_raster);
        wert->setObjectName(QStringLiteral("wert"));
        wert->setTextFormat(Qt::PlainText);
        wert->setTextInteractionFlags(Qt::TextSelectableByMouse);
        m_rasterLayout->addWidget(bezeichnung, zeile, 0, Qt::AlignLeft | Qt::AlignVCenter);
        m_rasterLayout->addWidget(wert, zeile, 1, Qt::AlignLeft | Qt::AlignVCenter);
        m_rasterLabels << bezeichnung << wert;
        auto* mehrzeilig = new Mehrzeiler(m_raster);
        mehrzeilig->setObjectName(QStringLiteral("wertMehrzeilig"));
        schriftGeben(mehrzeilig, 13, QFont::Medium);
        m_rasterLayout->addWidget(mehrzeilig, zeile, 1);
        m_rasterMehrzeilig << mehrzeilig;
    }
    for (qsizetype i = 0; i < m_rasterLabels.size() / 2; ++i) {
        QLabel* bezeichnung = m_rasterLabels[2 * i];
        QLabel* wert = m_rasterLabels[2 * i + 1];
        Mehrzeiler* mehrzeilig = m_rasterMehrzeilig[i];
        const bool gezeigt = i < zeilen.size();
        const bool umbrochen = gezeigt && zeilen[i].zeilen > 1;
        bezeichnung->setVisible(gezeigt);
        wert->setVisible(gezeigt && !umbrochen);
        mehrzeilig->setVisible(umbrochen);
        if (!gezeigt)
            continue;
        // A wrapped value's label stands beside its first line.
        m_rasterLayout->setAlignment(bezeichnung,
                                     Qt::AlignLeft | (umbrochen ? Qt::AlignTop : Qt::AlignVCenter));
        mehrzeilig->setText(umbrochen ? zeilen[i].wert : QString(), zeilen[i].zeilen);
        mehrzeilig->setAccessibleName(mehrzeilig->text());
        mehrzeilig->setAccessibleDescription(zeilen[i].bezeichnung);
        // Tool tips guess rich text: a first line with "<" in it must show as written.
        mehrzeilig->setToolTip(zeilen[i].tooltip.isEmpty() ? QString()
                                                           : Qt::convertFromPlainText(zeilen[i].tooltip));
        bezeichnung->setText(zeilen[i].bezeichnung);
        wert->setText(zeilen[i].wert); // which is also its name
        wert->setAccessibleDescription(zeilen[i].bezeichnung);
        schriftGeben(wert, 13, zeilen[i].festbreite ? QFont::Normal : QFont::Medium, zeilen[i].festbreite);
    }
}

void KabelAnsicht::hoeheAnpassen() {
    // Wrapped texts need the final width to know their height, so ask the layout for it. A changed
    // text reaches the enclosing layouts only with a posted event, so drop their cached sizes now.
    for (QWidget* teil : findChildren<QWidget*>())
        teil->updateGeometry();
    for (QLayout* teil : findChildren<QLayout*>())
        teil->invalidate();
    layout()->activate();
    const int hoehe = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(breite)
                                                    : layout()->totalSizeHint().height();
    setFixedSize(breite, hoehe);
    // A part whose size comes out as it already was gets no resize event, and its layout, dropped
    // above, would place a block just shown only in a later turn, at a new widget's default size.
    // So lay out every level now, outside in.
    auslegen(this);
}

void KabelAnsicht::farbenSetzen() {
    sekundaer(m_untertitel, palette());
    sekundaer(m_datenschutz, palette());
    for (qsizetype i = 0; i < m_rasterLabels.size(); i += 2)
        sekundaer(m_rasterLabels[i], palette());
    QPalette linie = m_trennlinie->palette();
    QColor farbe = palette().color(QPalette::WindowText);
    farbe.setAlphaF(0.14f);
    linie.setColor(QPalette::WindowText, farbe);
    m_trennlinie->setPalette(linie);
}

void KabelAnsicht::changeEvent(QEvent* event) {
    // The desktop's colours and font, changed while the app runs, reach the window as its own
    // change (the application-wide events stop in QWidget): the derived colours and sizes follow,
    // and a new font changes every height.
    if (event->type() == QEvent::PaletteChange)
        farbenSetzen();
    if (event->type() == QEvent::FontChange)
        schriftenErneuern(this);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        QTimer::singleShot(0, this, &KabelAnsicht::hoeheAnpassen);
    QWidget::changeEvent(event);
}

} // namespace kabel
