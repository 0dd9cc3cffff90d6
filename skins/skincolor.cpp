#include "skincolor.h"

#include <QStringList>

namespace {

// Only plain decimal digits: signs, fractions and hexadecimal forms are refused so that a
// typing slip never turns into some other colour.
std::optional<int> component(const QString &part) {
    const QString digits = part.trimmed();
    if (digits.isEmpty())
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const uint value = digits.toUInt(&ok);
    if (!ok || value > 255)
        return std::nullopt;
    return int(value);
}

} // namespace

std::optional<QColor> SkinColor::parse(const QString &value) {
    const QStringList parts = value.split(u',');
    if (parts.size() < 3)
        return std::nullopt;
    const auto red = component(parts.at(0));
    const auto green = component(parts.at(1));
    const auto blue = component(parts.at(2));
    if (!red || !green || !blue)
        return std::nullopt;
    return QColor(*red, *green, *blue);
}
