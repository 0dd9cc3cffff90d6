#pragma once

#include "cataloguepassword.h"
#include "tablecatalogue.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The station catalogue file: a Jet 3 (Access 97) database with a database password, read
// with libmdb. Opening checks the header, the password and every structure libmdb will
// follow, then reads the user tables once; the file is never written.
namespace JetCatalogue {

// Throws CatalogueError, with a message that names the file and what is wrong.
std::unique_ptr<TableCatalogue>
open(const QString &path, const QString &password = QString::fromUtf16(CataloguePassword));

// The same from the bytes of a catalogue file already read; `label` names it in messages.
std::unique_ptr<TableCatalogue>
read(const QByteArray &bytes, const QString &label,
     const QString &password = QString::fromUtf16(CataloguePassword));

} // namespace JetCatalogue
