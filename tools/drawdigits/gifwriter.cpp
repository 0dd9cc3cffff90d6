#include "gifwriter.h"

#include <QFile>
#include <QHash>

namespace {

constexpr int MaxCodes = 4096;

void putWord(QByteArray &out, int value) {
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

// Packs variable-width codes least significant bit first, as GIF wants them.
class CodeStream {
public:
    void put(int code, int width) {
        m_buffer |= quint32(code) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_bytes.append(char(m_buffer & 0xff));
            m_buffer >>= 8;
            m_bits -= 8;
        }
    }

    QByteArray finish() {
        if (m_bits > 0)
            m_bytes.append(char(m_buffer & 0xff));
        m_buffer = 0;
        m_bits = 0;
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    quint32 m_buffer = 0;
    int m_bits = 0;
};

QByteArray compress(const QImage &image, int minCodeSize) {
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    CodeStream stream;
    QHash<quint32, int> table; // (prefix code << 8 | pixel) -> code
    int codeSize = minCodeSize + 1;
    int nextCode = endCode + 1;
    stream.put(clearCode, codeSize);

    int current = -1;
    for (int y = 0; y < image.height(); ++y) {
        const uchar *row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const int pixel = row[x];
            if (current < 0) {
                current = pixel;
                continue;
            }
            const quint32 key = quint32(current) << 8 | quint32(pixel);
            const auto found = table.constFind(key);
            if (found != table.constEnd()) {
                current = *found;
                continue;
            }
            stream.put(current, codeSize);
            table.insert(key, nextCode++);
            // The decoder adds its entry one code later, so the width grows
            // once the code just assigned no longer fits.
            if (nextCode - 1 >= (1 << codeSize) && codeSize < 12)
                ++codeSize;
            if (nextCode == MaxCodes) {
                stream.put(clearCode, codeSize);
                table.clear();
                codeSize = minCodeSize + 1;
                nextCode = endCode + 1;
            }
            current = pixel;
        }
    }
    if (current >= 0) {
        stream.put(current, codeSize);
        // The decoder still adds an entry for the last code before it reads
        // the end code, and may widen for it.
        if (nextCode < MaxCodes && nextCode >= (1 << codeSize) && codeSize < 12)
            ++codeSize;
    }
    stream.put(endCode, codeSize);
    return stream.finish();
}

} // namespace

QByteArray GifWriter::encode(const QImage &image) {
    const QList<QRgb> colours = image.colorTable();
    if (image.format() != QImage::Format_Indexed8 || image.isNull() || colours.size() < 2 ||
        colours.size() > 256)
        return {};

    int tableBits = 1;
    while ((1 << tableBits) < colours.size())
        ++tableBits;

    QByteArray out("GIF89a");
    putWord(out, image.width());
    putWord(out, image.height());
    // Global colour table present, colour resolution and table size in bits.
    out.append(char(0x80 | ((tableBits - 1) << 4) | (tableBits - 1)));
    out.append(char(0)); // background colour index
    out.append(char(0)); // square pixels
    for (int i = 0; i < (1 << tableBits); ++i) {
        const QRgb colour = i < colours.size() ? colours.at(i) : qRgb(0, 0, 0);
        out.append(char(qRed(colour)));
        out.append(char(qGreen(colour)));
        out.append(char(qBlue(colour)));
    }

    out.append(char(0x2c)); // image descriptor
    putWord(out, 0);
    putWord(out, 0);
    putWord(out, image.width());
    putWord(out, image.height());
    out.append(char(0)); // no local table, not interlaced

    const int minCodeSize = qMax(2, tableBits);
    out.append(char(minCodeSize));
    const QByteArray data = compress(image, minCodeSize);
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const qsizetype length = qMin<qsizetype>(255, data.size() - at);
        out.append(char(length));
        out.append(data.mid(at, length));
    }
    out.append(char(0));    // end of image data
    out.append(char(0x3b)); // trailer
    return out;
}

bool GifWriter::write(const QImage &image, const QString &path) {
    const QByteArray bytes = encode(image);
    if (bytes.isEmpty())
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}
