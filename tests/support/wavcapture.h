#pragma once

#include <QList>
#include <QString>

// What the engine wrote through its "pcm" audio output: a WAV file, possibly
// still being written. Only the first channel is kept.
class WavCapture {
public:
    // An empty capture when the file is missing or has no complete header yet.
    static WavCapture read(const QString &path);

    qsizetype frames() const { return m_samples.size(); }
    double seconds() const { return m_sampleRate ? double(frames()) / m_sampleRate : 0.0; }

    // Amplitude of the given frequency between two points in seconds (a
    // Goertzel filter), and the loudest sample there.
    double toneAmplitude(double hz, double fromSeconds, double toSeconds) const;
    double peak(double fromSeconds, double toSeconds) const;
    // Seconds into the file of the first sample above the level, or -1.
    double firstSoundAbove(double level) const;

private:
    QList<float> m_samples;
    int m_sampleRate = 0;
};
