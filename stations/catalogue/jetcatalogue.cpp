#include "jetcatalogue.h"

#include "catalogueerror.h"
#include "jetfile.h"

#include <QFile>
#include <QFileInfo>

// The mdbtools header includes glib inside its extern "C" block; glib must come first.
#include <glib.h>

#include <mdbtools.h>

using namespace Qt::StringLiterals;

namespace JetCatalogue {

namespace {

constexpr qint64 MaxFileSize = qint64(1) << 30; // Jet 3 files end at 1 GB

struct MdbClose {
    void operator()(MdbHandle *mdb) const { mdb_close(mdb); }
};
struct MdbFreeTable {
    void operator()(MdbTableDef *table) const { mdb_free_tabledef(table); }
};
using MdbPointer = std::unique_ptr<MdbHandle, MdbClose>;
using MdbTablePointer = std::unique_ptr<MdbTableDef, MdbFreeTable>;

[[noreturn]] void damaged(const QString &path, const QString &why) {
    throw CatalogueError(u"El catálogo de emisoras «%1» está dañado: %2."_s.arg(path, why));
}

// A memo kept inside its row is read; one kept on pages of its own is not, and reads as Null.
CatalogueValue inlineMemo(const JetFile &file, const uchar *page, const JetFile::Field &f) {
    if (f.size < 12)
        return std::nullopt;
    const uchar *p = page + f.start;
    const quint32 header =
        quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
    if (!(header & 0x80000000u))
        return std::nullopt;
    const int length = int(std::min<quint32>(header & 0x3FFFFFFFu, quint32(f.size - 12)));
    return file.decodeText(p + 12, length);
}

CatalogueTable readTable(MdbHandle *mdb, const JetFile &file, const JetFile::Table &def,
                         const QString &path) {
    MdbCatalogEntry entry{};
    entry.mdb = mdb;
    entry.object_type = MDB_TABLE;
    entry.table_pg = def.page;
    qstrncpy(entry.object_name, def.name.toUtf8().constData(), sizeof entry.object_name);
    const MdbTablePointer table(mdb_read_table(&entry));
    if (!table)
        damaged(path, u"libmdb no puede leer la tabla «%1»"_s.arg(def.name));
    mdb_read_columns(table.get());
    const int columnCount = int(def.columns.size());
    if (int(table->num_cols) != columnCount)
        damaged(path, u"libmdb no ve las columnas de la tabla «%1»"_s.arg(def.name));

    // Text is ours to decode, from the code page; other values libmdb turns into text as
    // mdb-export prints them. Memo and OLE values are not handed to libmdb to follow.
    QList<QByteArray> bound(columnCount);
    for (int i = 0; i < columnCount; ++i) {
        const auto *column = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, guint(i)));
        if (column->col_type != def.columns[i].type)
            damaged(path, u"libmdb no ve las columnas de la tabla «%1»"_s.arg(def.name));
        const int type = column->col_type;
        if (type == MDB_TEXT || type == MDB_MEMO || type == MDB_OLE)
            continue;
        bound[i] = QByteArray(qsizetype(mdb->bind_size), '\0');
        mdb_bind_column(table.get(), i + 1, bound[i].data(), nullptr);
    }

