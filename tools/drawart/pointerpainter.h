#pragma once

#include <QImage>
#include <QPoint>

// The two designed mouse pointers, each 32 x 32 pixels.
namespace PointerPainter {

// Window buttons and the "Skin:" and "Acerca de" captions: an arrow sending radio waves.
// Full colour; stored with a palette of 256 entries.
QImage button();
inline constexpr QPoint ButtonHotSpot(0, 0);

// Connect and change buttons and their captions: a pointing hand, black and white.
QImage hand();
inline constexpr QPoint HandHotSpot(13, 9);

} // namespace PointerPainter
