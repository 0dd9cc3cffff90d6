#include "jetwriter.h"

#include "windows1252.h"

#include <QSaveFile>

#include <algorithm>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

constexpr int PageSize = 2048;
constexpr int DataPageHeader = 10; // type, free space, owner, row count
constexpr int MaxRowsPerPage = 255;
constexpr int InlineMapBytes = 128;
constexpr int InlineMapPages = InlineMapBytes * 8;
constexpr int ReferenceMapPages = (PageSize - 4) * 8;
constexpr int MaxTextBytes = 255;

constexpr quint8 TypeInteger = 0x03;
constexpr quint8 TypeLong = 0x04;
constexpr quint8 TypeText = 0x0A;
constexpr quint8 TypeOle = 0x0B;

constexpr quint32 ContainersId = 0x0F000000;
constexpr quint32 TablesId = 0x0F000001;
constexpr quint32 DatabasesId = 0x0F000002;
constexpr quint32 RelationshipsId = 0x0F000003;
constexpr quint32 SystemObject = 0x80000000;

[[noreturn]] void fail(const QString &message) {
    throw std::runtime_error(message.toStdString());
}

void put16(QByteArray &buffer, int offset, quint32 value) {
    buffer[offset] = char(value & 0xFF);
    buffer[offset + 1] = char((value >> 8) & 0xFF);
}

void put32(QByteArray &buffer, int offset, quint32 value) {
    for (int i = 0; i < 4; ++i)
        buffer[offset + i] = char((value >> (8 * i)) & 0xFF);
}

QByteArray le32(quint32 value) {
    QByteArray bytes(4, '\0');
    put32(bytes, 0, value);
    return bytes;
}

QByteArray le16(quint32 value) {
    QByteArray bytes(2, '\0');
    put16(bytes, 0, value);
    return bytes;
}

QByteArray textBytes(const QString &text, const QString &what) {
    const std::optional<QByteArray> bytes = Windows1252::encode(text);
    if (!bytes)
        fail(
            u"%1 «%2» tiene caracteres que la página de códigos 1252 no admite."_s.arg(what, text));
    if (bytes->size() > MaxTextBytes)
        fail(u"%1 «%2» pasa de %3 caracteres."_s.arg(what, text).arg(MaxTextBytes));
    return *bytes;
}

// RC4 as Jet uses it to mask the header and, with a database key, the pages.
void rc4(const QByteArray &key, char *data, int length) {
    quint8 s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = quint8(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + quint8(key[i % key.size()])) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[n] = char(quint8(data[n]) ^ s[(s[i] + s[j]) & 0xFF]);
    }
}

struct Column {
    QByteArray name;
    quint8 type = TypeText;
    quint8 flags = 0x02;
    quint16 size = MaxTextBytes;
    bool fixed = false;
    quint16 fixedOffset = 0;
    quint16 varIndex = 0;
};

using Cell = std::optional<QByteArray>;

// One table as it goes into the file: its definition, its encoded rows and the pages
// they were given.
struct Layout {
    QByteArray name;
    bool system = false;
    QList<Column> columns;
    int varColumns = 0;
    QList<QByteArray> rows;
    QList<QList<int>> pages; // indexes into rows, one list per data page
    quint32 tdefPage = 0;
    quint32 firstDataPage = 0;
    QByteArray usageMap;
    QByteArray freeMap;
    quint32 usageMapRow = 0; // (page << 8) | row
    quint32 freeMapRow = 0;
};

void finishColumns(Layout &table) {
    int fixedOffset = 0;
    int varIndex = 0;
    for (Column &c : table.columns) {
        // Fixed columns also record how many variable columns come before them.
        c.varIndex = quint16(varIndex);
        if (c.fixed) {
            c.fixedOffset = quint16(fixedOffset);
            fixedOffset += c.size;
        } else {
            ++varIndex;
        }
    }
    table.varColumns = varIndex;
}

