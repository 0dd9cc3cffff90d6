#include "playlistparser.h"

#include "legacytext.h"

#include <QMap>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace PlaylistParser {

namespace {

QList<QUrl> kept(const QStringList &addresses, const QUrl &base, bool relativeAllowed) {
    QList<QUrl> entries;
    for (const QString &address : addresses) {
        const QUrl url(address.trimmed());
        if (!url.isValid() || (url.isRelative() && !relativeAllowed))
            continue;
        const QUrl resolved = base.resolved(url);
        if (isStreamAddress(resolved))
            entries.append(resolved);
    }
    return entries;
}

QStringList lines(const QString &text) {
    static const QRegularExpression lineBreak(u"\r\n|\r|\n"_s);
    QStringList result = text.split(lineBreak);
    for (QString &line : result)
        line = line.trimmed();
    return result;
}

// "File3=..." and "Ref1=...": entries ordered by their number.
QStringList numberedValues(const QString &text, const QString &key) {
    const QRegularExpression entry(u"^"_s + key + u"(\\d+)\\s*=(.*)$"_s,
                                   QRegularExpression::CaseInsensitiveOption);
    QMap<int, QString> byNumber;
    for (const QString &line : lines(text)) {
        const QRegularExpressionMatch match = entry.match(line);
        if (match.hasMatch() && !byNumber.contains(match.captured(1).toInt()))
            byNumber.insert(match.captured(1).toInt(), match.captured(2));
    }
    return byNumber.values();
}

QStringList m3uLines(const QString &text) {
    QStringList result;
    for (const QString &line : lines(text)) {
        if (!line.isEmpty() && !line.startsWith(u'#'))
            result.append(line);
    }
    return result;
}

QStringList urlListLines(const QString &text) {
    QStringList result;
    for (const QString &line : lines(text)) {
        if (line == u"--stop--"_s)
            break;
        if (!line.isEmpty() && !line.startsWith(u'#'))
            result.append(line);
    }
    return result;
}

// Windows Media files are often written by hand: bare '&' in addresses.
QString withEscapedAmpersands(const QString &xml) {
    static const QRegularExpression bare(
        u"&(?!(?:[A-Za-z][A-Za-z0-9]*|#[0-9]+|#x[0-9A-Fa-f]+);)"_s);
    QString escaped = xml;
    return escaped.replace(bare, u"&amp;"_s);
}

QStringList asxReferences(const QString &text) {
    QStringList result;
    QXmlStreamReader xml(withEscapedAmpersands(text));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString element = xml.name().toString().toLower();
        if (element != u"ref"_s && element != u"entryref"_s)
            continue;
        for (const QXmlStreamAttribute &attribute : xml.attributes()) {
            if (attribute.name().compare(u"href"_s, Qt::CaseInsensitive) == 0)
                result.append(attribute.value().toString());
        }
    }
    if (xml.hasError() && result.isEmpty()) {
        // Not even well-formed after the repair: pick the references out by hand.
        static const QRegularExpression reference(
            u"<\\s*(?:entry)?ref\\b[^>]*?\\bhref\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"_s,
            QRegularExpression::CaseInsensitiveOption);
        auto matches = reference.globalMatch(text);
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            result.append(match.captured(1) + match.captured(2) + match.captured(3));
        }
    }
    return result;
}

QStringList xspfLocations(const QString &text) {
    QStringList result;
    QXmlStreamReader xml(text);
    int trackDepth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"track"_s)
                ++trackDepth;
            else if (xml.name() == u"location"_s && trackDepth > 0)
                result.append(xml.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (token == QXmlStreamReader::EndElement && xml.name() == u"track"_s) {
            --trackDepth;
        }
    }
    return result;
}

Kind kindOf(const QString &text) {
    const QString start = text.left(4096).toLower();
    if (start.startsWith(u"[playlist]"_s))
        return Kind::Pls;
    if (start.startsWith(u"[reference]"_s))
        return Kind::Reference;
    if (start.startsWith(u"#extm3u"_s))
        return start.contains(u"#ext-x-"_s) ? Kind::Hls : Kind::M3u;
    if (start.startsWith(u'<')) {
        if (start.contains(u"<asx"_s))
            return Kind::Asx;
        if (start.contains(u"<playlist"_s) && start.contains(u"xspf"_s))
            return Kind::Xspf;
        return Kind::NotPlaylist;
    }
    // Audio and other binary bodies carry control bytes early on.
    for (const QChar c : start) {
        if (c.unicode() < 0x20 && c != u'\n' && c != u'\r' && c != u'\t')
            return Kind::NotPlaylist;
    }
    return Kind::UrlList;
}

} // namespace

bool isStreamAddress(const QUrl &url) {
    static const QStringList schemes = {u"http"_s, u"https"_s, u"mms"_s,  u"mmsh"_s,
                                        u"mmst"_s, u"rtsp"_s,  u"rtmp"_s, u"rtmps"_s};
    return url.isValid() && !url.host().isEmpty() && schemes.contains(url.scheme().toLower());
}

bool isOwnKind(const QUrl &address) {
    static const QStringList extensions = {u".asx"_s,  u".wax"_s, u".wvx"_s,
                                           u".xspf"_s, u".ram"_s, u".rpm"_s};
    const QString path = address.path().toLower();
    for (const QString &extension : extensions) {
        if (path.endsWith(extension))
            return true;
    }
    return false;
}

Playlist parse(const QByteArray &bytes, const QUrl &base) {
    QString text = LegacyText::decode(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text = text.trimmed();

    Playlist playlist;
    playlist.kind = kindOf(text);
    switch (playlist.kind) {
    case Kind::NotPlaylist:
    case Kind::Hls:
        break;
    case Kind::M3u:
        playlist.entries = kept(m3uLines(text), base, true);
        break;
    case Kind::Pls:
        playlist.entries = kept(numberedValues(text, u"File"_s), base, true);
        break;
    case Kind::Reference:
        playlist.entries = kept(numberedValues(text, u"Ref"_s), base, true);
        break;
    case Kind::Asx:
        playlist.entries = kept(asxReferences(text), base, true);
        break;
    case Kind::Xspf:
        playlist.entries = kept(xspfLocations(text), base, true);
        break;
    case Kind::UrlList:
        // Without a header anything may look like a line; only full addresses count.
        playlist.entries = kept(urlListLines(text), base, false);
        break;
    }
    return playlist;
}

} // namespace PlaylistParser
