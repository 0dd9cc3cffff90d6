#pragma once

#include <QByteArray>
#include <QString>

// Text from files and streams made on Windows: UTF-8 when the bytes are valid
// UTF-8, otherwise Windows-1252 (the code page those files were written in).
namespace LegacyText {

bool isValidUtf8(const QByteArray &bytes);
QString fromWindows1252(const QByteArray &bytes);
QString decode(const QByteArray &bytes);

} // namespace LegacyText
