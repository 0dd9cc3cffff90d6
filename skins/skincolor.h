#pragma once

#include <QColor>
#include <QString>

#include <optional>

// Colours in skin files are written "r,g,b": three whole numbers from 0 to 255,
// blanks around each number allowed, anything after the third part ignored.
// Anything else gives no colour, and the controls it would colour keep theirs.
namespace SkinColor {

std::optional<QColor> parse(const QString &value);

} // namespace SkinColor
