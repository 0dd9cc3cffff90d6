#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Puts a new catalogue in the place of the old one so that the file's name always holds a
// whole catalogue: the new bytes go to a file beside it and reach the disk first, the old file
// stays as "<name>.bak", and one rename swaps them. A program that read the old file keeps
// what it read; a tool killed at any point leaves the old catalogue or the new one.
namespace CatalogueReplacement {

// The file the new catalogue is written to before the rename.
QString pendingPath(const QString &path);
QString backupPath(const QString &path);

// Throws std::runtime_error with a message in Spanish. `beforeRename` runs once the new file
// and the backup are on disk, just before the swap.
void replace(const QString &path, const QByteArray &bytes,
             const std::function<void()> &beforeRename = {});

} // namespace CatalogueReplacement
