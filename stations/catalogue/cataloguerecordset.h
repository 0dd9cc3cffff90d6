#pragma once

#include "cataloguetable.h"

#include <QString>
#include <QStringList>

// The rows a query returned, walked from the first: atEnd() once no current row is left,
// moveNext() to the next. Columns are found by name, letter case ignored. Errors are
// CatalogueError; reading a Null value as text is one.
class CatalogueRecordset {
public:
    CatalogueRecordset() = default;
    // `source` names the catalogue in error messages.
    CatalogueRecordset(const QStringList &columns, const QList<CatalogueRow> &rows,
                       const QString &source = {});

    bool atEnd() const;
    void moveNext();
    bool isNull(const QString &column) const;
    QString text(const QString &column) const;
    void close();

    QStringList columnNames() const { return m_columns; }
    qsizetype rowCount() const { return m_rows.size(); }

private:
    const CatalogueValue &value(const QString &column) const;

    QStringList m_columns;
    QList<CatalogueRow> m_rows;
    QString m_source;
    qsizetype m_current = 0;
    bool m_closed = false;
};
