#include "ini.h"

#include "profilefile.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

// Read-only files and folders stay untouched, also for a user (root) whom the
// system would let write them anyway.
bool writeProtected(const QString &path) {
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir() || !(folder.permissions() & QFileDevice::WriteOwner))
        return true;
    return info.exists() && !(info.permissions() & QFileDevice::WriteOwner);
}

} // namespace

QString LeeINI(const QString &path, const QString &section, const QString &key) {
    return ProfileFile::load(path).value(section, key);
}

QString profileValue(const QByteArray &content, const QString &section, const QString &key) {
    return ProfileFile(content).value(section, key);
}

void EscribeINI(const QString &path, const QString &section, const QString &key,
                const QString &value) {
    EscribeINI(path, section, {{key, value}});
}

void EscribeINI(const QString &path, const QString &section,
                const QList<std::pair<QString, QString>> &keysAndValues) {
    if (section.isEmpty() || writeProtected(path))
        return;
    // What cannot be read whole (a pipe, a device, a file too large) would be replaced by
    // the few keys written: it is left as it is.
    ProfileFile::Source source = ProfileFile::Source::Refused;
    ProfileFile profile = ProfileFile::load(path, &source);
    if (source == ProfileFile::Source::Refused)
        return;
    bool changed = false;
    for (const auto &[key, value] : keysAndValues) {
        if (key.isEmpty())
            continue;
        profile.setValue(section, key, value);
        changed = true;
    }
    if (!changed)
        return;

    // All the keys reach the disk in one rename: a program killed while
    // writing leaves the old file or the new one, never some keys of each.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    if (file.write(profile.toUtf8()) < 0) {
        file.cancelWriting();
        return;
    }
    file.commit();
}
