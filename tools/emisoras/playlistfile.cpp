#include "playlistfile.h"

#include "windows1252.h"

#include <QMap>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace PlaylistFile {

namespace {

[[noreturn]] void fail(const QString &message) {
    throw std::runtime_error(message.toStdString());
}

// Playlists made on Windows are often in its code page rather than UTF-8.
QString decode(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = Windows1252::decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

QStringList lines(const QByteArray &bytes) {
    QStringList result = decode(bytes).split(u'\n');
    for (QString &line : result) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return result;
}

QList<Entry> parseM3u(const QByteArray &bytes) {
    QList<Entry> entries;
    QString title;
    const QStringList all = lines(bytes);
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QString line = all[i].trimmed();
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'#')) {
            // "#EXTINF:<length> <attributes>,<title>": the attributes may hold commas only
            // inside quotes.
            if (line.startsWith(u"#EXTINF:"_s, Qt::CaseInsensitive)) {
                bool inQuotes = false;
                qsizetype comma = -1;
                for (qsizetype k = 8; k < line.size() && comma < 0; ++k) {
                    if (line[k] == u'"')
                        inQuotes = !inQuotes;
                    else if (line[k] == u',' && !inQuotes)
                        comma = k;
                }
                title = comma >= 0 ? line.mid(comma + 1).trimmed() : QString();
            }
            continue;
        }
        entries.append({title, line, int(i + 1)});
        title.clear();
    }
    return entries;
}

QList<Entry> parsePls(const QByteArray &bytes) {
    QMap<int, Entry> byNumber;
    bool header = false;
    for (const QString &raw : lines(bytes)) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            header = header || line.compare(u"[playlist]"_s, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = line.left(equals).trimmed().toLower();
        const QString value = line.mid(equals + 1).trimmed();
        for (const QString &prefix : {u"file"_s, u"title"_s}) {
            if (!key.startsWith(prefix))
                continue;
            bool ok = false;
            const int number = key.mid(prefix.size()).toInt(&ok);
            if (!ok || number < 0)
                continue;
            Entry &e = byNumber[number];
            e.position = number;
            (prefix == u"file"_s ? e.address : e.title) = value;
        }
    }
    if (!header)
        fail(u"No es una lista PLS: falta la línea «[playlist]»."_s);
    QList<Entry> entries;
    for (const Entry &e : std::as_const(byNumber)) {
        if (!e.address.isEmpty())
            entries.append(e);
    }
    return entries;
}

QList<Entry> parseXspf(const QByteArray &bytes) {
    QXmlStreamReader xml(bytes);
    QList<Entry> entries;
    bool inTrack = false;
    bool sawPlaylist = false;
    Entry track;
    int number = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == u"playlist"_s) {
                sawPlaylist = true;
            } else if (name == u"track"_s) {
                inTrack = true;
                track = Entry{};
                track.position = ++number;
            } else if (inTrack && name == u"location"_s && track.address.isEmpty()) {
                track.address = xml.readElementText().trimmed();
            } else if (inTrack && name == u"title"_s) {
                track.title = xml.readElementText().simplified();
            }
        } else if (xml.isEndElement() && xml.name() == u"track"_s) {
            inTrack = false;
            if (!track.address.isEmpty())
                entries.append(track);
        }
    }
    if (xml.hasError() || !sawPlaylist)
        fail(u"No es una lista XSPF válida (línea %1): %2"_s.arg(xml.lineNumber())
                 .arg(xml.hasError() ? xml.errorString() : u"falta <playlist>"_s));
    return entries;
}

} // namespace

Kind kindOf(const QString &fileName) {
    const QString lower = fileName.toLower();
    if (lower.endsWith(u".m3u"_s) || lower.endsWith(u".m3u8"_s))
        return Kind::M3u;
    if (lower.endsWith(u".pls"_s))
        return Kind::Pls;
    if (lower.endsWith(u".xspf"_s))
        return Kind::Xspf;
    return Kind::Unknown;
}

QList<Entry> parse(Kind kind, const QByteArray &bytes) {
    switch (kind) {
    case Kind::M3u:
        return parseM3u(bytes);
    case Kind::Pls:
        return parsePls(bytes);
    case Kind::Xspf:
        return parseXspf(bytes);
    case Kind::Unknown:
        break;
    }
    fail(u"No se reconoce el tipo de lista."_s);
}

} // namespace PlaylistFile
