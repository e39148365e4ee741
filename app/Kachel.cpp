#include "Kachel.h"

#include <QImage>
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
    if (m_bild.isNull() || m_bild.devicePixelRatio() != devicePixelRatioF()) {
        m_bild = QPixmap(size() * devicePixelRatioF());
        m_bild.setDevicePixelRatio(devicePixelRatioF());
        m_bild.fill(Qt::transparent);
        QPainter maler(&m_bild);
        QSvgRenderer(bildDatei()).render(&maler, rect());
    }
    QPainter(this).drawPixmap(0, 0, m_bild);
}

QList<QImage> programmBilder() {
    // Rendered into images here, so the icon needs no SVG icon plug-in at run time.
    QSvgRenderer svg(bildDatei());
    QList<QImage> bilder;
    for (const int seite : {16, 32, 64, 128, 256}) {
        QImage bild(seite, seite, QImage::Format_ARGB32_Premultiplied);
        bild.fill(Qt::transparent);
        QPainter maler(&bild);
        svg.render(&maler);
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

} // namespace kabel
