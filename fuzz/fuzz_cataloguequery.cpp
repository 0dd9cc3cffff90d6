// Query texts and the values they compare and sort. The input is the query, then, after a
// zero byte, the texts of a table "Radios" of three columns, separated by zero bytes; an
// empty text there is a Null value.

#include "catalogueerror.h"
#include "tablecatalogue.h"

#include <cstdint>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

CatalogueTable countries() {
    CatalogueTable t;
    t.name = u"Paises"_s;
    t.columns = {u"Paises"_s};
    for (const QString &c : {u"España"_s, u"Argentina"_s, u"Perú"_s, u"Côte d'Ivoire"_s})
        t.rows.append({c});
    t.rows.append({std::nullopt});
    t.rows.append({QString()});
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> parts = input.split('\0');

    CatalogueTable radios;
    radios.name = u"Radios"_s;
    radios.columns = {u"Pais"_s, u"NombreRadio"_s, u"URLRadio"_s};
    for (qsizetype i = 1; i + 2 < parts.size() && radios.rows.size() < 64; i += 3) {
        CatalogueRow row;
        for (qsizetype j = i; j < i + 3; ++j)
            row.append(parts[j].isEmpty() ? CatalogueValue() : QString::fromUtf8(parts[j]));
        radios.rows.append(row);
    }

    TableCatalogue catalogue({countries(), radios}, u"fuzz.mdb"_s);
    try {
        CatalogueRecordset rs = catalogue.openRecordset(QString::fromUtf8(parts[0]));
        const QStringList columns = rs.columnNames();
        qsizetype seen = 0;
        for (; !rs.atEnd(); rs.moveNext(), ++seen) {
            for (const QString &column : columns) {
                if (!rs.isNull(column))
                    rs.text(column);
            }
        }
        if (seen != rs.rowCount())
            abort();
    } catch (const CatalogueError &) {
    }
    return 0;
}
