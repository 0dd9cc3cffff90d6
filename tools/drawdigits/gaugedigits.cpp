#include "gaugedigits.h"

#include <QColor>
#include <QList>

#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr int Size = 27;
constexpr double Centre = Size / 2.0;
constexpr int Samples = 4; // per pixel and axis, to smooth the round edges

const QRgb Black = qRgb(0, 0, 0);
const QRgb Grey = qRgb(192, 192, 192);
const QRgb DarkRed = qRgb(128, 0, 0);
const QRgb Red = qRgb(255, 0, 0);

// Half the dial's width, and how far the octagon's slanted sides reach from
// the centre along a diagonal in |dx| + |dy|.
constexpr double HalfWidth = 13.5;
constexpr double DiagonalReach = 19.0;
constexpr double CentreDot = 2.3;
constexpr double NeedleTip = 11.5;
constexpr double RingRadius = 9.0;

bool onDial(double dx, double dy) {
    return std::abs(dx) <= HalfWidth && std::abs(dy) <= HalfWidth &&
           std::abs(dx) + std::abs(dy) <= DiagonalReach;
}

// Clockwise from 12 o'clock, in turns 0..1.
double turnOf(double dx, double dy) {
    const double turn = std::atan2(dx, -dy) / (2 * std::numbers::pi);
    return turn < 0 ? turn + 1 : turn;
}

// The ring's dots are drawn whole pixels, a small cross each, so that all ten
// look alike at this size.
bool onRingDot(int x, int y) {
    const int middle = Size / 2;
    for (int dot = 0; dot < 10; ++dot) {
        const double angle = dot * 2 * std::numbers::pi / 10;
        const int cx = middle + int(std::lround(RingRadius * std::sin(angle)));
        const int cy = middle - int(std::lround(RingRadius * std::cos(angle)));
        if (std::abs(x - cx) + std::abs(y - cy) <= 1)
            return true;
    }
    return false;
}

QRgb colourAt(int element, int x, int y, double dx, double dy) {
    if (!onDial(dx, dy))
        return Black;
    const double radius = std::hypot(dx, dy);
    if (radius <= CentreDot)
        return Red;
    if (element == 10 || element == 12)
        return onRingDot(x, y) ? Red : DarkRed;
    if (element == 0)
        return std::abs(dx) <= 0.5 && dy < 0 && -dy <= NeedleTip ? DarkRed : Grey;
    if (element >= 1 && element <= 9)
        return turnOf(dx, dy) < element / 10.0 ? DarkRed : Grey;
    return Grey;
}

// The four drawing colours and the blends between each pair, so that edges
// smoothed by sampling keep their shade in the palette.
QList<QRgb> palette() {
    const std::array<QRgb, 4> base = {Black, Grey, DarkRed, Red};
    QList<QRgb> colours(base.begin(), base.end());
    constexpr int Steps = 16;
    for (size_t from = 0; from < base.size(); ++from) {
        for (size_t to = from + 1; to < base.size(); ++to) {
            for (int step = 1; step < Steps; ++step) {
                const auto mix = [&](int a, int b) {
                    return (a * (Steps - step) + b * step) / Steps;
                };
                colours.append(qRgb(mix(qRed(base[from]), qRed(base[to])),
                                    mix(qGreen(base[from]), qGreen(base[to])),
                                    mix(qBlue(base[from]), qBlue(base[to]))));
            }
        }
    }
    while (colours.size() < 256)
        colours.append(Black);
    return colours;
}

} // namespace

QImage GaugeDigits::draw(int element) {
    QImage smooth(Size, Size, QImage::Format_RGB32);
    for (int y = 0; y < Size; ++y) {
        for (int x = 0; x < Size; ++x) {
            int red = 0, green = 0, blue = 0;
            for (int sy = 0; sy < Samples; ++sy) {
                for (int sx = 0; sx < Samples; ++sx) {
                    const double dx = x + (sx + 0.5) / Samples - Centre;
                    const double dy = y + (sy + 0.5) / Samples - Centre;
                    const QRgb colour = colourAt(element, x, y, dx, dy);
                    red += qRed(colour);
                    green += qGreen(colour);
                    blue += qBlue(colour);
                }
            }
            constexpr int Count = Samples * Samples;
            smooth.setPixel(x, y, qRgb(red / Count, green / Count, blue / Count));
        }
    }
    return smooth.convertToFormat(QImage::Format_Indexed8, palette(), Qt::ThresholdDither);
}