// Row layout: column count, fixed area, variable data, the end-of-data offset, the
// variable-column offsets from last to first, the jump table, the variable-column count
// and the null mask. Offsets are kept in one byte each; the jump table says where they
// pass a multiple of 256.
QByteArray encodeRow(const Layout &table, const QList<Cell> &cells) {
    const int columnCount = int(table.columns.size());
    int fixedSize = 0;
    for (const Column &c : table.columns) {
        if (c.fixed)
            fixedSize = std::max(fixedSize, c.fixedOffset + c.size);
    }
    QByteArray row(1 + fixedSize, '\0');
    row[0] = char(columnCount);
    QList<int> offsets(table.varColumns, 0);
    for (int i = 0; i < columnCount; ++i) {
        const Column &c = table.columns[i];
        if (c.fixed && cells[i])
            row.replace(1 + c.fixedOffset, c.size, *cells[i]);
    }
    for (int i = 0; i < columnCount; ++i) {
        const Column &c = table.columns[i];
        if (c.fixed)
            continue;
        offsets[c.varIndex] = int(row.size());
        if (cells[i])
            row.append(*cells[i]);
    }
    const int endOfData = int(row.size());
    const int n = table.varColumns;
    const int maskBytes = (columnCount + 7) / 8;
    const int realJumps = endOfData / 256;
    int jumps = realJumps;
    for (;;) {
        const int length = endOfData + 1 + n + jumps + 1 + maskBytes;
        if ((length - 1) / 256 <= jumps)
            break;
        ++jumps;
    }
    if (jumps > realJumps + 1 || endOfData + 1 + n + jumps + 1 + maskBytes > PageSize - 12)
        fail(u"Una fila de la tabla «%1» es demasiado larga."_s.arg(
            QString::fromLatin1(table.name)));

    row.append(char(endOfData & 0xFF));
    for (int i = n - 1; i >= 0; --i)
        row.append(char(offsets[i] & 0xFF));
    if (jumps > realJumps)
        row.append(char(0xFF)); // the readers skip this one
    const auto fullOffset = [&](int i) { return i == n ? endOfData : offsets[i]; };
    for (int j = realJumps - 1; j >= 0; --j) {
        int first = 0;
        while (fullOffset(first) < 256 * (j + 1))
            ++first;
        row.append(char(first));
    }
    row.append(char(n));
    QByteArray mask(maskBytes, '\0');
    for (int i = 0; i < columnCount; ++i) {
        if (cells[i])
            mask[i / 8] = char(quint8(mask[i / 8]) | (1 << (i % 8)));
    }
    row.append(mask);
    return row;
}

void packRows(Layout &table) {
    int used = 0;
    for (int i = 0; i < table.rows.size(); ++i) {
        const int need = int(table.rows[i].size()) + 2;
        if (table.pages.isEmpty() || table.pages.last().size() >= MaxRowsPerPage ||
            used + need > PageSize - DataPageHeader) {
            table.pages.append(QList<int>());
            used = 0;
        }
        table.pages.last().append(i);
        used += need;
    }
}

QByteArray dataPage(quint32 owner, const QList<QByteArray> &rows) {
    QByteArray page(PageSize, '\0');
    page[0] = 0x01;
    page[1] = 0x01;
    put32(page, 4, owner);
    put16(page, 8, quint32(rows.size()));
    int end = PageSize;
    int free = PageSize - DataPageHeader;
    for (int i = 0; i < rows.size(); ++i) {
        const int start = end - int(rows[i].size());
        page.replace(start, rows[i].size(), rows[i]);
        put16(page, DataPageHeader + 2 * i, quint32(start));
        end = start;
        free -= int(rows[i].size()) + 2;
    }
    put16(page, 2, quint32(free));
    return page;
}

QByteArray inlineMap(quint32 startPage, const QList<quint32> &pages) {
    QByteArray map(5 + InlineMapBytes, '\0');
    map[0] = 0x00;
    put32(map, 1, startPage);
    for (const quint32 p : pages) {
        const quint32 bit = p - startPage;
        map[5 + int(bit / 8)] = char(quint8(map[5 + int(bit / 8)]) | (1 << (bit % 8)));
    }
    return map;
}

