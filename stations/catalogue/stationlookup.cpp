#include "stationlookup.h"

#include "catalogueerror.h"
#include "catalogueschema.h"

using namespace Qt::StringLiterals;

namespace {

// A name goes between apostrophes in a query text, every apostrophe in it written twice.
QString quoted(const QString &name) {
    QString text = name;
    text.replace(u'\'', u"''"_s);
    return u'\'' + text + u'\'';
}

QStringList column(CatalogueRecordset rs, QLatin1StringView name) {
    QStringList names;
    while (!rs.atEnd()) {
        // A name with no value at all is listed as an empty entry.
        names.append(rs.isNull(name) ? QString() : rs.text(name));
        rs.moveNext();
    }
    rs.close();
    return names;
}

} // namespace

StationLookup::StationLookup() = default;
StationLookup::~StationLookup() = default;

void StationLookup::open(std::unique_ptr<Catalogue> catalogue) {
    m_catalogue = std::move(catalogue);
}

void StationLookup::close() {
    if (m_catalogue)
        m_catalogue->close();
    m_catalogue.reset();
}

Catalogue &StationLookup::catalogue() const {
    if (!m_catalogue)
        throw CatalogueError(u"El catálogo de emisoras no está abierto."_s);
    return *m_catalogue;
}

QStringList StationLookup::countries() {
    return column(catalogue().openRecordset(u"Select * from Paises order by Paises"_s),
                  CatalogueSchema::Paises);
}

QStringList StationLookup::stationsOf(const QString &country) {
    return column(
        catalogue().openRecordset(u"Select * from Radios where Pais = "_s + quoted(country)),
        CatalogueSchema::NombreRadio);
}

std::optional<CatalogueStation> StationLookup::station(const QString &country,
                                                       const QString &name) {
    CatalogueRecordset rs =
        catalogue().openRecordset(u"Select * from Radios where Pais = "_s + quoted(country) +
                                  u" and NombreRadio = "_s + quoted(name));
    std::optional<CatalogueStation> found;
    if (!rs.atEnd()) {
        // Both are read before either is kept, so a failure leaves the last good pair.
        found = CatalogueStation{rs.text(CatalogueSchema::URLRadio),
                                 playerKindFromWord(rs.text(CatalogueSchema::Medio))};
    }
    rs.close();
    return found;
}
