#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The stations a playlist file names, for importing: .m3u/.m3u8 (with "#EXTINF" titles),
// .pls (FileN/TitleN) and .xspf (<track> with <location> and <title>). Text in, entries out;
// nothing is checked here but the file's shape.
namespace PlaylistFile {

enum class Kind { Unknown, M3u, Pls, Xspf };

struct Entry {
    QString title; // empty when the playlist gives none
    QString address;
    int position = 0; // line (M3U), entry number (PLS) or track (XSPF), for messages
};

// Judged by the file's name.
Kind kindOf(const QString &fileName);

// Throws std::runtime_error (in Spanish) for a file that is not of that kind.
QList<Entry> parse(Kind kind, const QByteArray &bytes);

} // namespace PlaylistFile