QByteArray tableDefinition(const Layout &table) {
    QByteArray tdef(43, '\0');
    tdef[0] = 0x02;
    tdef[1] = 0x01;
    tdef[2] = 'V';
    tdef[3] = 'C';
    put32(tdef, 12, quint32(table.rows.size()));
    tdef[20] = char(table.system ? 0x53 : 0x4E);
    put16(tdef, 21, quint32(table.columns.size()));
    put16(tdef, 23, quint32(table.varColumns));
    put16(tdef, 25, quint32(table.columns.size()));
    put32(tdef, 35, table.usageMapRow);
    put32(tdef, 39, table.freeMapRow);
    for (int i = 0; i < table.columns.size(); ++i) {
        const Column &c = table.columns[i];
        QByteArray d(18, '\0');
        d[0] = char(c.type);
        put16(d, 1, quint32(i));
        put16(d, 3, c.varIndex);
        put16(d, 5, quint32(i));
        put16(d, 7, 1);
        put16(d, 9, 0x0409); // general sort order
        put16(d, 11, 1252);  // code page
        d[13] = char(c.flags);
        put16(d, 14, c.fixedOffset);
        put16(d, 16, c.size);
        tdef.append(d);
    }
    for (const Column &c : table.columns) {
        tdef.append(char(c.name.size()));
        tdef.append(c.name);
    }
    tdef.append("\xFF\xFF", 2);
    put32(tdef, 8, quint32(tdef.size()));
    if (tdef.size() > PageSize)
        fail(u"La definición de la tabla «%1» no cabe en una página."_s.arg(
            QString::fromLatin1(table.name)));
    tdef.resize(PageSize, '\0');
    return tdef;
}

QByteArray headerPage(const QByteArray &password) {
    QByteArray page(PageSize, '\0');
    page[1] = 0x01;
    page.replace(4, 16, QByteArray("Standard Jet DB\0", 16));
    // 0x14: version 0, Jet 3. The block from 0x18 is stored masked.
    static const char fixedStart[] = "\x00\x01\x00\x00\x01\x01\x00\x00\x02\x00\x00\x00"
                                     "\x03\x00\x00\x00\x04\x00\x00\x00\x05\x00\x00\x00";
    page.replace(0x18, 24, QByteArray(fixedStart, 24));
    put16(page, 0x38, 1);
    put16(page, 0x3A, 0x0409); // sort order
    put16(page, 0x3C, 1252);   // code page
    put32(page, 0x3E, 0);      // database key: pages are stored plain
    page.replace(0x42, password.size(), password);
    put16(page, 0x56, 0x251E);
    rc4(QByteArray("\xC7\xDA\x39\x6B", 4), page.data() + 0x18, 126);
    return page;
}

} // namespace

JetWriter::JetWriter(const QString &password)
    : m_password(password) {}

void JetWriter::addTable(const QString &name, const QStringList &columns) {
    for (const Table &t : std::as_const(m_tables)) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            fail(u"La tabla «%1» está repetida."_s.arg(name));
    }
    if (name.isEmpty() || columns.isEmpty() || columns.size() > 255)
        fail(u"La tabla «%1» necesita entre 1 y 255 columnas."_s.arg(name));
    textBytes(name, u"El nombre de tabla"_s);
    for (const QString &column : columns) {
        if (textBytes(column, u"El nombre de columna"_s).isEmpty() || column.size() > 64)
            fail(u"El nombre de columna «%1» no es válido."_s.arg(column));
    }
    m_tables.append({name, columns, {}});
}

void JetWriter::addRow(const QString &name, const QList<Value> &values) {
    Table &t = table(name);
    if (values.size() != t.columns.size())
        fail(u"Una fila de la tabla «%1» tiene %2 valores en vez de %3."_s.arg(name)
                 .arg(values.size())
                 .arg(t.columns.size()));
    // Refused here rather than when the file is written, so that the caller can say which
    // row is at fault.
    for (const Value &v : values) {
        if (v)
            textBytes(*v, u"El texto"_s);
    }
    t.rows.append(values);
}

