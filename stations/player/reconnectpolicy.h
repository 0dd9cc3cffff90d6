#pragma once

#include <QtGlobal>

#include <optional>

// When a station is tried again, and whether at all. A station that has
// played live is worth waiting for: each try that brings no sound back waits
// longer than the one before, up to a limit, and playing long enough shows
// the station works again, so the pauses start short once more. A station
// that never played live has simply failed.
//
// Moments are milliseconds on any steady clock the caller keeps.
class ReconnectPolicy {
public:
    static constexpr int FirstDelayMs = 1000;
    static constexpr int LastDelayMs = 30000;
    static constexpr qint64 SteadyPlayMs = 10000;

    // A new station: not known to be live, and the first pause short.
    void restart();
    // The machine woke up or the network came back under a station that played: it is worth
    // trying again at once, and the pauses start short again.
    void resume();
    // Sound started coming out at this moment.
    void playingFrom(qint64 nowMs);
    // A live station dropped at this moment: the pause before the next try.
    int dropped(qint64 nowMs);
    // A try ended without sound: the pause before the next try, or none
    // when the station has never played live and so has failed.
    std::optional<int> failed(qint64 nowMs);

private:
    int nextDelay(qint64 nowMs);

    int m_delayMs = FirstDelayMs;
    bool m_wasLive = false;
    std::optional<qint64> m_playingFrom;
};
