#pragma once

#include "Ansichtsbeschreibung.h"

#include <QColor>
#include <QWidget>

namespace kabel {

QColor farbeFuer(Farbrolle rolle, const QPalette& palette);

// One of the window's symbols at a fixed size, drawn in the colour of a role in the current palette.
class SymbolBild : public QWidget {
    Q_OBJECT

public:
    explicit SymbolBild(int seite, QWidget* parent = nullptr);
    void setSymbol(Symbol symbol, Farbrolle farbe);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Symbol m_symbol = Symbol::klicken;
    Farbrolle m_farbe = Farbrolle::sekundaer;
};

} // namespace kabel
