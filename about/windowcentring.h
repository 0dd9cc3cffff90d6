#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace WindowCentring {

// Where a window of the given outer size goes to sit in the middle of the
// screen's area, all in twips. On a screen smaller than the window the result
// is negative and the window overhangs both edges alike; halves are cut toward zero.
inline QPoint origin(const QRect &screenArea, const QSize &windowSize) {
    return screenArea.topLeft() + QPoint((screenArea.width() - windowSize.width()) / 2,
                                         (screenArea.height() - windowSize.height()) / 2);
}

} // namespace WindowCentring
