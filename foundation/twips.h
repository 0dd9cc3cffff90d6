#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// The window was designed in twips. At the logical 96 dpi a pixel is 15 twips.
namespace Twips {

inline constexpr int PerPixel = 15;

constexpr int toPixels(int twips) {
    return twips / PerPixel;
}
constexpr int fromPixels(int pixels) {
    return pixels * PerPixel;
}

inline QRect rect(int left, int top, int width, int height) {
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

inline QPoint point(int left, int top) {
    return QPoint(toPixels(left), toPixels(top));
}

inline QSize size(int width, int height) {
    return QSize(toPixels(width), toPixels(height));
}

// Twips per pixel of a screen with the given logical dpi (1440 twips to the inch).
inline double perPixelAt(double logicalDpi) {
    return 1440.0 / logicalDpi;
}

} // namespace Twips
