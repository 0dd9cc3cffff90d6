#pragma once

#include <QString>

// Country names in Spanish from Debian's iso-codes: the ISO 3166 list and its Spanish
// translation, so that the names follow that project's work rather than a table of ours.
namespace CountryNames {

inline constexpr char16_t IsoCodesJson[] = u"/usr/share/iso-codes/json/iso_3166-1.json";
inline constexpr char16_t SpanishMessages[] = u"/usr/share/locale/es/LC_MESSAGES/iso_3166-1.mo";

// The Spanish name of a two-letter code (any letter case), the English one when the
// translation lacks it. Throws std::runtime_error (in Spanish) for an unknown code or when
// iso-codes is missing.
QString spanishName(const QString &code, const QString &isoJson = QString::fromUtf16(IsoCodesJson),
                    const QString &messages = QString::fromUtf16(SpanishMessages));

} // namespace CountryNames
