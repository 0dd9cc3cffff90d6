#include "pointerpainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

QImage PointerPainter::button() {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // The arrow, its tip on the hot spot; its outline covers the hot-spot pixel.
    const QPointF tip(ButtonHotSpot.x() + 1.2, ButtonHotSpot.y() + 1.2);
    QPainterPath arrow;
    const auto at = [&](double x, double y) { return tip + QPointF(x, y); };
    arrow.moveTo(at(0, 0));
    arrow.lineTo(at(0, 16.5));
    arrow.lineTo(at(4.0, 12.8));
    arrow.lineTo(at(6.8, 18.6));
    arrow.lineTo(at(9.6, 17.3));
    arrow.lineTo(at(6.9, 11.6));
    arrow.lineTo(at(11.9, 11.6));
    arrow.closeSubpath();
    p.setPen(QPen(QColor(0x0a, 0x12, 0x2a), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(arrow);
    QLinearGradient fill(at(0, 0), at(6, 17));
    fill.setColorAt(0, QColor(0xff, 0xff, 0xff));
    fill.setColorAt(0.35, QColor(0xc9, 0xdb, 0xff));
    fill.setColorAt(1, QColor(0x4d, 0x7f, 0xe0));
    p.setPen(QPen(QColor(0xff, 0xff, 0xff), 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(arrow);

    // Beside it, a small antenna ball sending two waves.
    const QPointF ball(19.5, 21.5);
    for (int i = 2; i >= 1; --i) {
        const double r = 2.0 + 3.9 * i;
        const QRectF arc(ball.x() - r, ball.y() - r, 2 * r, 2 * r);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x4a, 0x24, 0x00), 2.8, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(arc, -40 * 16, 100 * 16);
        p.setPen(QPen(QColor(0xff, 0xa8, 0x3a), 1.3, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(arc, -40 * 16, 100 * 16);
    }
    p.setPen(QPen(QColor(0x4a, 0x24, 0x00), 1.0));
    QRadialGradient glow(ball - QPointF(0.7, 0.7), 3.0);
    glow.setColorAt(0, QColor(0xff, 0xe0, 0xb0));
    glow.setColorAt(1, QColor(0xe8, 0x6a, 0x10));
    p.setBrush(glow);
    p.drawEllipse(ball, 2.4, 2.4);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage PointerPainter::hand() {
    // '#' black, '.' white, anything else transparent. The hot spot is the top of the
    // index finger.
    static const char *const rows[32] = {
        "                                ", //  0
        "                                ", //  1
        "                                ", //  2
        "                                ", //  3
        "                                ", //  4
        "                                ", //  5
        "                                ", //  6
        "                                ", //  7
        "                                ", //  8
        "            ###                 ", //  9
        "           #...#                ", // 10
        "           #...#                ", // 11
        "           #...#                ", // 12
        "           #...#                ", // 13
        "           #...####             ", // 14
        "           #...#...####         ", // 15
        "           #...#...#...###      ", // 16
        "           #...#...#...#..#     ", // 17
        "       #####...#...#...#..#     ", // 18
        "      #...................#     ", // 19
        "     #....................#     ", // 20
        "     #....................#     ", // 21
        "      ####................#     ", // 22
        "         #................#     ", // 23
        "         #................#     ", // 24
        "          #..............#      ", // 25
        "          #..............#      ", // 26
        "           #............#       ", // 27
        "           ##############       ", // 28
        "           #............#       ", // 29
        "           #............#       ", // 30
        "           ##############       ", // 31
    };
    QImage image(32, 32, QImage::Format_Indexed8);
    image.setColorTable({qRgba(0, 0, 0, 0), qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < 32; ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < 32; ++x) {
            const char c = rows[y][x];
            line[x] = c == '#' ? 1 : c == '.' ? 2 : 0;
        }
    }
    return image;
}
