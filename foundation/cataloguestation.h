#pragma once

#include <QString>

// Which of the two players plays a station. The catalogue names it "WMP" or "RP"; any other
// word is a catalogue fault, reported when the station is connected.
enum class PlayerKind { Unknown, MediaPlayer, RealAudio };

inline PlayerKind playerKindFromWord(const QString &word) {
    using namespace Qt::StringLiterals;
    if (word == u"WMP"_s)
        return PlayerKind::MediaPlayer;
    if (word == u"RP"_s)
        return PlayerKind::RealAudio;
    return PlayerKind::Unknown;
}

// One station of the catalogue as the connect needs it.
struct CatalogueStation {
    QString address; // its stream or playlist
    PlayerKind kind = PlayerKind::Unknown;

    bool operator==(const CatalogueStation &) const = default;
};