    CatalogueTable result;
    result.name = def.name;
    for (const JetFile::Column &c : def.columns)
        result.columns.append(c.name);
    QList<JetFile::Field> fields;
    // The rows were counted in the data pages already: room for them at once.
    result.rows.reserve(def.rows);
    mdb_rewind_table(table.get());
    while (mdb_fetch_row(table.get())) {
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb, int(table->cur_row) - 1, &start, &size) != 0)
            damaged(path, u"libmdb pierde una fila de la tabla «%1»"_s.arg(def.name));
        start &= 0x1FFF;
        const uchar *page = mdb->pg_buf;
        if (!JetFile::crackRow(page, start, int(size), def, fields))
            damaged(path, u"una fila de la tabla «%1» no es válida"_s.arg(def.name));
        CatalogueRow row(columnCount);
        for (int i = 0; i < columnCount; ++i) {
            const JetFile::Field &f = fields[i];
            switch (def.columns[i].type) {
            case MDB_TEXT:
                if (!f.null)
                    row[i] = file.decodeText(page + f.start, f.size);
                break;
            case MDB_MEMO:
                if (!f.null)
                    row[i] = inlineMemo(file, page, f);
                break;
            case MDB_OLE:
                break;
            case MDB_BOOL: // kept in the null mask: never Null
                row[i] = QString::fromUtf8(bound[i].constData());
                break;
            default:
                if (!f.null)
                    row[i] = QString::fromUtf8(bound[i].constData());
                break;
            }
        }
        result.rows.append(std::move(row));
    }
    if (result.rows.size() != def.rows)
        damaged(path, u"libmdb lee otras filas en la tabla «%1»"_s.arg(def.name));
    return result;
}

QList<CatalogueTable> readTables(const QByteArray &bytes, const JetFile &file,
                                 const QString &path) {
    // libmdb reads the bytes that were checked, not the file again. It only reads them.
    const MdbPointer mdb(
        mdb_open_buffer(const_cast<char *>(bytes.constData()), size_t(bytes.size()), MDB_NOFLAGS));
    if (!mdb)
        damaged(path, u"libmdb no lo reconoce"_s);
    mdb_set_date_fmt(mdb.get(), "%m/%d/%y %H:%M:%S");

    // The system catalogue, read as any table, lists the user tables by definition page.
    const CatalogueTable objects = readTable(mdb.get(), file, file.systemCatalogue(), path);
    const auto column = [&](const QString &name) {
        for (qsizetype i = 0; i < objects.columns.size(); ++i) {
            if (objects.columns[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        }
        damaged(path, u"libmdb no ve la columna %1 del catálogo del sistema"_s.arg(name));
    };
    const qsizetype id = column(u"Id"_s);
    const qsizetype type = column(u"Type"_s);
    const qsizetype flags = column(u"Flags"_s);
    QList<CatalogueTable> tables;
    for (const CatalogueRow &row : objects.rows) {
        if (!row[id] || !row[type])
            continue;
        const bool isTable = (row[type]->toInt() & 0x7F) == 1;
        const quint32 objectFlags = quint32(row[flags] ? row[flags]->toLongLong() : 0);
        if (!isTable || (objectFlags & 0x80000002u))
            continue;
        const quint32 page = quint32(row[id]->toLongLong()) & 0x00FFFFFFu;
        const JetFile::Table *def = nullptr;
        for (const JetFile::Table &t : file.userTables()) {
            if (t.page == page && !def)
                def = &t;
        }
        if (!def)
            damaged(path, u"libmdb lee otro catálogo del sistema"_s);
        tables.append(readTable(mdb.get(), file, *def, path));
    }
    return tables;
}

} // namespace

std::unique_ptr<TableCatalogue> open(const QString &path, const QString &password) {
    QFile f(path);
    const QFileInfo info(path);
    if (!info.exists())
        throw CatalogueError(u"No se encuentra el catálogo de emisoras «%1»."_s.arg(path));
    if (!info.isFile())
        throw CatalogueError(u"El catálogo de emisoras «%1» no es un archivo."_s.arg(path));
    if (info.size() > MaxFileSize)
        damaged(path, u"es mayor de lo que admite Jet 3"_s);
    if (!f.open(QIODevice::ReadOnly))
        throw CatalogueError(
            u"No se puede abrir el catálogo de emisoras «%1»: %2."_s.arg(path, f.errorString()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw CatalogueError(
            u"No se puede leer el catálogo de emisoras «%1»: %2."_s.arg(path, f.errorString()));
    f.close();
    return read(bytes, path, password);
}

std::unique_ptr<TableCatalogue> read(const QByteArray &bytes, const QString &label,
                                     const QString &password) {
    const JetFile file(bytes, label, password);
    return std::make_unique<TableCatalogue>(readTables(bytes, file, label), label);
}

} // namespace JetCatalogue
