#include "legacytext.h"

#include <QStringDecoder>

namespace LegacyText {

bool isValidUtf8(const QByteArray &bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QString fromWindows1252(const QByteArray &bytes) {
    // 0x80..0x9F differ from Latin-1; the five undefined bytes map to their C1 controls.
    static constexpr char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(high[b - 0x80]) : QChar(char16_t(b)));
    }
    return text;
}

QString decode(const QByteArray &bytes) {
    return isValidUtf8(bytes) ? QString::fromUtf8(bytes) : fromWindows1252(bytes);
}

} // namespace LegacyText
