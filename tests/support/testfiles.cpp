#include "testfiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace TestFiles {

QByteArray read(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool write(const QString &path, const QByteArray &bytes) {
    QFileInfo(path).dir().mkpath(u"."_s);
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray sha256(const QString &path) {
    return QCryptographicHash::hash(read(path), QCryptographicHash::Sha256);
}

QStringList tree(const QString &root) {
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = QDir(root).relativeFilePath(it.next());
        entries.append(it.fileInfo().isDir() ? relative + u'/' : relative);
    }
    entries.sort();
    return entries;
}

bool copyProgramFolder(const QString &from, const QString &to) {
    const QDir source(from), target(to);
    if (!target.mkpath(u"."_s))
        return false;
    for (const QString &entry : tree(from)) {
        if (entry.endsWith(u".ini"_s) && !entry.contains(u'/'))
            continue;
        if (entry.endsWith(u'/') ? !target.mkpath(entry)
                                 : !QFile::copy(source.filePath(entry), target.filePath(entry)))
            return false;
    }
    return true;
}

} // namespace TestFiles
