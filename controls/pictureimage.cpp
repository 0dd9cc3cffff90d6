#include "pictureimage.h"

#include <QMouseEvent>
#include <QPainter>

PictureImage::PictureImage(QWidget *parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void PictureImage::setPicture(const QPixmap &picture) {
    m_picture = picture;
    if (!picture.isNull())
        resize(picture.deviceIndependentSize().toSize());
    update();
}

void PictureImage::setBorderStyle(int style) {
    if (m_borderStyle == style)
        return;
    m_borderStyle = style;
    update();
}

void PictureImage::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (!m_picture.isNull())
        painter.drawPixmap(0, 0, m_picture);
    if (m_borderStyle == 1) {
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void PictureImage::mousePressEvent(QMouseEvent *event) {
    m_pressed = event->button() == Qt::LeftButton;
}

void PictureImage::mouseReleaseEvent(QMouseEvent *event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        Q_EMIT clicked();
}
