#pragma once

#include <QString>

// What a station must be before the tool writes it into the catalogue: names and addresses
// free of control characters, texts the catalogue can hold, and an address the players
// can open as a stream.
namespace StationCheck {

// The reason, in Spanish, why the station cannot be added; empty when it can.
QString problem(const QString &country, const QString &name, const QString &address);

} // namespace StationCheck
