#pragma once

#include "theme.h"

#include <QImage>

// The window's background: 679 x 202 pixels, the whole window with its options
// panel open. It leaves a quiet, readable surface wherever a control or a label sits,
// and draws as buttons the places where the connect and change captions lie.
namespace BackgroundPainter {

inline constexpr int Width = 679;
inline constexpr int Height = 202;

QImage paint(const Theme &theme);

} // namespace BackgroundPainter
