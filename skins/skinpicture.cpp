#include "skinpicture.h"

#include <QFileInfo>
#include <QImageReader>

QImage SkinPicture::load(const QString &path) {
    // A pipe or device would block the window or never end; only plain files are read.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > MaxFileBytes)
        return QImage();

    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    // The header alone tells the size: a few bytes can declare a picture that would take
    // gigabytes once decoded.
    const QSize declared = reader.size();
    if (declared.isEmpty() || declared.width() > MaxSide || declared.height() > MaxSide)
        return QImage();

    QImage image;
    if (!reader.read(&image) || image.width() > MaxSide || image.height() > MaxSide)
        return QImage();
    return image;
}
