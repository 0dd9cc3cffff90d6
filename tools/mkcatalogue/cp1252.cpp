#include "cp1252.h"

namespace Cp1252 {

std::optional<QByteArray> encode(const QString &text) {
    // 0x80..0x9F hold typographic characters instead of Latin-1's controls; the five
    // positions the code page leaves undefined are not offered.
    static constexpr char16_t high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(char(u));
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32 && found < 0; ++i) {
            if (high[i] != 0 && high[i] == u)
                found = i;
        }
        if (found < 0)
            return std::nullopt;
        bytes.append(char(0x80 + found));
    }
    return bytes;
}

} // namespace Cp1252
