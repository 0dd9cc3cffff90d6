#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Writes a Jet 3 (Access 97) database file holding tables of text columns, with the system
// catalogue the Jet readers need and an optional database password in the header.
// Text is stored in code page 1252; a value that cannot be stored exactly is refused, never
// altered. Errors are std::runtime_error with a message in Spanish.
class JetWriter {
public:
    using Value = std::optional<QString>; // no value: Null in the database

    explicit JetWriter(const QString &password = {});

    // Every column is Text(255).
    void addTable(const QString &name, const QStringList &columns);
    void addRow(const QString &table, const QList<Value> &values);

    QByteArray toBytes() const;
    void writeFile(const QString &path) const;

private:
    struct Table {
        QString name;
        QStringList columns;
        QList<QList<Value>> rows;
    };

    Table &table(const QString &name);

    QString m_password;
    QList<Table> m_tables;
};
