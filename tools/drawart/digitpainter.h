#pragma once

#include <QImage>

// The custom volume digits of the shipped skins: thirteen 27 x 27 pictures each,
// element 0..10 for the volume steps, 11 while nothing plays, 12 the sample beside
// the colour option.
namespace DigitPainter {

inline constexpr int Side = 27;
inline constexpr int Off = 11;
inline constexpr int Selector = 12;

QImage nightRing(int element);   // cyan ring of ten segments on night blue
QImage walnutMeter(int element); // a lit needle meter in a brass frame
QImage contrastBar(int element); // a large black number over a filling bar

} // namespace DigitPainter
