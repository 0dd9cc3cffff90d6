#include "wavcapture.h"

#include <QFile>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <numbers>

WavCapture WavCapture::read(const QString &path) {
    WavCapture capture;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return capture;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return capture;

    int format = 0, channels = 0, bits = 0, rate = 0;
    qsizetype pos = 12;
    while (pos + 8 <= bytes.size()) {
        const char *chunk = bytes.constData() + pos;
        const qsizetype size = qFromLittleEndian<quint32>(chunk + 4);
        const qsizetype body = pos + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && body + 16 <= bytes.size()) {
            format = qFromLittleEndian<quint16>(chunk + 8);
            channels = qFromLittleEndian<quint16>(chunk + 10);
            rate = int(qFromLittleEndian<quint32>(chunk + 12));
            bits = qFromLittleEndian<quint16>(chunk + 22);
            if (format == 0xFFFE && body + 26 <= bytes.size())
                format = qFromLittleEndian<quint16>(chunk + 32); // the sub-format's first two bytes
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (channels <= 0 || bits <= 0)
                return capture;
            // While the file is written the length field is a placeholder.
            const qsizetype available = std::min(size, bytes.size() - body);
            const int frameBytes = channels * bits / 8;
            const qsizetype count = available / frameBytes;
            capture.m_sampleRate = rate;
            capture.m_samples.reserve(count);
            for (qsizetype i = 0; i < count; ++i) {
                const char *p = bytes.constData() + body + i * frameBytes;
                float value = 0;
                if (format == 3 && bits == 32)
                    value = qFromLittleEndian<float>(p);
                else if (format == 1 && bits == 16)
                    value = qFromLittleEndian<qint16>(p) / 32768.0f;
                else if (format == 1 && bits == 32)
                    value = float(qFromLittleEndian<qint32>(p) / 2147483648.0);
                else
                    return WavCapture();
                capture.m_samples.append(value);
            }
            return capture;
        }
        pos = body + size + (size & 1);
    }
    return capture;
}

double WavCapture::toneAmplitude(double hz, double fromSeconds, double toSeconds) const {
    const qsizetype from =
        std::clamp(qsizetype(fromSeconds * m_sampleRate), qsizetype(0), frames());
    const qsizetype to = std::clamp(qsizetype(toSeconds * m_sampleRate), from, frames());
    const qsizetype n = to - from;
    if (n == 0)
        return 0;
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / m_sampleRate);
    double s1 = 0, s2 = 0;
    for (qsizetype i = from; i < to; ++i) {
        const double s0 = m_samples[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2 * std::sqrt(std::max(power, 0.0)) / n;
}

double WavCapture::peak(double fromSeconds, double toSeconds) const {
    const qsizetype from =
        std::clamp(qsizetype(fromSeconds * m_sampleRate), qsizetype(0), frames());
    const qsizetype to = std::clamp(qsizetype(toSeconds * m_sampleRate), from, frames());
    double loudest = 0;
    for (qsizetype i = from; i < to; ++i)
        loudest = std::max(loudest, double(std::abs(m_samples[i])));
    return loudest;
}

double WavCapture::firstSoundAbove(double level) const {
    for (qsizetype i = 0; i < frames(); ++i) {
        if (std::abs(m_samples[i]) > level)
            return double(i) / m_sampleRate;
    }
    return -1;
}
