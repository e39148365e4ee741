#pragma once

#include <QIcon>
#include <QWidget>

namespace kabel {

// The header's tile: the app icon, drawn from the same SVG the desktop shows.
class Kachel : public QWidget {
    Q_OBJECT

public:
    explicit Kachel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The app icon for the window and the task bar.
QIcon programmSymbol();

} // namespace kabel
