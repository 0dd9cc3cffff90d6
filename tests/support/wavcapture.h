#pragma once

#include <QList>
#include <QString>

// What the engine wrote through its "pcm" audio output: a WAV file of 32-bit float samples,
// possibly still being written. Only the first channel is kept.
class WavCapture {
public:
    // Empty when the file is missing, its header incomplete or its samples not float.
    static WavCapture read(const QString &path);

    // Until the engine closes the file, its lengths are placeholders.
    bool beingWritten() const { return m_beingWritten; }
    double seconds() const { return m_sampleRate ? double(m_samples.size()) / m_sampleRate : 0.0; }
    // Amplitude of the given frequency between two points in seconds (a Goertzel filter).
    double toneAmplitude(double hz, double fromSeconds, double toSeconds) const;
    // Seconds into the file of the first sample above the level from that point on, or -1.
    double firstSoundAbove(double level, double fromSeconds = 0) const;

private:
    QList<float> m_samples;
    int m_sampleRate = 0;
    bool m_beingWritten = false;
};
