#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringList>

// The names of the station catalogue's tables and columns, as the reader looks them up and
// the writers create them. Catalogues already installed carry these names, so they never
// change.
namespace CatalogueSchema {

// The countries table; its one column has the table's name.
inline constexpr QLatin1StringView Paises{"Paises"};

// The stations table, one row a station, with its columns in the order they are written.
inline constexpr QLatin1StringView Radios{"Radios"};
inline constexpr QLatin1StringView Pais{"Pais"};               // the country, as in Paises
inline constexpr QLatin1StringView NombreRadio{"NombreRadio"}; // the station's name
inline constexpr QLatin1StringView URLRadio{"URLRadio"};       // its stream or playlist
inline constexpr QLatin1StringView Medio{"Medio"};             // its player: "WMP" or "RP"

inline QStringList RadiosColumns() {
    return {QString(Pais), QString(NombreRadio), QString(URLRadio), QString(Medio)};
}

} // namespace CatalogueSchema
