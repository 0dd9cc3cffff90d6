#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Writes a palette image as a single-frame GIF89a file. Qt reads GIF but
// cannot write it, and the window's digit pictures are designed as GIF.
class GifWriter {
public:
    // The image must be Format_Indexed8 with 2 to 256 colours; the palette is
    // padded to the next power of two, as GIF stores it.
    static QByteArray encode(const QImage &image);
    static bool write(const QImage &image, const QString &path);
};
