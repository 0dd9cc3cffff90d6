#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Comma-separated text as RFC 4180 writes it, in UTF-8, with CRLF or LF line ends.
// An empty field without quotes has no value (Null); "" is an empty text, the way
// mdb-export writes the two.
namespace CsvReader {

using Field = std::optional<QString>;
using Record = QList<Field>;

// Throws std::runtime_error, naming the line, for text that is not valid UTF-8 or a quote
// left open. `lines`, when given, receives the line each record starts on.
QList<Record> parse(const QByteArray &utf8, QList<int> *lines = nullptr);

} // namespace CsvReader
