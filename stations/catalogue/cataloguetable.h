#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// A value as the catalogue holds it: no value at all is Null, which is not an empty text.
using CatalogueValue = std::optional<QString>;
using CatalogueRow = QList<CatalogueValue>;

// One table of the catalogue, read whole: its columns in the table's order and its rows in
// the order the file stores them.
struct CatalogueTable {
    QString name;
    QStringList columns;
    QList<CatalogueRow> rows;
};
