#pragma once

#include "stationcatalogue.h"

#include <QByteArray>

// The catalogue written out for people and other programs.
namespace CatalogueExport {

// CSV in the columns of the catalogue's source (RFC 4180, UTF-8): a value the file does not
// have is an empty field, an empty text is "", so that importing it again gives the same rows.
QByteArray toCsv(const StationCatalogue &catalogue);

// An extended M3U list: "País - Nombre" as each entry's title.
QByteArray toM3u(const StationCatalogue &catalogue);

} // namespace CatalogueExport
