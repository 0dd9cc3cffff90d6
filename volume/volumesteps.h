#pragma once

#include <QtGlobal>

// The volume step 0..10 on the two players' own scales. Step 0 ("Silencio")
// is just the bottom of each scale, not a separate mute.
namespace VolumeSteps {

inline constexpr quint8 Loudest = 10;

// MediaPlayer1 counts up to 0 at the loudest step; the arithmetic fits in 16
// bits for every step.
constexpr int mediaPlayer(quint8 step) {
    return qint16(qint16(step * 150) - 1500);
}

// RealAudio1: 0 silent to 100 loudest.
constexpr int realAudio(quint8 step) {
    return qint16(step * 10);
}

} // namespace VolumeSteps
