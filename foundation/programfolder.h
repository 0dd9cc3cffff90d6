#pragma once

#include <QString>

// The folder that holds the executable and everything it reads and writes:
// the settings file named after the executable, the catalogue and the skins.
class ProgramFolder {
public:
    // The running executable's folder and name.
    static ProgramFolder ofRunningExecutable();

    ProgramFolder(const QString &folder, const QString &executableName);

    QString path() const { return m_folder; }
    QString settingsFile() const;
    QString catalogueFile() const;
    QString skinsFolder() const;
    QString file(const QString &relative) const;

private:
    QString m_folder;
    QString m_executableName;
};
