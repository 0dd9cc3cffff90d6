#pragma once

#include "cataloguerecordset.h"

#include <QString>

// The open station catalogue: runs a query text and hands back its rows. Errors are
// CatalogueError.
class Catalogue {
public:
    virtual ~Catalogue() = default;

    virtual CatalogueRecordset openRecordset(const QString &query) = 0;
    // Further queries fail once the catalogue is closed.
    virtual void close() = 0;
};
