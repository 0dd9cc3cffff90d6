#include "stationcheck.h"

#include "windows1252.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace StationCheck {

namespace {

constexpr qsizetype MaxTextBytes = 255; // a Text(255) column

// Line and paragraph separators break a line as surely as a newline does.
bool hasControl(const QString &text) {
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            return true;
    }
    return false;
}

QString textProblem(const QString &what, const QString &text) {
    if (text.trimmed().isEmpty())
        return u"%1 está vacío."_s.arg(what);
    if (hasControl(text))
        return u"%1 tiene caracteres de control."_s.arg(what);
    const std::optional<QByteArray> bytes = Windows1252::encode(text);
    if (!bytes)
        return u"%1 «%2» tiene caracteres que el catálogo no puede guardar."_s.arg(what, text);
    if (bytes->size() > MaxTextBytes)
        return u"%1 pasa de %2 caracteres."_s.arg(what).arg(MaxTextBytes);
    return {};
}

} // namespace

QString problem(const QString &country, const QString &name, const QString &address) {
    for (const auto &[what, text] :
         {std::pair{u"El país"_s, country}, std::pair{u"El nombre"_s, name},
          std::pair{u"La dirección"_s, address}}) {
        const QString p = textProblem(what, text);
        if (!p.isEmpty())
            return p;
    }
    const QUrl url(address, QUrl::StrictMode);
    static const QStringList schemes = {u"http"_s, u"https"_s, u"mms"_s, u"rtsp"_s, u"rtmp"_s};
    if (!url.isValid())
        return u"La dirección «%1» no es válida."_s.arg(address);
    if (!schemes.contains(url.scheme().toLower()))
        return u"La dirección «%1» no es http, https, mms, rtsp ni rtmp."_s.arg(address);
    if (url.host().isEmpty())
        return u"La dirección «%1» no nombra ningún servidor."_s.arg(address);
    return {};
}

} // namespace StationCheck