JetWriter::Table &JetWriter::table(const QString &name) {
    for (Table &t : m_tables) {
        if (t.name == name)
            return t;
    }
    fail(u"No existe la tabla «%1»."_s.arg(name));
}

QByteArray JetWriter::toBytes() const {
    const std::optional<QByteArray> password = Windows1252::encode(m_password);
    if (!password || password->size() > 20 || password->contains('\0'))
        fail(u"La contraseña de la base de datos no cabe en la cabecera de Jet 3."_s);

    // The system catalogue first, then the user tables in the order given.
    QList<Layout> layouts;
    Layout catalogue;
    catalogue.name = "MSysObjects";
    catalogue.system = true;
    const auto fixedColumn = [](const char *name, quint8 type, quint16 size) {
        Column c;
        c.name = name;
        c.type = type;
        c.size = size;
        c.fixed = true;
        c.flags = 0x13;
        return c;
    };
    Column nameColumn;
    nameColumn.name = "Name";
    nameColumn.flags = 0x12;
    Column propertiesColumn;
    propertiesColumn.name = "LvProp";
    propertiesColumn.type = TypeOle;
    propertiesColumn.size = 0;
    propertiesColumn.flags = 0x12;
    catalogue.columns = {fixedColumn("Id", TypeLong, 4),
                         fixedColumn("ParentId", TypeLong, 4),
                         nameColumn,
                         fixedColumn("Type", TypeInteger, 2),
                         fixedColumn("Flags", TypeLong, 4),
                         propertiesColumn};
    finishColumns(catalogue);
    layouts.append(catalogue);

    for (const Table &t : m_tables) {
        Layout l;
        l.name = textBytes(t.name, u"El nombre de tabla"_s);
        for (const QString &column : t.columns) {
            Column c;
            c.name = textBytes(column, u"El nombre de columna"_s);
            if (c.name.isEmpty() || c.name.size() > 64)
                fail(u"El nombre de columna «%1» no es válido."_s.arg(column));
            l.columns.append(c);
        }
        finishColumns(l);
        for (const QList<Value> &values : t.rows) {
            QList<Cell> cells;
            for (const Value &v : values)
                cells.append(v ? Cell(textBytes(*v, u"El texto"_s)) : Cell());
            l.rows.append(encodeRow(l, cells));
        }
        packRows(l);
        layouts.append(l);
    }

    // Pages: 0 header, 1 global usage map, 2 the catalogue's definition (the readers look for
    // it there), 3 the tables' usage maps, 4 the catalogue's rows, then per table its
    // definition and its data pages, then the pages of any map too long to keep inline.
    quint32 next = 5;
    for (int i = 1; i < layouts.size(); ++i) {
        Layout &l = layouts[i];
        l.tdefPage = next++;
        l.firstDataPage = next;
        next += quint32(l.pages.size());
    }
    QList<QByteArray> referencePages;
    const auto dataPagesOf = [](const Layout &l) {
        QList<quint32> pages;
        for (int p = 0; p < l.pages.size(); ++p)
            pages.append(l.firstDataPage + quint32(p));
        return pages;
    };
    for (int i = 1; i < layouts.size(); ++i) {
        Layout &l = layouts[i];
        const QList<quint32> pages = dataPagesOf(l);
        if (pages.isEmpty() || pages.last() - l.firstDataPage < quint32(InlineMapPages)) {
            l.usageMap = inlineMap(l.firstDataPage, pages);
        } else {
            // A reference map lists map pages, each covering a fixed stretch of the file.
            const quint32 count = pages.last() / quint32(ReferenceMapPages) + 1;
            l.usageMap = QByteArray(1, '\x01');
            QList<QByteArray> maps(count);
            for (quint32 m = 0; m < count; ++m) {
                maps[m] = QByteArray(PageSize, '\0');
                maps[m][0] = 0x05;
                maps[m][1] = 0x01;
            }
            for (const quint32 p : pages) {
                QByteArray &map = maps[p / quint32(ReferenceMapPages)];
                const quint32 bit = p % quint32(ReferenceMapPages);
                map[4 + int(bit / 8)] = char(quint8(map[4 + int(bit / 8)]) | (1 << (bit % 8)));
            }
            for (quint32 m = 0; m < count; ++m) {
                bool any = false;
                for (int b = 4; b < PageSize && !any; ++b)
                    any = maps[m][b] != 0;
                if (any) {
                    l.usageMap.append(le32(next + quint32(referencePages.size())));
                    referencePages.append(maps[m]);
                } else {
                    l.usageMap.append(le32(0));
                }
            }
        }
        l.freeMap = inlineMap(l.firstDataPage, {});
    }
    const quint32 pageCount = next + quint32(referencePages.size());

    // The catalogue's own rows.
    Layout &cat = layouts[0];
    cat.tdefPage = 2;
    cat.firstDataPage = 4;
    const auto catalogueRow = [&](quint32 id, quint32 parent, const QByteArray &name, quint16 type,
                                  quint32 flags) {
        cat.rows.append(
            encodeRow(cat, {le32(id), le32(parent), name, le16(type), le32(flags), std::nullopt}));
    };
    catalogueRow(TablesId, ContainersId, "Tables", 3, SystemObject);
    catalogueRow(DatabasesId, ContainersId, "Databases", 3, SystemObject);
    catalogueRow(RelationshipsId, ContainersId, "Relationships", 3, SystemObject);
    catalogueRow(2, TablesId, "MSysObjects", 1, SystemObject);
    for (int i = 1; i < layouts.size(); ++i)
        catalogueRow(layouts[i].tdefPage, TablesId, layouts[i].name, 1, 0);
    packRows(cat);
    if (cat.pages.size() != 1)
        fail(u"Hay demasiadas tablas para el catálogo del sistema."_s);
    cat.usageMap = inlineMap(4, {4});
    cat.freeMap = inlineMap(4, {});

    QList<QByteArray> mapRows;
    for (int i = 0; i < layouts.size(); ++i) {
        layouts[i].usageMapRow = (3u << 8) | quint32(mapRows.size());
        mapRows.append(layouts[i].usageMap);
        layouts[i].freeMapRow = (3u << 8) | quint32(mapRows.size());
        mapRows.append(layouts[i].freeMap);
    }
    int mapBytes = 0;
    for (const QByteArray &r : std::as_const(mapRows))
        mapBytes += int(r.size()) + 2;
    if (mapBytes > PageSize - DataPageHeader)
        fail(u"Hay demasiadas tablas para la página de mapas."_s);

    // Page 1 marks the pages past the end of the file as free.
    QList<quint32> freePages;
    for (quint32 p = pageCount; p < quint32(InlineMapPages); ++p)
        freePages.append(p);
    QByteArray globalMap = dataPage(1, {inlineMap(0, freePages), QByteArray(133, '\0')});

    QByteArray file;
    file.reserve(qsizetype(pageCount) * PageSize);
    file.append(headerPage(*password));
    file.append(globalMap);
    file.append(tableDefinition(cat));
    file.append(dataPage(0, mapRows));
    file.append(dataPage(2, cat.rows));
    for (int i = 1; i < layouts.size(); ++i) {
        const Layout &l = layouts[i];
        file.append(tableDefinition(l));
        for (const QList<int> &rowIndexes : l.pages) {
            QList<QByteArray> rows;
            for (const int r : rowIndexes)
                rows.append(l.rows[r]);
            file.append(dataPage(l.tdefPage, rows));
        }
    }
    for (const QByteArray &map : std::as_const(referencePages))
        file.append(map);
    Q_ASSERT(file.size() == qsizetype(pageCount) * PageSize);
    return file;
}

void JetWriter::writeFile(const QString &path) const {
    const QByteArray bytes = toBytes();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        fail(u"No se puede escribir «%1»: %2"_s.arg(path, file.errorString()));
}
