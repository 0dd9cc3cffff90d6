#include "jetfile.h"

#include "catalogueerror.h"
#include "windows1252.h"

#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr quint8 TypeBool = 0x01;
constexpr quint8 TypeInteger = 0x03;
constexpr quint8 TypeLong = 0x04;
constexpr quint8 TypeText = 0x0A;

constexpr int HeaderBlock = 0x18;
constexpr int HeaderBlockSize = 126;
constexpr int OffsetMask = 0x1FFF;
constexpr int DataPageRows = 8;
constexpr int MaxPageRows = 1000; // libmdb gives up on rows past this one
constexpr int InlineMapHeader = 5;
constexpr int ReferenceMapBits = (JetFile::PageSize - 4) * 8;
constexpr int MaxDefinitionPages = 64;

quint16 u16(const uchar *p) {
    return quint16(p[0] | (p[1] << 8));
}
quint32 u32(const uchar *p) {
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

void rc4(const uchar *key, int keySize, uchar *data, int length) {
    uchar s[256];
    for (int i = 0; i < 256; ++i)
        s[i] = uchar(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % keySize]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < length; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[n] ^= s[(s[i] + s[j]) & 0xFF];
    }
}

QString fromCp1252(const uchar *bytes, int size) {
    return Windows1252::decode(reinterpret_cast<const char *>(bytes), size);
}

} // namespace

JetFile::JetFile(const QByteArray &bytes, const QString &label, const QString &password)
    : m_bytes(bytes)
    , m_label(label) {
    readHeader(password);
    readSystemCatalogue();
}

void JetFile::damaged(const QString &why) const {
    throw CatalogueError(u"El catálogo de emisoras «%1» está dañado: %2."_s.arg(m_label, why));
}

void JetFile::readHeader(const QString &password) {
    const auto *b = reinterpret_cast<const uchar *>(m_bytes.constData());
    const qsizetype size = m_bytes.size();
    static const QByteArray jet3Magic("\x00\x01\x00\x00Standard Jet DB\x00", 20);
    static const QByteArray aceMagic("\x00\x01\x00\x00Standard ACE DB\x00", 20);
    const QByteArray start = m_bytes.left(20);
    if (start == aceMagic)
        throw CatalogueError(
            u"El archivo «%1» es una base de datos de Access 2007 o posterior (ACE); el catálogo de emisoras debe ser una base de datos Jet 3 (Access 97)."_s
                .arg(m_label));
    if (start != jet3Magic)
        throw CatalogueError(
            u"El archivo «%1» no es una base de datos de Access (Jet); el catálogo de emisoras debe ser una base de datos Jet 3 (Access 97)."_s
                .arg(m_label));
    if (size <= 0x14)
        damaged(u"el archivo está cortado"_s);
    if (b[0x14] != 0)
        throw CatalogueError(
            u"El archivo «%1» es una base de datos de Access 2000 o posterior (Jet 4 o ACE); el catálogo de emisoras debe ser una base de datos Jet 3 (Access 97)."_s
                .arg(m_label));
    // Header, the page of catalogue's definition, its maps and rows at the least.
    if (size < 5 * PageSize || size % PageSize != 0)
        damaged(u"el archivo está cortado o tiene un tamaño que no es de Jet 3"_s);
    m_pageCount = quint32(size / PageSize);

    // The header block from 0x18 is masked with a fixed RC4 key stream.
    uchar block[HeaderBlockSize];
    std::copy(b + HeaderBlock, b + HeaderBlock + HeaderBlockSize, block);
    static const uchar headerKey[] = {0xC7, 0xDA, 0x39, 0x6B};
    rc4(headerKey, 4, block, HeaderBlockSize);
    const auto at = [&](int offset) { return block + offset - HeaderBlock; };

    // The password, up to 20 bytes, ends at its first zero byte once unmasked.
    const uchar *stored = at(0x42);
    int length = 0;
    while (length < 20 && stored[length] != 0)
        ++length;
    const QString filePassword = fromCp1252(stored, length);
    if (!filePassword.isEmpty() && filePassword != password)
        throw CatalogueError(
            u"El catálogo de emisoras «%1» está protegido con una contraseña distinta de la del programa."_s
                .arg(m_label));

    m_codePage = u16(at(0x3C));
    if (m_codePage != 0 && m_codePage != 1252) {
        m_otherCodePage.emplace(QByteArray("windows-" + QByteArray::number(m_codePage)).constData(),
                                QStringDecoder::Flag::Stateless);
        if (!m_otherCodePage->isValid())
            damaged(u"su página de códigos %1 no se puede leer"_s.arg(m_codePage));
    }

    // With a database key every page after the header is RC4-encoded with the key and its
    // page number; our copy is decoded once, libmdb decodes its own.
    const quint32 key = u32(at(0x3E));
    if (key != 0) {
        auto *pages = reinterpret_cast<uchar *>(m_bytes.data());
        for (quint32 n = 1; n < m_pageCount; ++n) {
            const quint32 k = key ^ n;
            const uchar pageKey[] = {uchar(k), uchar(k >> 8), uchar(k >> 16), uchar(k >> 24)};
            rc4(pageKey, 4, pages + qsizetype(n) * PageSize, PageSize);
        }
    }
}

