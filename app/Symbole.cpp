#include "Symbole.h"

#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace kabel {

namespace {

// Every symbol is designed on a 24 × 24 grid.
constexpr qreal raster = 24.0;

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

// Drawn as paths so they stay sharp at every pixel ratio and need no image plug-in.
void symbolZeichnen(QPainter& maler, Symbol symbol, const QRectF& rahmen, const QColor& farbe) {
    maler.save();
    maler.setRenderHint(QPainter::Antialiasing);
    maler.translate(rahmen.topLeft());
    maler.scale(rahmen.width() / raster, rahmen.height() / raster);
    switch (symbol) {
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

} // namespace

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

void SymbolBild::setSymbol(Symbol symbol, Farbrolle farbe) {
    if (symbol == m_symbol && farbe == m_farbe)
        return;
    m_symbol = symbol;
    m_farbe = farbe;
    update();
}

void SymbolBild::paintEvent(QPaintEvent*) {
    QPainter maler(this);
    symbolZeichnen(maler, m_symbol, rect(), farbeFuer(m_farbe, palette()));
}

} // namespace kabel
