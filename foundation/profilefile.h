#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One Windows profile ("INI") file, read once and then asked for as many keys as needed.
//
// A value read has the blanks around it and one pair of enclosing quotation marks
// removed and is cut to 254 characters; section and key names match regardless of
// letter case. When a section name occurs twice only its first occurrence counts, and
// within a section only the first line of a key. Text that is not valid UTF-8 is read
// as Windows-1252.
class ProfileFile {
public:
    // Settings and skin files hold a few dozen short lines.
    static constexpr qint64 MaxFileBytes = 1 << 20;

    enum class Source {
        Missing, // no such file: editing it creates it
        Read,    // a plain file, read whole
        Refused, // a pipe, device, folder, a file too large or unreadable: read as empty
    };

    ProfileFile() = default;
    explicit ProfileFile(const QByteArray &content);

    // Reads only plain files (a link to one included) of at most MaxFileBytes; anything
    // else reads as empty, as a missing file does, and never blocks.
    static ProfileFile load(const QString &path, Source *source = nullptr);

    QString value(const QString &section, const QString &key) const;

    // Creates the section and key as needed, replaces a value in place and keeps every
    // other line as it was. A control character in the value (a line break above all)
    // becomes a blank, so that a value can never add lines of its own.
    void setValue(const QString &section, const QString &key, const QString &value);

    QByteArray toUtf8() const;

private:
    struct Line {
        QString text;
        QString ending; // "\r\n", "\n", "\r" or "" for a last line without one
    };

    QString usualEnding() const;

    QList<Line> m_lines;
};
