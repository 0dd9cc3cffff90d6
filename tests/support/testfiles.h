#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Files and folders as the suites set them up and look at them afterwards.
namespace TestFiles {

// The whole file; empty when it cannot be read.
QByteArray read(const QString &path);
// Replaces the file with these bytes, making the folders above it.
bool write(const QString &path, const QByteArray &bytes);
QByteArray sha256(const QString &path);
// Every file and folder under root, sorted, folders ending in "/".
QStringList tree(const QString &root);
// Copies a folder with everything in it. The settings file a run may have left at the top
// stays behind: a copy is for a run of its own.
bool copyProgramFolder(const QString &from, const QString &to);

} // namespace TestFiles
