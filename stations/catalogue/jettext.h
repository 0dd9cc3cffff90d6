#pragma once

#include <QString>

// Jet's rules for text, as its general sort order applies them.
namespace JetText {

// Equality in a "where" test: letter case does not count.
bool equal(const QString &a, const QString &b);

// Order for "order by": letter case ignored, an accented letter right after its base
// letter, hyphens and apostrophes passed over unless nothing else tells two texts apart.
int compare(const QString &a, const QString &b);

} // namespace JetText
