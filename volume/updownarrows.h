#pragma once

#include <QAbstractSlider>

// A vertical bar so short that only its two arrow buttons show: the upper one
// raises the value one step, the lower one lowers it; held down, they repeat.
// The top end is the high end. Only the mouse moves it: it ignores the keys
// and the wheel, draws no focus mark, and reports receiving the focus so that
// its owner can pass the focus on.
class UpDownArrows : public QAbstractSlider {
    Q_OBJECT

public:
    explicit UpDownArrows(QWidget *parent = nullptr);

    QSize sizeHint() const override;

Q_SIGNALS:
    void focusReceived();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    enum class Arrow { None, Up, Down };

    QRect arrowRect(Arrow arrow) const;

    Arrow m_pressed = Arrow::None;
};
