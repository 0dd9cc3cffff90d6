#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringDecoder>

#include <functional>
#include <optional>

// A Jet 3 file as our own code reads it from its bytes: the header and its password, the
// table definitions, the usage maps and the rows. Building one checks every structure that
// libmdb will follow when it reads the same bytes, because libmdb trusts what it reads and
// a damaged file could crash it.
class JetFile {
public:
    static constexpr int PageSize = 2048;

    struct Column {
        QString name;
        quint8 type = 0;
        quint8 number = 0;
        quint16 varIndex = 0;
        bool fixed = false;
        quint16 fixedOffset = 0;
        quint16 size = 0;
    };
    struct Table {
        QString name;
        quint32 page = 0;
        int varColumns = 0;
        QList<Column> columns; // in column-number order, as libmdb keeps them
        qsizetype rows = 0;    // rows found in the data pages
    };
    // Where one value of a row lies in its page. A column the row does not hold is null.
    struct Field {
        bool null = true;
        int start = 0;
        int size = 0;
    };

    // Throws CatalogueError, naming `label`, when the bytes are not a Jet 3 file, when the
    // file has a database password other than `password` (without one it opens with any, as
    // Jet opens it), or when anything libmdb would read is damaged.
    JetFile(const QByteArray &bytes, const QString &label, const QString &password);

    const Table &systemCatalogue() const { return m_system; }
    const QList<Table> &userTables() const { return m_tables; }

    // Splits a row the way libmdb does; false when the row is not sound. `page` holds
    // PageSize bytes.
    static bool crackRow(const uchar *page, int rowStart, int rowSize, const Table &table,
                         QList<Field> &fields);

    // Text as Jet 3 stores it, in the database's code page.
    QString decodeText(const uchar *bytes, int size) const;

private:
    struct RowSpan {
        const uchar *page = nullptr;
        int start = 0;
        int size = 0;
    };
    using RowVisitor = std::function<void(const uchar *page, const QList<Field> &fields)>;

    [[noreturn]] void damaged(const QString &why) const;
    void readHeader(const QString &password);
    const uchar *page(quint32 number) const;
    RowSpan findRow(quint32 pageRow, const QString &what) const;
    Table readTableDefinition(quint32 number, const QString &name) const;
    QList<quint32> usedPages(const Table &table) const;
    void visitRows(Table &table, const RowVisitor &visit) const;
    void readSystemCatalogue();

    QByteArray m_bytes; // pages as stored; from page 1 on decoded when the file has a key
    QString m_label;
    quint32 m_pageCount = 0;
    quint16 m_codePage = 1252;
    mutable std::optional<QStringDecoder> m_otherCodePage;
    Table m_system;
    QList<Table> m_tables;
};