const uchar *JetFile::page(quint32 number) const {
    Q_ASSERT(number < m_pageCount);
    return reinterpret_cast<const uchar *>(m_bytes.constData()) + qsizetype(number) * PageSize;
}

QString JetFile::decodeText(const uchar *bytes, int size) const {
    if (!m_otherCodePage)
        return fromCp1252(bytes, size);
    return m_otherCodePage->decode(QByteArrayView(bytes, size));
}

// A row located by page and row number, as libmdb locates usage maps.
JetFile::RowSpan JetFile::findRow(quint32 pageRow, const QString &what) const {
    const quint32 number = pageRow >> 8;
    const int row = int(pageRow & 0xFF);
    if (number == 0 || number >= m_pageCount)
        damaged(u"%1 está en una página que no existe"_s.arg(what));
    const uchar *p = page(number);
    const int rows = u16(p + DataPageRows);
    if (p[0] != 0x01 || row >= rows || 10 + 2 * rows > PageSize)
        damaged(u"%1 señala una fila que no existe"_s.arg(what));
    const int start = u16(p + 10 + 2 * row) & OffsetMask;
    const int next = row == 0 ? PageSize : (u16(p + 10 + 2 * (row - 1)) & OffsetMask);
    if (start >= PageSize || start > next || start < 10 + 2 * rows)
        damaged(u"%1 está fuera de su página"_s.arg(what));
    return {p, start, next - start};
}

JetFile::Table JetFile::readTableDefinition(quint32 number, const QString &name) const {
    const QString what = u"la definición de la tabla «%1»"_s.arg(name);
    if (number == 0 || number >= m_pageCount)
        damaged(u"%1 está en una página que no existe"_s.arg(what));
    // A long definition continues on further pages, each from its byte 8.
    QByteArray def(reinterpret_cast<const char *>(page(number)), PageSize);
    if (uchar(def[0]) != 0x02)
        damaged(u"%1 no está donde el catálogo dice"_s.arg(what));
    QSet<quint32> seen{number};
    for (quint32 next = u32(page(number) + 4); next != 0;) {
        if (next >= m_pageCount || seen.contains(next) || seen.size() >= MaxDefinitionPages ||
            page(next)[0] != 0x02)
            damaged(u"%1 sigue en una página que no lo es"_s.arg(what));
        seen.insert(next);
        def.append(reinterpret_cast<const char *>(page(next)) + 8, PageSize - 8);
        next = u32(page(next) + 4);
    }
    const auto *d = reinterpret_cast<const uchar *>(def.constData());
    const qsizetype end = def.size();

    Table table;
    table.name = name;
    table.page = number;
    table.varColumns = u16(d + 23);
    const int columnCount = u16(d + 25);
    const quint32 realIndexes = u32(d + 31);
    if (columnCount == 0 || columnCount > 255 || realIndexes > 1000)
        damaged(u"%1 tiene cuentas imposibles"_s.arg(what));
    qsizetype pos = 43 + qsizetype(realIndexes) * 8;
    if (pos + qsizetype(columnCount) * 18 > end)
        damaged(u"%1 está cortada"_s.arg(what));
    QSet<int> numbers;
    for (int i = 0; i < columnCount; ++i, pos += 18) {
        Column c;
        c.type = d[pos];
        c.number = d[pos + 1];
        c.varIndex = u16(d + pos + 3);
        c.fixed = (d[pos + 13] & 0x01) != 0;
        c.fixedOffset = u16(d + pos + 14);
        c.size = c.type == TypeBool ? 0 : u16(d + pos + 16);
        // Types Jet 3 writes: Boolean to Memo, Replication ID, Numeric.
        const bool knownType =
            (c.type >= 0x01 && c.type <= 0x0C) || c.type == 0x0F || c.type == 0x10;
        if (!knownType || numbers.contains(c.number) ||
            (c.fixed && c.fixedOffset + c.size > PageSize))
            damaged(u"%1 tiene columnas imposibles"_s.arg(what));
        numbers.insert(c.number);
        table.columns.append(c);
    }
    for (Column &c : table.columns) {
        const int length = pos < end ? d[pos] : 0;
        if (pos + 1 + length > end)
            damaged(u"%1 está cortada"_s.arg(what));
        c.name = decodeText(d + pos + 1, length);
        pos += 1 + length;
    }
    std::stable_sort(table.columns.begin(), table.columns.end(),
                     [](const Column &a, const Column &b) { return a.number < b.number; });

    // libmdb copies both maps and walks the usage map: an empty one would crash it.
    const RowSpan map = findRow(u32(d + 35), u"el mapa de páginas de la tabla «%1»"_s.arg(name));
    const bool inlineMap = map.page[map.start] == 0;
    const bool referenceMap = map.page[map.start] == 1;
    if ((!inlineMap && !referenceMap) || (inlineMap && map.size < InlineMapHeader) ||
        (referenceMap && map.size < 1))
        damaged(u"el mapa de páginas de la tabla «%1» no es válido"_s.arg(name));
    findRow(u32(d + 39), u"el mapa de espacio libre de la tabla «%1»"_s.arg(name));
    return table;
}

