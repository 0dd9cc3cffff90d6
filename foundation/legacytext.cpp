#include "legacytext.h"

#include "windows1252.h"

#include <QStringDecoder>

namespace LegacyText {

bool isValidUtf8(const QByteArray &bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

QString fromWindows1252(const QByteArray &bytes) {
    return Windows1252::decode(bytes);
}

QString decode(const QByteArray &bytes) {
    return isValidUtf8(bytes) ? QString::fromUtf8(bytes) : fromWindows1252(bytes);
}

} // namespace LegacyText
