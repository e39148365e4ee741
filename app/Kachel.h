#pragma once

#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QWidget>

namespace kabel {

// The header's tile: the app icon, drawn from the same SVG the desktop shows.
class Kachel : public QWidget {
    Q_OBJECT

public:
    explicit Kachel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_bild; // drawn once per pixel ratio
};

// The app icon's images at the usual sizes; any thread, so they can be drawn while the app starts.
QList<QImage> programmBilder();
// The app icon for the window and the task bar, from those images.
QIcon programmSymbol(const QList<QImage>& bilder);

} // namespace kabel
