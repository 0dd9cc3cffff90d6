#pragma once

#include "catalogue.h"
#include "cataloguetable.h"

#include <QList>
#include <QString>
#include <QStringList>

// A catalogue whose tables are held in memory, read once; queries are answered from them.
// The Jet file reader fills one; tests about the window's logic may fill one by hand.
class TableCatalogue final : public Catalogue {
public:
    // `source` names the catalogue in error messages, normally its file.
    TableCatalogue(const QList<CatalogueTable> &tables, const QString &source);

    CatalogueRecordset openRecordset(const QString &query) override;
    void close() override;

    QStringList tableNames() const;
    bool isOpen() const { return m_open; }

private:
    QList<CatalogueTable> m_tables;
    QString m_source;
    bool m_open = true;
};
