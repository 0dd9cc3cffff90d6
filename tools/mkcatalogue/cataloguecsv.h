#pragma once

#include "cataloguepassword.h"
#include "jetwriter.h"

#include <QByteArray>
#include <QString>

// The station catalogue's readable source: CSV with the header
// "Pais,NombreRadio,URLRadio,Medio", one station a record, in the order the station lists
// show them. The countries are those the stations name, each once (letter case ignored, the
// first spelling kept), in order of first appearance.
namespace CatalogueCsv {

// Throws std::runtime_error naming the record at fault.
JetWriter toWriter(const QByteArray &csv,
                   const QString &password = QString::fromUtf16(CataloguePassword));

} // namespace CatalogueCsv
