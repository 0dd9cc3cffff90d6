#include "digitpainter.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

QImage canvas() {
    QImage image(DigitPainter::Side, DigitPainter::Side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage finished(const QImage &image) {
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The step an element shows: 0..10, 10 for the selector sample, -1 for "off".
int stepOf(int element) {
    if (element == DigitPainter::Off)
        return -1;
    return element == DigitPainter::Selector ? 10 : element;
}

QFont numberFont(int pixels, bool bold = true) {
    QFont f(u"DejaVu Sans"_s);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

} // namespace

QImage DigitPainter::nightRing(int element) {
    const int step = stepOf(element);
    QImage image = canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(13.5, 13.5);

    p.setPen(Qt::NoPen);
    QRadialGradient face(c - QPointF(3, 4), 17);
    face.setColorAt(0, QColor(0x1c, 0x2d, 0x55));
    face.setColorAt(1, QColor(0x03, 0x07, 0x16));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(0, 0, Side, Side), 5, 5);

    // Ten segments from twelve o'clock, clockwise; lit ones glow.
    for (int i = 0; i < 10; ++i) {
        const bool lit = i < step;
        const double start = 90.0 - i * 36.0 - 3.0; // degrees, counter-clockwise from 3 o'clock
        QPainterPath seg;
        const QRectF outer(c.x() - 12, c.y() - 12, 24, 24);
        const QRectF inner(c.x() - 8.4, c.y() - 8.4, 16.8, 16.8);
        seg.arcMoveTo(outer, start);
        seg.arcTo(outer, start, -30.0);
        seg.arcTo(inner, start - 30.0, 30.0);
        seg.closeSubpath();
        if (lit) {
            const double t = i / 9.0;
            const QColor col =
                QColor::fromRgbF(float(0.42 + 0.45 * t), float(0.84 + 0.1 * t), 1.0f);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(col.red(), col.green(), col.blue(), 90), 1.6));
            p.drawPath(seg);
            p.setPen(Qt::NoPen);
            p.setBrush(col);
            p.drawPath(seg);
        } else {
            p.setBrush(QColor(0x1a, 0x2c, 0x52));
            p.drawPath(seg);
        }
    }

    if (step < 0) {
        // Off: a thin crescent moon in the middle.
        QPainterPath moon;
        moon.addEllipse(c, 5.0, 5.0);
        QPainterPath bite;
        bite.addEllipse(c + QPointF(2.4, -1.6), 4.4, 4.4);
        p.setBrush(QColor(0x8f, 0xa8, 0xd8));
        p.drawPath(moon.subtracted(bite));
    } else {
        const QString text = QString::number(step);
        p.setFont(numberFont(step == 10 ? 8 : 10));
        const QRectF box(c.x() - 8, c.y() - 7, 16, 14);
        p.setPen(QColor(0x6c, 0xd6, 0xff, 120));
        p.drawText(box.translated(0, 0.5), Qt::AlignCenter, text);
        p.setPen(QColor(0xe6, 0xf7, 0xff));
        p.drawText(box, Qt::AlignCenter, text);
    }
    p.end();
    return finished(image);
}

