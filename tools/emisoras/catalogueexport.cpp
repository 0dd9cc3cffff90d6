#include "catalogueexport.h"

using namespace Qt::StringLiterals;

namespace CatalogueExport {

namespace {

QString csvField(const StationCatalogue::Value &value) {
    if (!value)
        return {};
    QString text = *value;
    const bool quote = text.isEmpty() || text.contains(u',') || text.contains(u'"') ||
                       text.contains(u'\n') || text.contains(u'\r') || text.front().isSpace() ||
                       text.back().isSpace();
    if (!quote)
        return text;
    text.replace(u'"', u"\"\""_s);
    return u'"' + text + u'"';
}

// Older catalogues may hold line breaks in a name; in a list of lines they would start a
// new entry.
QString oneLine(const StationCatalogue::Value &value) {
    QString text = value.value_or(QString());
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return text;
}

} // namespace

QByteArray toCsv(const StationCatalogue &catalogue) {
    QString text = u"Pais,NombreRadio,URLRadio,Medio\r\n"_s;
    for (const StationCatalogue::Station &s : catalogue.stations()) {
        text += csvField(s.country) + u',' + csvField(s.name) + u',' + csvField(s.address) + u',' +
                csvField(s.kind) + u"\r\n"_s;
    }
    return text.toUtf8();
}

QByteArray toM3u(const StationCatalogue &catalogue) {
    QString text = u"#EXTM3U\n"_s;
    for (const StationCatalogue::Station &s : catalogue.stations()) {
        if (!s.address || s.address->isEmpty())
            continue;
        text += u"#EXTINF:-1,"_s + oneLine(s.country) + u" - "_s + oneLine(s.name) + u'\n' +
                oneLine(s.address) + u'\n';
    }
    return text.toUtf8();
}

} // namespace CatalogueExport
