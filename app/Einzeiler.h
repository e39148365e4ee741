#pragma once

#include <QWidget>

namespace kabel {

// One line of text that never wraps: cut with an ellipsis when it does not fit. Takes the width
// its layout offers instead of asking for the width of its whole text.
class Einzeiler : public QWidget {
    Q_OBJECT

public:
    explicit Einzeiler(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return m_text; }
    // The text as it is drawn at the current width.
    QString angezeigterText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void kuerzungPruefen();

    QString m_text;
};

} // namespace kabel
