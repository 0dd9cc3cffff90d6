#include "tablecatalogue.h"

#include "catalogueerror.h"
#include "cataloguequery.h"

using namespace Qt::StringLiterals;

TableCatalogue::TableCatalogue(const QList<CatalogueTable> &tables, const QString &source)
    : m_tables(tables)
    , m_source(source) {}

CatalogueRecordset TableCatalogue::openRecordset(const QString &query) {
    if (!m_open)
        throw CatalogueError(u"El catálogo «%1» está cerrado."_s.arg(m_source));
    const CatalogueQuery parsed = CatalogueQuery::parse(query);
    for (const CatalogueTable &t : std::as_const(m_tables)) {
        if (t.name.compare(parsed.table(), Qt::CaseInsensitive) == 0)
            return parsed.run(t, m_source);
    }
    throw CatalogueError(
        u"El catálogo «%1» no tiene la tabla «%2»."_s.arg(m_source, parsed.table()));
}

void TableCatalogue::close() {
    m_open = false;
    m_tables.clear();
}

QStringList TableCatalogue::tableNames() const {
    QStringList names;
    for (const CatalogueTable &t : m_tables)
        names.append(t.name);
    return names;
}
