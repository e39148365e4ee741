#include "Einzeiler.h"

#include <QEvent>
#include <QPainter>

namespace kabel {

Einzeiler::Einzeiler(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void Einzeiler::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    setAccessibleName(text);
    kuerzungPruefen();
    updateGeometry();
    update();
}

QString Einzeiler::angezeigterText() const {
    return fontMetrics().elidedText(m_text, Qt::ElideRight, width());
}

QSize Einzeiler::sizeHint() const {
    return {fontMetrics().horizontalAdvance(m_text), fontMetrics().height()};
}

QSize Einzeiler::minimumSizeHint() const {
    return {0, fontMetrics().height()};
}

void Einzeiler::paintEvent(QPaintEvent*) {
    QPainter maler(this);
    maler.setPen(palette().color(foregroundRole()));
    maler.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, angezeigterText());
}

void Einzeiler::resizeEvent(QResizeEvent*) {
    kuerzungPruefen();
}

void Einzeiler::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}

void Einzeiler::kuerzungPruefen() {
    // A cut text can still be read in full as a tool tip.
    setToolTip(angezeigterText() == m_text ? QString() : m_text);
}

} // namespace kabel
