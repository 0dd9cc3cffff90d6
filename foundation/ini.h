#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

// Windows profile ("INI") files, as the settings file and the skin files use them.
//
// Reading never fails: a missing file, section or key gives "". Blanks around a
// value and one pair of enclosing quotation marks are removed, and a value is cut
// to 254 characters. Section and key names match regardless of letter case. Only
// plain files up to ProfileFile::MaxFileBytes are read; anything else reads as "".
// Each call reads the file anew: for several keys of one file, use ProfileFile.
//
// Writing creates the file, section and key as needed, replaces a value in place
// and keeps every other line as it was; control characters in a value become
// blanks. It goes to a file beside the target that is then renamed over it, so a
// failed or interrupted write leaves the old file whole. A file or folder that cannot be written,
// or a target that is no plain file of bounded size, is left as it was, silently.

// LeeINI and EscribeINI: "read INI" and "write INI".
QString LeeINI(const QString &path, const QString &section, const QString &key);
// The same reading from the bytes of a profile file, as LeeINI reads them from the file.
QString profileValue(const QByteArray &content, const QString &section, const QString &key);
void EscribeINI(const QString &path, const QString &section, const QString &key,
                const QString &value);
// Several keys of one section in a single write of the file, in the given
// order; keys left empty are skipped.
void EscribeINI(const QString &path, const QString &section,
                const QList<std::pair<QString, QString>> &keysAndValues);