QImage DigitPainter::walnutMeter(int element) {
    const int step = stepOf(element);
    const bool lit = step >= 0;
    QImage image = canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    // Brass frame.
    QLinearGradient brass(0, 0, 0, Side);
    brass.setColorAt(0, QColor(0xf3, 0xd3, 0x8a));
    brass.setColorAt(0.5, QColor(0xc9, 0x9c, 0x45));
    brass.setColorAt(1, QColor(0x8a, 0x62, 0x20));
    p.setBrush(brass);
    p.drawRoundedRect(QRectF(0, 0, Side, Side), 4, 4);
    p.setBrush(QColor(0x3a, 0x1e, 0x0a));
    p.drawRoundedRect(QRectF(1.5, 1.5, Side - 3, Side - 3), 3, 3);

    // Face, warmly lit from behind while playing.
    const QRectF face(2.5, 2.5, Side - 5, Side - 5);
    QRadialGradient glow(QPointF(13.5, 20), 20);
    if (lit) {
        glow.setColorAt(0, QColor(0xff, 0xf4, 0xcf));
        glow.setColorAt(0.6, QColor(0xfb, 0xdf, 0x9a));
        glow.setColorAt(1, QColor(0xe0, 0xa8, 0x4e));
    } else {
        glow.setColorAt(0, QColor(0xd9, 0xcc, 0xa8));
        glow.setColorAt(1, QColor(0xa6, 0x92, 0x68));
    }
    p.setBrush(glow);
    p.drawRoundedRect(face, 2, 2);

    // Scale arc with eleven ticks; the top three steps in red.
    const QPointF pivot(13.5, 21.5);
    const double radius = 14.0;
    const auto angleOf = [](double s) { return (-50.0 + s * 10.0) * M_PI / 180.0; };
    for (int s = 0; s <= 10; ++s) {
        const double a = angleOf(s);
        const QPointF dir(std::sin(a), -std::cos(a));
        const bool major = s % 5 == 0;
        const QColor ink = s >= 8 ? QColor(0xc0, 0x1e, 0x12) : QColor(0x4a, 0x2a, 0x10);
        p.setPen(QPen(lit ? ink : ink.lighter(130), major ? 1.2 : 0.8));
        p.drawLine(pivot + dir * (radius - (major ? 3.2 : 2.2)), pivot + dir * radius);
    }
    p.setPen(QPen(QColor(0xc0, 0x1e, 0x12, lit ? 255 : 140), 1.6));
    p.setBrush(Qt::NoBrush);
    const QRectF arc(pivot.x() - radius - 0.6, pivot.y() - radius - 0.6, 2 * radius + 1.2,
                     2 * radius + 1.2);
    p.drawArc(arc, 40 * 16, 20 * 16); // steps 8..10 lie between 60 and 40 degrees

    // Needle: resting just left of 0 while off.
    const double a = lit ? angleOf(step) : angleOf(-0.8);
    const QPointF dir(std::sin(a), -std::cos(a));
    p.setPen(QPen(QColor(0, 0, 0, 60), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(pivot + QPointF(0.6, 0.8), pivot + QPointF(0.6, 0.8) + dir * (radius - 1));
    p.setPen(QPen(QColor(0x1e, 0x10, 0x06), 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(pivot, pivot + dir * (radius - 1));
    p.setPen(Qt::NoPen);
    p.setBrush(brass);
    p.drawEllipse(pivot, 2.4, 2.4);

    // A touch of glass.
    QLinearGradient glass(face.topLeft(), face.topLeft() + QPointF(0, 9));
    glass.setColorAt(0, QColor(255, 255, 255, 90));
    glass.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(glass);
    p.drawRoundedRect(face.adjusted(0.5, 0.5, -0.5, -12), 2, 2);
    p.end();
    return finished(image);
}

QImage DigitPainter::contrastBar(int element) {
    const int step = stepOf(element);
    QImage image = canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(0, 0, Side, Side), 3, 3);
    p.setBrush(step < 0 ? QColor(0xf2, 0xf2, 0xf2) : Qt::white);
    p.drawRoundedRect(QRectF(2, 2, Side - 4, Side - 4), 1.5, 1.5);

    p.setRenderHint(QPainter::Antialiasing, false);
    // Bar: ten cells, filled as far as the step goes.
    const QRect bar(4, 19, 19, 5);
    p.setBrush(Qt::black);
    p.drawRect(bar);
    p.setBrush(Qt::white);
    p.drawRect(bar.adjusted(1, 1, -1, -1));
    const int inner = bar.width() - 2;
    if (step > 0) {
        p.setBrush(Qt::black);
        p.drawRect(QRect(bar.left() + 1, bar.top() + 1, inner * step / 10, bar.height() - 2));
    }
    p.setRenderHint(QPainter::Antialiasing);

    p.setPen(Qt::black);
    if (step < 0) {
        p.setFont(numberFont(8));
        p.drawText(QRectF(2, 3, Side - 4, 15), Qt::AlignCenter, u"OFF"_s);
    } else {
        p.setFont(numberFont(step == 10 ? 13 : 15));
        p.drawText(QRectF(1, 1, Side - 2, 17), Qt::AlignCenter, QString::number(step));
    }
    p.end();
    return finished(image);
}
