#include "windowoutline.h"

#include <QList>
#include <QRect>

#include <algorithm>

#include <cmath>
#include <cstdlib>

namespace {

// Design values of the outline, in pixels at 15 twips per pixel.
constexpr double DesignLeft = 3;
constexpr double DesignTop = 22;
constexpr double DesignRightClosed = 242;
constexpr double DesignRightGrowth = 434;
constexpr double DesignBottom = 225;
constexpr int CornerEllipse = 30;
constexpr double DesignTwipsPerPixel = 15;

int edge(double designPixels, float scale, qint16 offset, double twipsPerPixel) {
    // nearbyint under the default rounding mode takes halves to the even neighbour.
    return static_cast<int>(
        std::nearbyint(designPixels * scale * DesignTwipsPerPixel / twipsPerPixel + offset));
}

// Inset from the left and right of every pixel row of the corner ellipse's
// lower half, from its middle row (index height / 2) to its last (height - 1).
// An error-tracking walk along the quadrant (Zingl's rasteriser), stepping x
// outwards and y downwards; a row takes the inset reached when y enters it.
QList<int> lowerHalfInsets(int width, int height) {
    const qint64 a = width - 1;
    const qint64 b = height - 1;
    const qint64 oddRows = b % 2;
    const qint64 growX = 8 * b * b;
    const qint64 growY = 8 * a * a;
    qint64 stepX = 4 * b * b * (1 - a);
    qint64 stepY = 4 * a * a * (1 + oddRows);
    qint64 error = stepX + stepY + a * a * oddRows;

    QList<int> insets(height, 0);
    int x = 0;
    int row = height / 2;
    while (x <= width / 2 && row < height - 1) {
        const qint64 twice = 2 * error;
        if (twice >= stepX) {
            ++x;
            stepX += growX;
            error += stepX;
        }
        if (twice <= stepY) {
            ++row;
            stepY += growY;
            error += stepY;
            insets[row] = x;
        }
    }
    return insets;
}

} // namespace

QRegion WindowOutline::region() const {
    int l = std::min(left, right);
    int r = std::max(left, right);
    int t = std::min(top, bottom);
    int b = std::max(top, bottom);
    // The platform leaves out the last column and row of the rectangle.
    --r;
    --b;
    const int w = std::min(r - l, std::abs(ellipseWidth));
    const int h = std::min(b - t, std::abs(ellipseHeight));
    if (w < 2 || h < 2)
        return r > l && b > t ? QRegion(l, t, r - l, b - t) : QRegion();

    const QList<int> insets = lowerHalfInsets(w, h);
    QRegion result;
    auto addRow = [&](int y, int height, int inset) {
        const int x0 = l + inset;
        const int x1 = r - inset;
        if (x1 > x0 && height > 0)
            result += QRect(x0, y, x1 - x0, height);
    };
    // Upper corners mirror the lower ones; the middle row stretches over the
    // straight sides.
    for (int i = 0; i < h / 2; ++i)
        addRow(t + i, 1, insets[h - 1 - i]);
    addRow(t + h / 2, b - h + 1 - t, 0);
    for (int i = h / 2 + 1; i < h; ++i)
        addRow(b - h + i, 1, insets[i]);
    return result;
}

WindowOutline CreaRegion(double r, float sx, float sy, qint16 ox, qint16 oy, double twipsPerPixelX,
                         double twipsPerPixelY) {
    WindowOutline outline;
    outline.left = edge(DesignLeft, sx, ox, twipsPerPixelX);
    outline.top = edge(DesignTop, sy, oy, twipsPerPixelY);
    outline.right = edge(DesignRightGrowth * r + DesignRightClosed, sx, ox, twipsPerPixelX);
    outline.bottom = edge(DesignBottom, sy, oy, twipsPerPixelY);
    outline.ellipseWidth = CornerEllipse;
    outline.ellipseHeight = CornerEllipse;
    return outline;
}
