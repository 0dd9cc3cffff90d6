// Playlists come from any web server a station's address points to.

#include "playlistparser.h"

#include <cstdint>
#include <cstdlib>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const QUrl bases[] = {
        QUrl(u"http://127.0.0.1:8000/listas/emisora.pls"_s),
        QUrl(u"https://radio.example.es/directo/"_s),
        QUrl(u"mms://media.example.com/live"_s),
        QUrl(),
    };
    if (size == 0)
        return 0;
    // The first byte picks the address the playlist was fetched from.
    const QUrl &base = bases[data[0] % std::size(bases)];
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const PlaylistParser::Playlist playlist = PlaylistParser::parse(bytes, base);

    using PlaylistParser::Kind;
    if ((playlist.kind == Kind::NotPlaylist || playlist.kind == Kind::Hls) &&
        !playlist.entries.isEmpty())
        abort();
    for (const QUrl &entry : playlist.entries) {
        // Only stream addresses ever reach the player: no local files, no special protocols.
        if (!PlaylistParser::isStreamAddress(entry) || entry.isLocalFile())
            abort();
        PlaylistParser::isOwnKind(entry);
    }
    return 0;
}
