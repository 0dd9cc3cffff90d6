#include "cataloguerecordset.h"

#include "catalogueerror.h"

using namespace Qt::StringLiterals;

CatalogueRecordset::CatalogueRecordset(const QStringList &columns, const QList<CatalogueRow> &rows,
                                       const QString &source)
    : m_columns(columns)
    , m_rows(rows)
    , m_source(source) {}

bool CatalogueRecordset::atEnd() const {
    return m_closed || m_current >= m_rows.size();
}

void CatalogueRecordset::moveNext() {
    if (atEnd())
        throw CatalogueError(
            u"No hay un registro actual en la consulta del catálogo «%1»."_s.arg(m_source));
    ++m_current;
}

bool CatalogueRecordset::isNull(const QString &column) const {
    return !value(column);
}

QString CatalogueRecordset::text(const QString &column) const {
    const CatalogueValue &v = value(column);
    if (!v)
        throw CatalogueError(
            u"El campo «%1» del catálogo «%2» no tiene ningún valor (Null) y no se puede leer como texto."_s
                .arg(column, m_source));
    return *v;
}

void CatalogueRecordset::close() {
    m_closed = true;
    m_rows.clear();
}

const CatalogueValue &CatalogueRecordset::value(const QString &column) const {
    if (atEnd())
        throw CatalogueError(
            u"No hay un registro actual en la consulta del catálogo «%1»."_s.arg(m_source));
    qsizetype index = 0;
    while (index < m_columns.size() && m_columns[index].compare(column, Qt::CaseInsensitive) != 0)
        ++index;
    if (index == m_columns.size())
        throw CatalogueError(
            u"La consulta del catálogo «%1» no tiene la columna «%2»."_s.arg(m_source, column));
    return m_rows[m_current][index];
}