// The pages the usage map lists, in the order libmdb visits them.
QList<quint32> JetFile::usedPages(const Table &table) const {
    const QString what = u"el mapa de páginas de la tabla «%1»"_s.arg(table.name);
    const uchar *def = page(table.page);
    const RowSpan span = findRow(u32(def + 35), what);
    const uchar *map = span.page + span.start;
    QList<quint32> pages;
    const auto add = [&](quint64 p) {
        if (p >= m_pageCount)
            damaged(u"%1 señala páginas fuera del archivo"_s.arg(what));
        pages.append(quint32(p));
    };
    if (map[0] == 0) {
        const quint32 start = u32(map + 1);
        const int bits = (span.size - InlineMapHeader) * 8;
        // libmdb starts looking after page 0.
        for (int i = start == 0 ? 1 : 0; i < bits; ++i) {
            if (map[InlineMapHeader + i / 8] & (1 << (i % 8)))
                add(quint64(start) + quint64(i));
        }
    } else {
        const int mapPages = (span.size - 1) / 4;
        for (int m = 0; m < mapPages; ++m) {
            const quint32 mapPage = u32(map + 1 + 4 * m);
            if (mapPage == 0)
                continue;
            if (mapPage >= m_pageCount || page(mapPage)[0] != 0x05)
                damaged(u"%1 señala una página de mapa que no lo es"_s.arg(what));
            const uchar *bitmap = page(mapPage) + 4;
            for (int i = m == 0 ? 1 : 0; i < ReferenceMapBits; ++i) {
                if (bitmap[i / 8] & (1 << (i % 8)))
                    add(quint64(m) * ReferenceMapBits + quint64(i));
            }
        }
    }
    return pages;
}

bool JetFile::crackRow(const uchar *p, int s, int size, const Table &table, QList<Field> &fields) {
    fields.resize(table.columns.size());
    if (size < 1)
        return false;
    const int rowColumns = p[s];
    const int maskBytes = (rowColumns + 7) / 8;
    const int rowEnd = s + size - 1;
    if (1 + maskBytes > size)
        return false;
    const uchar *nullMask = p + rowEnd - maskBytes + 1;

    // Variable columns: one-byte offsets from the last to the first, before them the end of
    // the data; a jump table counts how often the offsets passed a multiple of 256. The last
    // jump byte may be a filler, which readers recognise by the end of the data.
    int rowVarColumns = 0;
    int offsets[257] = {};
    if (table.varColumns > 0) {
        if (2 + maskBytes > size)
            return false;
        rowVarColumns = p[rowEnd - maskBytes];
        if (rowVarColumns > rowColumns)
            return false;
        int jumps = (size - 1) / 256;
        const int columnPointer = rowEnd - maskBytes - jumps - 1;
        const int endOfData = columnPointer - rowVarColumns;
        if (endOfData < s + 1)
            return false;
        if ((endOfData - s) / 256 < jumps)
            --jumps;
        int used = 0;
        for (int i = 0; i <= rowVarColumns; ++i) {
            while (used < jumps && i == p[rowEnd - maskBytes - used - 1])
                ++used;
            offsets[i] = p[columnPointer - i] + used * 256;
        }
        if (offsets[0] < 1 || offsets[rowVarColumns] > endOfData - s)
            return false;
        for (int i = 0; i < rowVarColumns; ++i) {
            if (offsets[i] > offsets[i + 1])
                return false;
        }
    }

    const int rowFixedColumns = rowColumns - rowVarColumns;
    int fixedFound = 0;
    for (qsizetype i = 0; i < table.columns.size(); ++i) {
        const Column &c = table.columns[i];
        Field &f = fields[i];
        f = Field();
        if (c.fixed && fixedFound < rowFixedColumns) {
            f.start = s + 1 + c.fixedOffset;
            f.size = c.size;
            ++fixedFound;
        } else if (!c.fixed && c.varIndex < rowVarColumns) {
            f.start = s + offsets[c.varIndex];
            f.size = offsets[c.varIndex + 1] - offsets[c.varIndex];
        } else {
            continue;
        }
        if (f.start + f.size > s + size)
            return false;
        f.null = c.number >= rowColumns || !(nullMask[c.number / 8] & (1 << (c.number % 8)));
    }
    return true;
}

