#pragma once

#include <QPixmap>
#include <QWidget>

// An image control: shows its picture from the top-left corner, takes the
// picture's size when one is loaded, and may draw a single-line border.
// The border style doubles as state for some controls (0 none, 1 single).
class PictureImage : public QWidget {
    Q_OBJECT

public:
    explicit PictureImage(QWidget *parent = nullptr);

    void setPicture(const QPixmap &picture);
    QPixmap picture() const { return m_picture; }

    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPixmap m_picture;
    int m_borderStyle = 0;
    bool m_pressed = false;
};
