#include "Spinner.h"

#include <QPainter>
#include <QTimerEvent>
#include <cmath>

namespace kabel {

namespace {

constexpr int speichen = 12;

} // namespace

Spinner::Spinner(QWidget* parent) : QWidget(parent) {
    setFixedSize(16, 16);
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter maler(this);
    maler.setRenderHint(QPainter::Antialiasing);
    maler.translate(QRectF(rect()).center());
    const qreal radius = width() / 2.0;
    QColor farbe = palette().color(QPalette::WindowText);
    for (int i = 0; i < speichen; ++i) {
        // The leading spoke is darkest; the ones behind it fade out.
        const int abstand = (m_phase - i + speichen) % speichen;
        farbe.setAlphaF(float(0.9 - 0.7 * abstand / (speichen - 1)));
        maler.setPen(QPen(farbe, radius * 0.2, Qt::SolidLine, Qt::RoundCap));
        const qreal winkel = 2.0 * M_PI * i / speichen;
        const QPointF richtung(std::sin(winkel), -std::cos(winkel));
        maler.drawLine(richtung * radius * 0.45, richtung * radius * 0.88);
    }
}

void Spinner::showEvent(QShowEvent*) {
    m_takt.start(1000 / speichen, this);
}

void Spinner::hideEvent(QHideEvent*) {
    m_takt.stop();
}

void Spinner::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_takt.timerId())
        return QWidget::timerEvent(event);
    m_phase = (m_phase + 1) % speichen;
    update();
}

} // namespace kabel
