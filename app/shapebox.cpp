#include "shapebox.h"

#include <QPainter>

ShapeBox::ShapeBox(QWidget *parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeBox::setFillColor(const QColor &color) {
    m_fill = color;
    update();
}

void ShapeBox::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), m_fill);
}
