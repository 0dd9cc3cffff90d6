#pragma once

#include <QLabel>

// A caption label: transparent, drawn from the top of its box, one text
// colour, and a click signal so that a click on a caption lying over an image
// can count as a click on the image.
class ClickLabel : public QLabel {
    Q_OBJECT

public:
    explicit ClickLabel(const QString &text = QString(), QWidget *parent = nullptr);

    void setTextColor(const QColor &color);
    QColor textColor() const;

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};
