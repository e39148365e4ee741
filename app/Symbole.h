#pragma once

#include "Ansichtsbeschreibung.h"

#include <QColor>
#include <QWidget>

namespace kabel {

QColor farbeFuer(Farbrolle rolle, const QPalette& palette);

// One of the window's symbols at a fixed size, drawn in `farbe`.
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

} // namespace kabel
