#pragma once

#include <QImage>

// Turns a full-colour picture into a palette picture of at most `colours` entries,
// the way icons and pointers of the old desktops were stored: each pixel either
// opaque or fully transparent (one entry of the palette).
namespace PaletteReducer {

QImage reduce(const QImage &picture, int colours);

} // namespace PaletteReducer
