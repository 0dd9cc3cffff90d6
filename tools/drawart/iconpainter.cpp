#include "iconpainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

QImage IconPainter::paint(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0); // designed on a 32-unit grid
    const bool small = size < 24;
    const bool large = size >= 48;

    // Antenna first, so the cabinet covers its foot.
    const QPointF tip(25.2, 5.6);
    p.setPen(QPen(QColor(0x0f, 0x17, 0x2e), small ? 2.2 : 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20.0, 14.0), tip);
    p.setPen(QPen(QColor(0xd4, 0xdb, 0xe6), small ? 1.0 : 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20.0, 14.0), tip);
    if (!small) {
        p.setBrush(Qt::NoBrush);
        for (int i = 1; i <= 2; ++i) {
            p.setPen(QPen(QColor(0xff, 0x9c, 0x3a, 255 - 70 * (i - 1)), 1.25, Qt::SolidLine,
                          Qt::RoundCap));
            const double r = 1.8 + 2.0 * i;
            const QRectF arc(tip.x() - r, tip.y() - r, 2 * r, 2 * r);
            p.drawArc(arc, 350 * 16, 80 * 16);
            p.drawArc(arc, 130 * 16, 70 * 16);
        }
    }
    p.setPen(Qt::NoPen);
    QRadialGradient ball(tip - QPointF(0.5, 0.5), 2.2);
    ball.setColorAt(0, QColor(0xff, 0xd9, 0x9e));
    ball.setColorAt(1, QColor(0xe8, 0x6a, 0x10));
    p.setBrush(ball);
    p.drawEllipse(tip, small ? 2.0 : 1.7, small ? 2.0 : 1.7);

    // Cabinet: deep blue, lighter at the top, with a bright rim. One unit lower than
    // its grid, to leave the waves room above.
    p.translate(0, 1.0);
    const QRectF body(2.5, 10.5, 27, 18.5);
    p.setBrush(QColor(0x0f, 0x17, 0x2e));
    p.drawRoundedRect(body.adjusted(-0.8, -0.8, 0.8, 0.8), 4.8, 4.8);
    QLinearGradient cabinet(body.topLeft(), body.bottomLeft());
    cabinet.setColorAt(0, QColor(0x5b, 0x84, 0xd6));
    cabinet.setColorAt(0.5, QColor(0x34, 0x4a, 0x7c));
    cabinet.setColorAt(1, QColor(0x1c, 0x2a, 0x4e));
    p.setBrush(cabinet);
    p.drawRoundedRect(body, 4, 4);
    if (!small) {
        QLinearGradient gloss(body.topLeft(), body.topLeft() + QPointF(0, 7));
        gloss.setColorAt(0, QColor(255, 255, 255, 110));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.setBrush(gloss);
        p.drawRoundedRect(body.adjusted(1, 0.8, -1, -10), 3, 3);
    }
    // Feet.
    p.setBrush(QColor(0x0f, 0x17, 0x2e));
    p.drawRoundedRect(QRectF(6, 28.5, 4, 1.5), 0.7, 0.7);
    p.drawRoundedRect(QRectF(22, 28.5, 4, 1.5), 0.7, 0.7);

    // Speaker: a silver disc with rings of holes.
    const QPointF centre(10.5, 19.8);
    const double radius = small ? 6.0 : 6.3;
    QRadialGradient disc(centre - QPointF(2, 2), radius * 1.4);
    disc.setColorAt(0, QColor(0xff, 0xff, 0xff));
    disc.setColorAt(1, QColor(0xb9, 0xc3, 0xd3));
    p.setBrush(QColor(0x0f, 0x17, 0x2e));
    p.drawEllipse(centre, radius + 0.7, radius + 0.7);
    p.setBrush(disc);
    p.drawEllipse(centre, radius, radius);
    p.setBrush(QColor(0x3b, 0x47, 0x60));
    if (small) {
        p.drawEllipse(centre, 2.2, 2.2);
    } else {
        p.drawEllipse(centre, 1.2, 1.2);
        const int rings = large ? 3 : 2;
        for (int ring = 1; ring <= rings; ++ring) {
            const double rr = ring * (large ? 1.55 : 2.2);
            const int holes = 6 * ring;
            for (int h = 0; h < holes; ++h) {
                const double a = 2 * M_PI * h / holes + ring * 0.3;
                p.drawEllipse(centre + QPointF(std::cos(a) * rr, std::sin(a) * rr),
                              large ? 0.45 : 0.6, large ? 0.45 : 0.6);
            }
        }
    }

    // Tuning window, warm and lit, with its red needle.
    const QRectF dial(18.5, 14.0, 8.5, 7.0);
    p.setBrush(QColor(0x0f, 0x17, 0x2e));
    p.drawRoundedRect(dial.adjusted(-0.7, -0.7, 0.7, 0.7), 1.6, 1.6);
    QLinearGradient lamp(dial.topLeft(), dial.bottomLeft());
    lamp.setColorAt(0, QColor(0xff, 0xf6, 0xd8));
    lamp.setColorAt(1, QColor(0xff, 0xd2, 0x7a));
    p.setBrush(lamp);
    p.drawRoundedRect(dial, 1.2, 1.2);
    if (!small) {
        p.setPen(QPen(QColor(0x8a, 0x6a, 0x30), 0.5));
        for (int i = 0; i < 5; ++i) {
            const double x = dial.left() + 1.2 + i * 1.55;
            p.drawLine(QPointF(x, dial.top() + 1.0), QPointF(x, dial.top() + (i % 2 ? 2.0 : 2.8)));
        }
    }
    p.setPen(QPen(QColor(0xd8, 0x20, 0x20), small ? 1.2 : 0.9));
    p.drawLine(QPointF(dial.left() + 5.2, dial.top() + 0.6),
               QPointF(dial.left() + 5.2, dial.bottom() - 0.6));
    p.setPen(Qt::NoPen);

    // Two knobs under the dial.
    for (const double x : {20.6, 25.0}) {
        QRadialGradient knob(QPointF(x - 0.5, 24.2), 2.2);
        knob.setColorAt(0, QColor(0xff, 0xff, 0xff));
        knob.setColorAt(1, QColor(0x9a, 0xa6, 0xbb));
        p.setBrush(QColor(0x0f, 0x17, 0x2e));
        p.drawEllipse(QPointF(x, 24.8), small ? 2.0 : 1.9, small ? 2.0 : 1.9);
        p.setBrush(knob);
        p.drawEllipse(QPointF(x, 24.8), small ? 1.4 : 1.4, small ? 1.4 : 1.4);
    }
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}
