#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Windows-1252, the code page of the program's Windows-era files: its catalogue (Jet keeps
// every text, table and column name in it), settings files and old playlists.
namespace Windows1252 {

// Every byte decodes; the five bytes the code page leaves undefined become their C1 controls,
// as Windows itself reads them.
QString decode(const char *bytes, qsizetype size);
inline QString decode(const QByteArray &bytes) {
    return decode(bytes.constData(), bytes.size());
}

// The bytes of text in the code page, or nothing when a character has no place in it. The
// five undefined positions are never written.
std::optional<QByteArray> encode(const QString &text);

} // namespace Windows1252
