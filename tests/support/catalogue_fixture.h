#pragma once

#include "cataloguepassword.h"
#include "catalogueschema.h"
#include "jetwriter.h"

// Catalogues for the tests, written by our own Jet 3 writer.
namespace CatalogueFixture {

using Value = JetWriter::Value;
using Row = QList<Value>;
using Rows = QList<Row>;

// Stations are rows of Pais, NombreRadio, URLRadio and Medio.
inline QByteArray catalogueBytes(const Row &countries, const Rows &stations) {
    JetWriter writer(QString::fromUtf16(CataloguePassword));
    writer.addTable(CatalogueSchema::Paises, {CatalogueSchema::Paises});
    writer.addTable(CatalogueSchema::Radios, CatalogueSchema::RadiosColumns());
    for (const Value &c : countries)
        writer.addRow(CatalogueSchema::Paises, {c});
    for (const Row &s : stations)
        writer.addRow(CatalogueSchema::Radios, s);
    return writer.toBytes();
}

} // namespace CatalogueFixture
