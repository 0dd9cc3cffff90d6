#pragma once

#include <QImage>

// The custom digit set as built in: a round gauge on an octagonal dial,
// 27 x 27 pixels with a 256-colour palette.
class GaugeDigits {
public:
    // Element 0 the needle straight up, 1..9 a sector of that many tenths,
    // 10 and 12 the full dial with its ring of dots, 11 the bare dial.
    static QImage draw(int element);
};
