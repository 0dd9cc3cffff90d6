#include "profilefile.h"

#include "legacytext.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype MaxValueLength = 254;

// The name inside "[name]", or a null string when the line is no section header.
QString sectionName(const QString &text) {
    const QString t = text.trimmed();
    if (!t.startsWith(u'['))
        return QString();
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return QString();
    return t.mid(1, close - 1).trimmed();
}

bool isComment(const QString &text) {
    return text.trimmed().startsWith(u';');
}

// Key of a "key=value" line, or a null string.
QString keyOf(const QString &text) {
    const qsizetype eq = text.indexOf(u'=');
    if (eq < 0 || isComment(text))
        return QString();
    return text.left(eq).trimmed();
}

bool sameName(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString cleanValue(QString value) {
    value = value.trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    return value.left(MaxValueLength);
}

// Besides \r and \n, other programs end a line at a form feed, a vertical tab, NEL (U+0085)
// or the Unicode separators; the other controls have no business in a value either.
bool isControl(QChar c) {
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029;
}

QString withoutControls(QString value) {
    for (QChar &c : value) {
        if (isControl(c))
            c = u' ';
    }
    return value;
}

// Reads a whole plain file of at most `limit` bytes. The type is checked before opening,
// and again on the open file in case it was swapped in between; O_NONBLOCK keeps a pipe
// put there at the last moment from holding the open.
ProfileFile::Source readPlainFile(const QString &path, qint64 limit, QByteArray &bytes) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return errno == ENOENT ? ProfileFile::Source::Missing : ProfileFile::Source::Refused;
    if (!S_ISREG(info.st_mode) || info.st_size > limit)
        return ProfileFile::Source::Refused;

    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return ProfileFile::Source::Refused;
    ProfileFile::Source source = ProfileFile::Source::Refused;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= limit) {
        // Room for one byte more than fstat told: a file that grew since is read on, up to
        // one byte more than allowed, which tells that it is too large.
        bytes.resize(qsizetype(info.st_size) + 1);
        qint64 total = 0;
        for (;;) {
            if (total == bytes.size()) {
                if (total > limit)
                    break;
                bytes.resize(qsizetype(std::min(2 * total, limit + 1)));
            }
            const ssize_t got = ::read(fd, bytes.data() + total, size_t(bytes.size() - total));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                if (got < 0)
                    total = -1;
                break;
            }
            total += got;
        }
        if (total >= 0 && total <= limit) {
            bytes.resize(total);
            source = ProfileFile::Source::Read;
        }
    }
    ::close(fd);
    if (source != ProfileFile::Source::Read)
        bytes.clear();
    return source;
}

} // namespace

ProfileFile::ProfileFile(const QByteArray &content) {
    QByteArray bytes = content;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const QString text = LegacyText::decode(bytes);

    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\n' && c != u'\r')
            continue;
        Line line{text.mid(start, i - start), QString(c)};
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') {
            line.ending = u"\r\n"_s;
            ++i;
        }
        m_lines.append(line);
        start = i + 1;
    }
    if (start < n)
        m_lines.append(Line{text.mid(start), QString()});
}

ProfileFile ProfileFile::load(const QString &path, Source *source) {
    QByteArray bytes;
    const Source found = readPlainFile(path, MaxFileBytes, bytes);
    if (source)
        *source = found;
    return ProfileFile(bytes);
}

QString ProfileFile::value(const QString &section, const QString &key) const {
    bool inSection = false;
    for (const Line &line : m_lines) {
        const QString name = sectionName(line.text);
        if (!name.isNull()) {
            // A later section of the same name is not read, as on Windows.
            if (inSection)
                break;
            inSection = sameName(name, section);
            continue;
        }
        if (!inSection)
            continue;
        const QString k = keyOf(line.text);
        if (!k.isEmpty() && sameName(k, key))
            return cleanValue(line.text.mid(line.text.indexOf(u'=') + 1));
    }
    return QString();
}

void ProfileFile::setValue(const QString &section, const QString &key, const QString &value) {
    const QString safe = withoutControls(value);
    const QString ending = usualEnding();
    qsizetype sectionAt = -1;     // index of the section's header line
    qsizetype lastInSection = -1; // last non-blank line of the section
    qsizetype keyAt = -1;
    for (qsizetype i = 0; i < m_lines.size() && keyAt < 0; ++i) {
        const QString name = sectionName(m_lines[i].text);
        if (!name.isNull()) {
            if (sectionAt >= 0)
                break; // past the end of the section
            if (sameName(name, section))
                sectionAt = lastInSection = i;
            continue;
        }
        if (sectionAt < 0)
            continue;
        if (!m_lines[i].text.trimmed().isEmpty())
            lastInSection = i;
        const QString k = keyOf(m_lines[i].text);
        if (!k.isEmpty() && sameName(k, key))
            keyAt = i;
    }

    if (keyAt >= 0) {
        Line &line = m_lines[keyAt];
        line.text = line.text.left(line.text.indexOf(u'=') + 1) + safe;
    } else if (sectionAt >= 0) {
        if (m_lines[lastInSection].ending.isEmpty())
            m_lines[lastInSection].ending = ending;
        m_lines.insert(lastInSection + 1, Line{key + u'=' + safe, ending});
    } else {
        if (!m_lines.isEmpty() && m_lines.last().ending.isEmpty())
            m_lines.last().ending = ending;
        m_lines.append(Line{u'[' + section + u']', ending});
        m_lines.append(Line{key + u'=' + safe, ending});
    }
}

QByteArray ProfileFile::toUtf8() const {
    QString content;
    for (const Line &line : m_lines)
        content += line.text + line.ending;
    return content.toUtf8();
}

QString ProfileFile::usualEnding() const {
    for (const Line &line : m_lines) {
        if (!line.ending.isEmpty())
            return line.ending;
    }
    return u"\n"_s;
}
