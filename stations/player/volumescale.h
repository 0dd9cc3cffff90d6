#pragma once

#include <algorithm>

// The range of volume values a component accepts, lowest first. Both ranges
// cover the engine's whole range, so that the lowest value is silence and
// equal steps sound equally loud on either component.
struct VolumeScale {
    int lowest = 0;
    int loudest = 100;

    // MediaPlayer1: 150 x step - 1500.
    static constexpr VolumeScale mediaPlayer() { return {-1500, 0}; }
    // RealAudio1: 10 x step.
    static constexpr VolumeScale realAudio() { return {0, 100}; }

    // The engine's volume, 0 (silent) to 100 (unchanged); values outside
    // the scale are held at its ends.
    constexpr double toEngine(int value) const {
        const int clamped = std::clamp(value, std::min(lowest, loudest), std::max(lowest, loudest));
        return 100.0 * (clamped - lowest) / (loudest - lowest);
    }
};
