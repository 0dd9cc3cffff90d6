#pragma once

#include "cataloguerecordset.h"
#include "cataloguetable.h"

#include <QList>
#include <QString>

// The query texts the catalogue answers, and no more of SQL:
//   Select * from <table> [where <column> = '<text>' [and <column> = '<text>' ...]]
//                         [order by <column> [asc|desc] [, ...]] [;]
// Keywords in any letter case; names plain or in brackets; an apostrophe inside a text is
// written twice. Text is compared and sorted by Jet's rules.
class CatalogueQuery {
public:
    // Throws CatalogueError for a text that does not parse.
    static CatalogueQuery parse(const QString &text);

    QString table() const { return m_table; }

    // Throws CatalogueError for a column the table lacks; `source` names the catalogue.
    CatalogueRecordset run(const CatalogueTable &table, const QString &source) const;

private:
    struct Condition {
        QString column;
        QString text;
    };
    struct SortKey {
        QString column;
        bool descending = false;
    };

    QString m_table;
    QList<Condition> m_conditions;
    QList<SortKey> m_order;
};
