#pragma once

#include <QByteArray>
#include <QString>

// What a station announces about itself (its name, the title on air).
namespace IcyText {

// The bytes as a station sent them, in whatever encoding it chose, as one
// line of plain text: each run of control characters becomes one space, so
// that what a station sends cannot break the lines of whoever shows it.
QString plainLine(const QByteArray &bytes);

} // namespace IcyText
