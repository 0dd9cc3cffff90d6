#pragma once

// The database password of the station catalogue: the program opens its catalogue with it,
// and every catalogue our tools write carries it.
inline constexpr char16_t CataloguePassword[] = u"Kal7.dvQ42";
