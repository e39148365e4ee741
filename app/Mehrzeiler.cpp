#include "Mehrzeiler.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>

namespace kabel {

Mehrzeiler::Mehrzeiler(QWidget* parent) : QWidget(parent) {
    QSizePolicy politik(QSizePolicy::Ignored, QSizePolicy::Preferred);
    politik.setHeightForWidth(true);
    setSizePolicy(politik);
}

void Mehrzeiler::setText(const QString& text, int hoechstens) {
    if (text == m_text && hoechstens == m_hoechstens)
        return;
    m_text = text;
    m_hoechstens = std::max(hoechstens, 1);
    updateGeometry();
    update();
}

QStringList Mehrzeiler::zeilen(int breite) const {
    QTextLayout satz(m_text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    satz.setTextOption(option);
    QStringList zeilen;
    satz.beginLayout();
    for (QTextLine zeile = satz.createLine(); zeile.isValid(); zeile = satz.createLine()) {
        zeile.setLineWidth(breite);
        if (zeilen.size() + 1 == m_hoechstens) { // the last one allowed takes the rest, cut
            zeilen << fontMetrics().elidedText(m_text.mid(zeile.textStart()), Qt::ElideRight, breite);
            break;
        }
        zeilen << m_text.mid(zeile.textStart(), zeile.textLength()).trimmed();
    }
    satz.endLayout();
    return zeilen;
}

int Mehrzeiler::heightForWidth(int breite) const {
    return int(std::max<qsizetype>(zeilen(breite).size(), 1)) * fontMetrics().lineSpacing();
}

QSize Mehrzeiler::sizeHint() const {
    return {fontMetrics().horizontalAdvance(m_text), heightForWidth(width())};
}

QSize Mehrzeiler::minimumSizeHint() const {
    return {0, fontMetrics().lineSpacing()};
}

void Mehrzeiler::paintEvent(QPaintEvent*) {
    QPainter maler(this);
    maler.setPen(palette().color(foregroundRole()));
    int oben = 0;
    for (const QString& zeile : zeilen(width())) {
        maler.drawText(QRect(0, oben, width(), fontMetrics().lineSpacing()), Qt::AlignLeft | Qt::AlignVCenter,
                       zeile);
        oben += fontMetrics().lineSpacing();
    }
}

void Mehrzeiler::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

} // namespace kabel