void JetFile::visitRows(Table &table, const RowVisitor &visit) const {
    // libmdb walks the pages even when the definition counts no rows.
    table.rows = 0;
    const QString what = u"los datos de la tabla «%1»"_s.arg(table.name);
    QList<Field> fields;
    for (const quint32 number : usedPages(table)) {
        const uchar *p = page(number);
        // A listed page that is not this table's is passed over, as libmdb does.
        if (p[0] != 0x01 || u32(p + 4) != table.page)
            continue;
        const int rows = u16(p + DataPageRows);
        if (rows > MaxPageRows || 10 + 2 * rows > PageSize)
            damaged(u"%1 tienen una página imposible"_s.arg(what));
        for (int r = 0; r < rows; ++r) {
            const int raw = u16(p + 10 + 2 * r);
            const int start = raw & OffsetMask;
            const int next = r == 0 ? PageSize : (u16(p + 10 + 2 * (r - 1)) & OffsetMask);
            if (start >= PageSize || start > next)
                damaged(u"%1 tienen una fila fuera de su página"_s.arg(what));
            if (start == next || (raw & 0x4000))
                continue; // deleted
            if (raw & 0x8000)
                damaged(u"%1 tienen una fila desbordada, que no se puede leer"_s.arg(what));
            if (start < 10 + 2 * rows || !crackRow(p, start, next - start, table, fields))
                damaged(u"%1 tienen una fila que no es válida"_s.arg(what));
            ++table.rows;
            if (visit)
                visit(p, fields);
        }
    }
}

void JetFile::readSystemCatalogue() {
    // libmdb takes the system catalogue's definition from page 2.
    m_system = readTableDefinition(2, u"MSysObjects"_s);
    const auto column = [&](const char *name, quint8 type, quint16 size) {
        for (qsizetype i = 0; i < m_system.columns.size(); ++i) {
            const Column &c = m_system.columns[i];
            if (c.name.compare(QLatin1StringView(name), Qt::CaseInsensitive) == 0) {
                if (c.type != type || (size != 0 && (!c.fixed || c.size != size)))
                    break;
                return i;
            }
        }
        damaged(u"el catálogo del sistema no tiene una columna %1 válida"_s.arg(
            QLatin1StringView(name)));
    };
    const qsizetype id = column("Id", TypeLong, 4);
    const qsizetype name = column("Name", TypeText, 0);
    const qsizetype type = column("Type", TypeInteger, 2);
    const qsizetype flags = column("Flags", TypeLong, 4);

    struct Entry {
        QString name;
        quint32 page;
    };
    QList<Entry> entries;
    visitRows(m_system, [&](const uchar *p, const QList<Field> &f) {
        if (f[id].null || f[name].null || f[type].null)
            return;
        const qint32 objectFlags = f[flags].null ? 0 : qint32(u32(p + f[flags].start));
        const bool table = (u16(p + f[type].start) & 0x7F) == 1;
        const bool system = (quint32(objectFlags) & 0x80000002u) != 0;
        if (table && !system)
            entries.append(
                {decodeText(p + f[name].start, f[name].size), u32(p + f[id].start) & 0x00FFFFFFu});
    });
    for (const Entry &e : std::as_const(entries)) {
        Table t = readTableDefinition(e.page, e.name);
        visitRows(t, {});
        m_tables.append(t);
    }
}
