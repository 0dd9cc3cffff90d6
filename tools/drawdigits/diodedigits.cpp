#include "diodedigits.h"

#include <array>

namespace {

constexpr int Size = 27;

// Centre lines of the segments, three pixels thick. The tens position has
// only its right-hand column, the two segments of a "1".
constexpr int TensColumn = 5;
constexpr int LeftColumn = 10;
constexpr int RightColumn = 22;
constexpr int TopRow = 3;
constexpr int MiddleRow = 13;
constexpr int BottomRow = 23;

enum Index : uchar { Black, Lit, Unlit, Spare };

enum Segment { A, B, C, D, E, F, G, TensB, TensC, SegmentCount };

struct Bar {
    bool horizontal;
    int line; // the row of a horizontal bar, the column of a vertical one
    int from; // centre line of the crossing bar at either end
    int to;
};

constexpr std::array<Bar, SegmentCount> Bars = {{
    {true, TopRow, LeftColumn, RightColumn},    // a
    {false, RightColumn, TopRow, MiddleRow},    // b
    {false, RightColumn, MiddleRow, BottomRow}, // c
    {true, BottomRow, LeftColumn, RightColumn}, // d
    {false, LeftColumn, MiddleRow, BottomRow},  // e
    {false, LeftColumn, TopRow, MiddleRow},     // f
    {true, MiddleRow, LeftColumn, RightColumn}, // g
    {false, TensColumn, TopRow, MiddleRow},     // tens b
    {false, TensColumn, MiddleRow, BottomRow},  // tens c
}};

// Segments a..g lit for the digits 0..9.
constexpr std::array<const char *, 10> Lights = {
    "abcdef", "bc", "abdeg", "abcdg", "bcfg", "acdfg", "acdefg", "abc", "abcdefg", "abcdfg",
};

// A bar is pointed at both ends: its centre line runs two pixels short of the
// crossing centre lines and its two edges three, leaving a mitred gap at each
// corner so the segments read apart.
void drawBar(QImage &image, const Bar &bar, bool lit) {
    for (int offset = -1; offset <= 1; ++offset) {
        const int inset = offset == 0 ? 2 : 3;
        for (int along = bar.from + inset; along <= bar.to - inset; ++along) {
            const int x = bar.horizontal ? along : bar.line + offset;
            const int y = bar.horizontal ? bar.line + offset : along;
            // Unlit segments are a checker of the dim colour and black.
            const uchar index = lit ? Lit : ((x + y) % 2 == 0 ? Unlit : Black);
            image.setPixel(x, y, index);
        }
    }
}

} // namespace

QImage DiodeDigits::draw(int element, QRgb lit, QRgb unlit) {
    QImage image(Size, Size, QImage::Format_Indexed8);
    image.setColorTable({qRgb(0, 0, 0), lit, unlit, qRgb(255, 255, 255)});
    image.fill(Black);

    std::array<bool, SegmentCount> on{};
    if (element >= 0 && element <= 9) {
        for (const char *letter = Lights[element]; *letter; ++letter)
            on[*letter - 'a'] = true;
    } else if (element == 10 || element == 12) {
        on[TensB] = on[TensC] = true;
        for (const char *letter = Lights[0]; *letter; ++letter)
            on[*letter - 'a'] = true;
    }
    for (int segment = 0; segment < SegmentCount; ++segment)
        drawBar(image, Bars[segment], on[segment]);
    return image;
}
