#pragma once

#include <QImage>
#include <QString>

// Pictures named by skin files. Skins come from anywhere, so a picture is only
// decoded when it is a regular file of sensible length whose header declares a
// sensible size; anything else gives a null image and its element stays as it was.
namespace SkinPicture {

inline constexpr int MaxSide = 4096;
inline constexpr qint64 MaxFileBytes = 96 * 1024 * 1024;

QImage load(const QString &path);

} // namespace SkinPicture
