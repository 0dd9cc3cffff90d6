#include "ini.h"

#include "legacytext.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype MaxValueLength = 254;

struct Line {
    QString text;
    QString ending; // "\r\n", "\n", "\r" or "" for a last line without one
};

QList<Line> splitLines(const QString &content) {
    QList<Line> lines;
    qsizetype start = 0;
    const qsizetype n = content.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = content.at(i);
        if (c != u'\n' && c != u'\r')
            continue;
        Line line{content.mid(start, i - start), QString(c)};
        if (c == u'\r' && i + 1 < n && content.at(i + 1) == u'\n') {
            line.ending = u"\r\n"_s;
            ++i;
        }
        lines.append(line);
        start = i + 1;
    }
    if (start < n)
        lines.append(Line{content.mid(start), QString()});
    return lines;
}

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

QList<Line> linesOf(QByteArray bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    return splitLines(LegacyText::decode(bytes));
}

bool readLines(const QString &path, QList<Line> &lines, bool &exists) {
    QFile file(path);
    exists = file.exists();
    if (!exists)
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    lines = linesOf(file.readAll());
    return true;
}

// Read-only files and folders stay untouched, also for a user (root) whom the
// system would let write them anyway.
bool writeProtected(const QString &path) {
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir() || !(folder.permissions() & QFileDevice::WriteOwner))
        return true;
    return info.exists() && !(info.permissions() & QFileDevice::WriteOwner);
}

QString usualEnding(const QList<Line> &lines) {
    for (const Line &line : lines) {
        if (!line.ending.isEmpty())
            return line.ending;
    }
    return u"\n"_s;
}

} // namespace

QString LeeINI(const QString &path, const QString &section, const QString &key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return profileValue(file.readAll(), section, key);
}

QString profileValue(const QByteArray &content, const QString &section, const QString &key) {
    const QList<Line> lines = linesOf(content);
    bool inSection = false;
    for (const Line &line : std::as_const(lines)) {
        const QString name = sectionName(line.text);
        if (!name.isNull()) {
            inSection = sameName(name, section);
            continue;
        }
        if (inSection && sameName(keyOf(line.text), key) && !keyOf(line.text).isEmpty())
            return cleanValue(line.text.mid(line.text.indexOf(u'=') + 1));
    }
    return QString();
}

namespace {

// Sets one key in the lines of a profile file, as EscribeINI does in the file.
void setValue(QList<Line> &lines, const QString &section, const QString &key,
              const QString &value) {
    const QString ending = usualEnding(lines);
    qsizetype sectionAt = -1;     // index of the section's header line
    qsizetype lastInSection = -1; // last non-blank line of the section
    qsizetype keyAt = -1;
    for (qsizetype i = 0; i < lines.size() && keyAt < 0; ++i) {
        const QString name = sectionName(lines[i].text);
        if (!name.isNull()) {
            if (sectionAt >= 0)
                break; // past the end of the section
            if (sameName(name, section))
                sectionAt = lastInSection = i;
            continue;
        }
        if (sectionAt < 0)
            continue;
        if (!lines[i].text.trimmed().isEmpty())
            lastInSection = i;
        const QString k = keyOf(lines[i].text);
        if (!k.isEmpty() && sameName(k, key))
            keyAt = i;
    }

    if (keyAt >= 0) {
        Line &line = lines[keyAt];
        line.text = line.text.left(line.text.indexOf(u'=') + 1) + value;
    } else if (sectionAt >= 0) {
        if (lines[lastInSection].ending.isEmpty())
            lines[lastInSection].ending = ending;
        lines.insert(lastInSection + 1, Line{key + u'=' + value, ending});
    } else {
        if (!lines.isEmpty() && lines.last().ending.isEmpty())
            lines.last().ending = ending;
        lines.append(Line{u'[' + section + u']', ending});
        lines.append(Line{key + u'=' + value, ending});
    }
}

} // namespace

void EscribeINI(const QString &path, const QString &section, const QString &key,
                const QString &value) {
    EscribeINI(path, section, {{key, value}});
}

void EscribeINI(const QString &path, const QString &section,
                const QList<std::pair<QString, QString>> &keysAndValues) {
    if (section.isEmpty() || writeProtected(path))
        return;
    QList<Line> lines;
    bool exists = false;
    if (!readLines(path, lines, exists))
        return;
    bool changed = false;
    for (const auto &[key, value] : keysAndValues) {
        if (key.isEmpty())
            continue;
        setValue(lines, section, key, value);
        changed = true;
    }
    if (!changed)
        return;

    QString content;
    for (const Line &line : std::as_const(lines))
        content += line.text + line.ending;

    // All the keys reach the disk in one rename: a program killed while
    // writing leaves the old file or the new one, never some keys of each.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    if (file.write(content.toUtf8()) < 0) {
        file.cancelWriting();
        return;
    }
    file.commit();
}
