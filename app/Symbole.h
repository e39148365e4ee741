#pragma once

#include "Ansichtsbeschreibung.h"

#include <QBasicTimer>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QWidget>

class QPainter;

namespace kabel {

// The window's four symbols, drawn as paths so they stay sharp at every pixel ratio and need no
// image plug-in. Drawn into the square `rahmen` in `farbe`.
void symbolZeichnen(QPainter& maler, Symbol symbol, const QRectF& rahmen, const QColor& farbe);

// The header's tile: the cable symbol in white on a navy square with smooth corners.
void kachelZeichnen(QPainter& maler, const QRectF& rahmen);

// The tile at the sizes of the program's icon. Images, not pixmaps, so they can be drawn on any
// thread while the UI thread does other work.
QList<QImage> programmBilder();
// The icon of these images, for the window and the task bar.
QIcon programmSymbol(const QList<QImage>& bilder);

QColor farbeFuer(Farbrolle rolle, const QPalette& palette);

// One symbol at a fixed size.
class SymbolBild : public QWidget {
    Q_OBJECT

public:
    explicit SymbolBild(int seite, QWidget* parent = nullptr);
    void setSymbol(Symbol symbol, const QColor& farbe);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Symbol m_symbol = Symbol::klicken;
    QColor m_farbe;
};

class Kachel : public QWidget {
    Q_OBJECT

public:
    explicit Kachel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A small indeterminate spinner. Its timer runs only while it is visible.
class Spinner : public QWidget {
    Q_OBJECT

public:
    explicit Spinner(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QBasicTimer m_takt;
    int m_phase = 0;
};

} // namespace kabel
