#include "Kachel.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace kabel {

namespace {

// packaging/sondit-kabel.svg, compiled in.
QString bildDatei() {
    return QStringLiteral(":/sondit-kabel.svg");
}

} // namespace

Kachel::Kachel(QWidget* parent) : QWidget(parent) {
    setFixedSize(38, 38);
}

void Kachel::paintEvent(QPaintEvent*) {
    QPainter maler(this);
    QSvgRenderer(bildDatei()).render(&maler, rect());
}

QIcon programmSymbol() {
    // Rendered into pixmaps here, so the icon needs no SVG icon plug-in at run time.
    QSvgRenderer bild(bildDatei());
    QIcon symbol;
    for (const int seite : {16, 32, 64, 128, 256}) {
        QPixmap pixmap(seite, seite);
        pixmap.fill(Qt::transparent);
        QPainter maler(&pixmap);
        bild.render(&maler);
        maler.end();
        symbol.addPixmap(pixmap);
    }
    return symbol;
}

} // namespace kabel
