#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>

// Playlist files that radio sites hand out instead of a stream address:
// text in, stream addresses out.
namespace PlaylistParser {

enum class Kind {
    NotPlaylist, // audio, a web page, anything else
    M3u,         // "#EXTM3U" lists
    Hls,         // HTTP live streaming: the address itself is the stream
    Pls,         // "[playlist]", FileN=
    Reference,   // Windows Media "[Reference]", RefN=
    Asx,         // Windows Media XML: <ref href> and <entryref href>
    Xspf,        // <track><location>
    UrlList,     // one address a line: plain .m3u files and RealAudio .ram files
};

struct Playlist {
    Kind kind = Kind::NotPlaylist;
    QList<QUrl> entries;
};

// Addresses a radio stream can have; anything else (local files, the
// engine's special protocols) is refused, wherever it comes from.
bool isStreamAddress(const QUrl &url);

// Kinds the engine does not read by itself, judged by the address's name.
bool isOwnKind(const QUrl &address);

// Entries in playlist order, relative ones resolved against the playlist's
// own address, those that are no stream address left out.
Playlist parse(const QByteArray &text, const QUrl &base);

} // namespace PlaylistParser
