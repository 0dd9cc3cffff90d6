#pragma once

#include <QImage>

// The light-emitting-diode digit sets: a two-position seven-segment display
// on black, 27 x 27 pixels, four palette entries.
class DiodeDigits {
public:
    // Element 0..9 shows that digit, 10 and 12 show "10", 11 nothing lit.
    static QImage draw(int element, QRgb lit, QRgb unlit);
};
