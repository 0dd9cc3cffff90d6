#include "fonts.h"

#include <QFont>
#include <QStringList>

using namespace Qt::StringLiterals;

void installFontSubstitutions() {
    // Liberation Sans has Arial's metrics; MS Sans Serif is close to Arial at small sizes.
    QFont::insertSubstitutions(u"Arial"_s, QStringList{u"Liberation Sans"_s, u"DejaVu Sans"_s});
    QFont::insertSubstitutions(u"MS Sans Serif"_s,
                               QStringList{u"Liberation Sans"_s, u"DejaVu Sans"_s});
    // Arial Black is a very wide, heavy face: DejaVu Sans in bold is the nearest in width.
    QFont::insertSubstitutions(u"Arial Black"_s,
                               QStringList{u"DejaVu Sans"_s, u"Liberation Sans"_s});
    QFont::insertSubstitutions(u"Comic Sans MS"_s, QStringList{u"Comic Neue"_s, u"DejaVu Sans"_s});
}
