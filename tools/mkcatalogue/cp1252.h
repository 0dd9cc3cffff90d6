#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Jet 3 keeps every text, table and column name in the database's code page, 1252 here.
namespace Cp1252 {

// The bytes of text in code page 1252, or nothing when a character has no place in it.
std::optional<QByteArray> encode(const QString &text);

} // namespace Cp1252
