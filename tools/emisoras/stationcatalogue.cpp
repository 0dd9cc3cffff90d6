#include "stationcatalogue.h"

#include "catalogueerror.h"
#include "cataloguepassword.h"
#include "catalogueschema.h"
#include "jetcatalogue.h"
#include "jettext.h"
#include "tablecatalogue.h"

using namespace Qt::StringLiterals;

namespace {

using CatalogueSchema::Paises;
using CatalogueSchema::Radios;
using CatalogueSchema::RadiosColumns;

// A name goes between apostrophes in a query text, every apostrophe in it written twice.
QString quoted(const QString &name) {
    QString text = name;
    text.replace(u'\'', u"''"_s);
    return u'\'' + text + u'\'';
}

bool equal(const StationCatalogue::Value &value, const QString &text) {
    return value && JetText::equal(*value, text);
}

StationCatalogue::Value valueOf(const CatalogueRecordset &rs, const QString &column) {
    return rs.isNull(column) ? StationCatalogue::Value() : StationCatalogue::Value(rs.text(column));
}

} // namespace

StationCatalogue StationCatalogue::load(const QString &path) {
    const std::unique_ptr<TableCatalogue> file = JetCatalogue::open(path);
    StationCatalogue catalogue;
    CatalogueRecordset paises = file->openRecordset(u"Select * from Paises"_s);
    for (; !paises.atEnd(); paises.moveNext())
        catalogue.m_countries.append(valueOf(paises, Paises));
    CatalogueRecordset radios = file->openRecordset(u"Select * from Radios"_s);
    catalogue.m_stations.reserve(radios.rowCount());
    for (; !radios.atEnd(); radios.moveNext()) {
        catalogue.m_stations.append(
            {valueOf(radios, CatalogueSchema::Pais), valueOf(radios, CatalogueSchema::NombreRadio),
             valueOf(radios, CatalogueSchema::URLRadio), valueOf(radios, CatalogueSchema::Medio)});
    }
    catalogue.index();
    return catalogue;
}

QStringList StationCatalogue::countries() const {
    QList<CatalogueRow> rows;
    rows.reserve(m_countries.size());
    for (const Value &c : m_countries)
        rows.append({c});
    TableCatalogue tables({CatalogueTable{Paises, {Paises}, rows}}, QString());
    CatalogueRecordset rs = tables.openRecordset(u"Select * from Paises order by Paises"_s);
    QStringList names;
    for (; !rs.atEnd(); rs.moveNext())
        names.append(valueOf(rs, Paises).value_or(QString()));
    return names;
}

QList<StationCatalogue::Station> StationCatalogue::stationsOf(const QString &country) const {
    QList<CatalogueRow> rows;
    rows.reserve(m_stations.size());
    for (const Station &s : m_stations)
        rows.append({s.country, s.name, s.address, s.kind});
    TableCatalogue tables({CatalogueTable{Radios, RadiosColumns(), rows}}, QString());
    CatalogueRecordset rs =
        tables.openRecordset(u"Select * from Radios where Pais = "_s + quoted(country));
    QList<Station> found;
    for (; !rs.atEnd(); rs.moveNext()) {
        found.append({valueOf(rs, CatalogueSchema::Pais), valueOf(rs, CatalogueSchema::NombreRadio),
                      valueOf(rs, CatalogueSchema::URLRadio), valueOf(rs, CatalogueSchema::Medio)});
    }
    return found;
}

QString StationCatalogue::countrySpelling(const QString &country) const {
    for (const Value &c : m_countries) {
        if (equal(c, country))
            return *c;
    }
    return country;
}

bool StationCatalogue::hasCountry(const QString &country) const {
    for (const Value &c : m_countries) {
        if (equal(c, country))
            return true;
    }
    return false;
}

// Equal under a case-insensitive compare is equal once case-folded.
StationCatalogue::Key StationCatalogue::key(const QString &country, const QString &name) {
    return {country.toCaseFolded(), name.toCaseFolded()};
}

void StationCatalogue::index() {
    m_names.clear();
    m_addresses.clear();
    for (const Station &s : std::as_const(m_stations)) {
        if (s.country && s.name)
            m_names.insert(key(*s.country, *s.name));
        if (s.country && s.address)
            m_addresses.insert({s.country->toCaseFolded(), *s.address});
    }
}

bool StationCatalogue::hasStation(const QString &country, const QString &name) const {
    return m_names.contains(key(country, name));
}

bool StationCatalogue::hasAddress(const QString &country, const QString &address) const {
    return m_addresses.contains({country.toCaseFolded(), address});
}

bool StationCatalogue::add(const QString &country, const QString &name, const QString &address,
                           const QString &kind) {
    if (hasStation(country, name))
        return false;
    const QString spelling = countrySpelling(country);
    if (!hasCountry(country))
        m_countries.append(spelling);
    m_stations.append({spelling, name, address, kind});
    m_names.insert(key(spelling, name));
    m_addresses.insert({spelling.toCaseFolded(), address});
    return true;
}

int StationCatalogue::remove(const QString &country, const QString &name) {
    const qsizetype removed = m_stations.removeIf(
        [&](const Station &s) { return equal(s.country, country) && equal(s.name, name); });
    if (removed > 0) {
        index();
        bool left = false;
        for (const Station &s : std::as_const(m_stations))
            left = left || equal(s.country, country);
        if (!left)
            m_countries.removeIf([&](const Value &c) { return equal(c, country); });
    }
    return int(removed);
}

JetWriter StationCatalogue::toWriter() const {
    JetWriter writer(QString::fromUtf16(CataloguePassword));
    writer.addTable(Paises, {Paises});
    writer.addTable(Radios, RadiosColumns());
    for (const Value &c : m_countries)
        writer.addRow(Paises, {c});
    for (const Station &s : m_stations)
        writer.addRow(Radios, {s.country, s.name, s.address, s.kind});
    return writer;
}
