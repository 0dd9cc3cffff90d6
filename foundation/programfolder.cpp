#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

ProgramFolder ProgramFolder::ofRunningExecutable() {
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    return ProgramFolder(exe.absolutePath(), exe.fileName());
}

ProgramFolder::ProgramFolder(const QString &folder, const QString &executableName)
    : m_folder(QDir::cleanPath(folder))
    , m_executableName(executableName) {}

QString ProgramFolder::settingsFile() const {
    // Named after the executable, without its extension: a renamed copy starts afresh.
    return file(QFileInfo(m_executableName).completeBaseName() + u".ini"_s);
}

QString ProgramFolder::catalogueFile() const {
    return file(u"RadioStore.mdb"_s);
}

QString ProgramFolder::skinsFolder() const {
    return file(u"Skins"_s);
}

QString ProgramFolder::file(const QString &relative) const {
    return m_folder + u'/' + relative;
}
