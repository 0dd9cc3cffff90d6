#pragma once

#include "catalogue.h"
#include "cataloguestation.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// The questions the program asks the station catalogue. Failures are CatalogueError, also
// when no catalogue is open.
class StationLookup {
public:
    StationLookup();
    ~StationLookup();

    void open(std::unique_ptr<Catalogue> catalogue);
    bool isOpen() const { return bool(m_catalogue); }
    void close();

    // Every country, in the catalogue's order; a name without a value is an empty entry.
    QStringList countries();
    // The stations of a country, in the catalogue's order.
    QStringList stationsOf(const QString &country);
    // The first station of the country with that name; none when there is no such row.
    std::optional<CatalogueStation> station(const QString &country, const QString &name);

private:
    Catalogue &catalogue() const;

    std::unique_ptr<Catalogue> m_catalogue;
};
