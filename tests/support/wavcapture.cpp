#include "wavcapture.h"

#include "testfiles.h"

#include <QtEndian>

#include <cmath>
#include <cstring>
#include <numbers>

WavCapture WavCapture::read(const QString &path) {
    WavCapture capture;
    const QByteArray bytes = TestFiles::read(path);
    if (!bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return capture;
    int format = 0, channels = 0, bits = 0, rate = 0;
    for (qsizetype pos = 12; pos + 8 <= bytes.size();) {
        const char *chunk = bytes.constData() + pos;
        const qsizetype size = qFromLittleEndian<quint32>(chunk + 4), body = pos + 8;
        // The engine writes the extensible kind: the sample format is in its sub-format.
        if (std::memcmp(chunk, "fmt ", 4) == 0 && body + 26 <= bytes.size()) {
            channels = qFromLittleEndian<quint16>(chunk + 10);
            rate = int(qFromLittleEndian<quint32>(chunk + 12));
            bits = qFromLittleEndian<quint16>(chunk + 22);
            format = qFromLittleEndian<quint16>(chunk + 32);
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (format != 3 || bits != 32 || channels <= 0)
                return capture;
            const qsizetype count = std::min(size, bytes.size() - body) / (4 * channels);
            capture.m_beingWritten = size != bytes.size() - body;
            capture.m_sampleRate = rate;
            for (qsizetype i = 0; i < count; ++i)
                capture.m_samples.append(
                    qFromLittleEndian<float>(bytes.constData() + body + i * 4 * channels));
            return capture;
        }
        pos = body + size + (size & 1);
    }
    return capture;
}

double WavCapture::toneAmplitude(double hz, double fromSeconds, double toSeconds) const {
    const qsizetype size = m_samples.size();
    const qsizetype from = std::clamp(qsizetype(fromSeconds * m_sampleRate), qsizetype(0), size);
    const qsizetype to = std::clamp(qsizetype(toSeconds * m_sampleRate), from, size);
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / m_sampleRate);
    double s1 = 0, s2 = 0;
    for (qsizetype i = from; i < to; ++i) {
        const double s0 = m_samples[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return to == from ? 0 : 2 * std::sqrt(std::max(power, 0.0)) / double(to - from);
}

double WavCapture::firstSoundAbove(double level, double fromSeconds) const {
    for (qsizetype i = std::max(qsizetype(0), qsizetype(fromSeconds * m_sampleRate));
         i < m_samples.size(); ++i)
        if (std::abs(m_samples[i]) > level)
            return double(i) / m_sampleRate;
    return -1;
}
