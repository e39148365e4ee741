#include "Symbole.h"

#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QTimerEvent>
#include <cmath>

namespace kabel {

namespace {

// Every symbol is designed on a 24 × 24 grid.
constexpr qreal raster = 24.0;
constexpr int speichen = 12;

QColor navy() {
    return QColor::fromRgbF(0.06f, 0.09f, 0.16f);
}

QPainterPath kabelPfadBauen() {
    QPainterPath pfad;
    // Two contacts, the plug body, its collar and the cable leaving downwards.
    pfad.addRoundedRect(QRectF(8.2, 1.5, 2.6, 4.5), 0.8, 0.8);
    pfad.addRoundedRect(QRectF(13.2, 1.5, 2.6, 4.5), 0.8, 0.8);
    pfad.addRoundedRect(QRectF(5.5, 6.5, 13.0, 9.0), 2.2, 2.2);
    QPainterPath kragen;
    kragen.moveTo(8.0, 15.0);
    kragen.lineTo(16.0, 15.0);
    kragen.lineTo(14.6, 18.5);
    kragen.lineTo(9.4, 18.5);
    kragen.closeSubpath();
    pfad = pfad.united(kragen);
    pfad.addRoundedRect(QRectF(10.6, 18.0, 2.8, 5.0), 1.2, 1.2);
    return pfad.simplified();
}

// Uniting and simplifying is most of the cost of drawing the symbol, so once per thread: a path
// fills caches when drawn and is not to be shared between threads.
const QPainterPath& kabelPfad() {
    thread_local const QPainterPath pfad = kabelPfadBauen();
    return pfad;
}

void klickenZeichnen(QPainter& maler, const QColor& farbe) {
    // An arrow cursor with its tip at (10, 9) and short rays where it clicks.
    QPainterPath pfeil;
    pfeil.moveTo(10.0, 9.0);
    pfeil.lineTo(10.0, 22.0);
    pfeil.lineTo(13.3, 18.9);
    pfeil.lineTo(15.6, 23.2);
    pfeil.lineTo(17.8, 22.1);
    pfeil.lineTo(15.6, 17.9);
    pfeil.lineTo(20.2, 17.6);
    pfeil.closeSubpath();
    QPen kontur(farbe, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    maler.setPen(kontur);
    maler.setBrush(farbe);
    maler.drawPath(pfeil);

    maler.setBrush(Qt::NoBrush);
    maler.setPen(QPen(farbe, 1.8, Qt::SolidLine, Qt::RoundCap));
    maler.drawLine(QPointF(10.0, 1.8), QPointF(10.0, 5.2));
    maler.drawLine(QPointF(2.8, 9.0), QPointF(6.2, 9.0));
    maler.drawLine(QPointF(4.6, 3.6), QPointF(6.9, 5.9));
    maler.drawLine(QPointF(15.4, 3.6), QPointF(13.1, 5.9));
}

void warnungZeichnen(QPainter& maler, const QColor& farbe) {
    QPainterPath dreieck;
    dreieck.moveTo(12.0, 2.6);
    dreieck.lineTo(22.2, 20.6);
    dreieck.lineTo(1.8, 20.6);
    dreieck.closeSubpath();
    maler.setBrush(Qt::NoBrush);
    maler.setPen(QPen(farbe, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    maler.drawPath(dreieck);
    maler.setPen(QPen(farbe, 2.2, Qt::SolidLine, Qt::RoundCap));
    maler.drawLine(QPointF(12.0, 8.6), QPointF(12.0, 13.8));
    maler.setPen(Qt::NoPen);
    maler.setBrush(farbe);
    maler.drawEllipse(QPointF(12.0, 17.3), 1.35, 1.35);
}

void erledigtZeichnen(QPainter& maler, const QColor& farbe) {
    // A filled disc with the tick cut out, so it reads on any background.
    QPainterPath scheibe;
    scheibe.addEllipse(QPointF(12.0, 12.0), 10.5, 10.5);
    QPainterPath haken;
    haken.moveTo(7.0, 12.4);
    haken.lineTo(10.6, 16.0);
    haken.lineTo(17.2, 8.6);
    QPainterPathStroker stift;
    stift.setWidth(2.4);
    stift.setCapStyle(Qt::RoundCap);
    stift.setJoinStyle(Qt::RoundJoin);
    maler.setPen(Qt::NoPen);
    maler.setBrush(farbe);
    maler.drawPath(scheibe.subtracted(stift.createStroke(haken)));
}

// A rounded square whose corners blend into the sides instead of starting abruptly.
QPainterPath glatteEcken(const QRectF& r, qreal radius) {
    const qreal a = std::min(radius * 1.28, std::min(r.width(), r.height()) / 2.0);
    const qreal k = a * 0.36; // control points lie closer to the corner than a circular arc's
    QPainterPath pfad;
    pfad.moveTo(r.left() + a, r.top());
    pfad.lineTo(r.right() - a, r.top());
    pfad.cubicTo(r.right() - k, r.top(), r.right(), r.top() + k, r.right(), r.top() + a);
    pfad.lineTo(r.right(), r.bottom() - a);
    pfad.cubicTo(r.right(), r.bottom() - k, r.right() - k, r.bottom(), r.right() - a, r.bottom());
    pfad.lineTo(r.left() + a, r.bottom());
    pfad.cubicTo(r.left() + k, r.bottom(), r.left(), r.bottom() - k, r.left(), r.bottom() - a);
    pfad.lineTo(r.left(), r.top() + a);
    pfad.cubicTo(r.left(), r.top() + k, r.left() + k, r.top(), r.left() + a, r.top());
    pfad.closeSubpath();
    return pfad;
}

} // namespace

void symbolZeichnen(QPainter& maler, Symbol symbol, const QRectF& rahmen, const QColor& farbe) {
    maler.save();
    maler.setRenderHint(QPainter::Antialiasing);
    maler.translate(rahmen.topLeft());
    maler.scale(rahmen.width() / raster, rahmen.height() / raster);
    switch (symbol) {
    case Symbol::kabel:
        maler.setPen(Qt::NoPen);
        maler.setBrush(farbe);
        maler.drawPath(kabelPfad());
        break;
    case Symbol::klicken:
        klickenZeichnen(maler, farbe);
        break;
    case Symbol::warnung:
        warnungZeichnen(maler, farbe);
        break;
    case Symbol::erledigt:
        erledigtZeichnen(maler, farbe);
        break;
    }
    maler.restore();
}

void kachelZeichnen(QPainter& maler, const QRectF& rahmen) {
    maler.save();
    maler.setRenderHint(QPainter::Antialiasing);
    maler.setPen(Qt::NoPen);
    maler.setBrush(navy());
    const qreal massstab = rahmen.width() / 38.0;
    maler.drawPath(glatteEcken(rahmen, 10.0 * massstab));
    // An 18-point symbol fills about a 20-point square.
    const qreal seite = 20.0 * massstab;
    symbolZeichnen(maler, Symbol::kabel,
                   QRectF(rahmen.center() - QPointF(seite, seite) / 2.0, QSizeF(seite, seite)), Qt::white);
    maler.restore();
}

QList<QImage> programmBilder() {
    QList<QImage> bilder;
    for (const int seite : {16, 32, 64, 128, 256}) {
        QImage bild(seite, seite, QImage::Format_ARGB32_Premultiplied);
        bild.fill(Qt::transparent);
        QPainter maler(&bild);
        kachelZeichnen(maler, QRectF(0, 0, seite, seite));
        maler.end();
        bilder << bild;
    }
    return bilder;
}

QIcon programmSymbol(const QList<QImage>& bilder) {
    QIcon symbol;
    for (const QImage& bild : bilder)
        symbol.addPixmap(QPixmap::fromImage(bild));
    return symbol;
}

QColor farbeFuer(Farbrolle rolle, const QPalette& palette) {
    switch (rolle) {
    case Farbrolle::orange:
        return QColor(255, 149, 0);
    case Farbrolle::gruen:
        return QColor(40, 180, 80);
    case Farbrolle::sekundaer:
        break;
    }
    QColor sekundaer = palette.color(QPalette::WindowText);
    sekundaer.setAlphaF(0.55f);
    return sekundaer;
}

SymbolBild::SymbolBild(int seite, QWidget* parent) : QWidget(parent) {
    setFixedSize(seite, seite);
}

void SymbolBild::setSymbol(Symbol symbol, const QColor& farbe) {
    if (symbol == m_symbol && farbe == m_farbe)
        return;
    m_symbol = symbol;
    m_farbe = farbe;
    update();
}

void SymbolBild::paintEvent(QPaintEvent*) {
    QPainter maler(this);
    symbolZeichnen(maler, m_symbol, rect(), m_farbe);
}

Kachel::Kachel(QWidget* parent) : QWidget(parent) {
    setFixedSize(38, 38);
}

void Kachel::paintEvent(QPaintEvent*) {
    QPainter maler(this);
    kachelZeichnen(maler, rect());
}

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
