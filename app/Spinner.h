#pragma once

#include <QBasicTimer>
#include <QWidget>

namespace kabel {

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
