#include "countrynames.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace CountryNames {

namespace {

constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

[[noreturn]] void fail(const QString &message) {
    throw std::runtime_error(message.toStdString());
}

std::optional<QByteArray> readSmallFile(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > MaxFileSize)
        return std::nullopt;
    QByteArray bytes = f.read(MaxFileSize);
    if (f.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// A GNU message catalogue: a header, then two tables of (length, offset) pairs for the
// original texts and their translations.
std::optional<QString> translation(const QByteArray &mo, const QByteArray &original) {
    if (mo.size() < 28)
        return std::nullopt;
    const auto *data = reinterpret_cast<const uchar *>(mo.constData());
    const quint32 magic =
        quint32(data[0]) | quint32(data[1]) << 8 | quint32(data[2]) << 16 | quint32(data[3]) << 24;
    bool swapped;
    if (magic == 0x950412deu)
        swapped = false;
    else if (magic == 0xde120495u)
        swapped = true;
    else
        return std::nullopt;
    const auto word = [&](quint64 offset) -> std::optional<quint32> {
        if (offset + 4 > quint64(mo.size()))
            return std::nullopt;
        const uchar *p = data + offset;
        return swapped
                   ? quint32(p[3]) | quint32(p[2]) << 8 | quint32(p[1]) << 16 | quint32(p[0]) << 24
                   : quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
    };
    const auto text = [&](quint64 table, quint32 i) -> std::optional<QByteArray> {
        const auto length = word(table + 8ull * i);
        const auto offset = word(table + 8ull * i + 4);
        if (!length || !offset || quint64(*offset) + *length > quint64(mo.size()))
            return std::nullopt;
        return mo.mid(qsizetype(*offset), qsizetype(*length));
    };
    const auto count = word(8);
    const auto originals = word(12);
    const auto translations = word(16);
    if (!count || !originals || !translations)
        return std::nullopt;
    for (quint32 i = 0; i < *count; ++i) {
        const auto o = text(*originals, i);
        if (!o)
            return std::nullopt;
        if (*o != original)
            continue;
        const auto t = text(*translations, i);
        if (!t || t->isEmpty())
            return std::nullopt;
        return QString::fromUtf8(*t);
    }
    return std::nullopt;
}

} // namespace

QString spanishName(const QString &code, const QString &isoJson, const QString &messages) {
    const QString wanted = code.trimmed().toUpper();
    if (wanted.size() != 2 || !wanted[0].isLetter() || !wanted[1].isLetter())
        fail(u"«%1» no es un código de país de dos letras (ISO 3166, p. ej. AR)."_s.arg(code));
    const std::optional<QByteArray> json = readSmallFile(isoJson);
    if (!json)
        fail(u"No se puede leer «%1»: instale el paquete iso-codes."_s.arg(isoJson));
    const QJsonArray countries =
        QJsonDocument::fromJson(*json).object().value(u"3166-1"_s).toArray();
    QString english;
    for (const QJsonValue &v : countries) {
        const QJsonObject country = v.toObject();
        if (country.value(u"alpha_2"_s).toString() == wanted) {
            english = country.value(u"name"_s).toString();
            break;
        }
    }
    if (english.isEmpty())
        fail(u"No hay ningún país con el código «%1»."_s.arg(wanted));
    if (const std::optional<QByteArray> mo = readSmallFile(messages)) {
        if (const std::optional<QString> spanish = translation(*mo, english.toUtf8()))
            return *spanish;
    }
    return english;
}

} // namespace CountryNames
