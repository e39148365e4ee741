#pragma once

#include <QWidget>

namespace kabel {

// A text wrapped at word boundaries onto at most so many lines, the last one cut with an ellipsis
// when the rest does not fit. Takes the width its layout offers; its height follows from it.
class Mehrzeiler : public QWidget {
    Q_OBJECT

public:
    explicit Mehrzeiler(QWidget* parent = nullptr);

    void setText(const QString& text, int hoechstens);
    QString text() const { return m_text; }
    // The lines as they are drawn at `breite`.
    QStringList zeilen(int breite) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int breite) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_text;
    int m_hoechstens = 1;
};

} // namespace kabel
