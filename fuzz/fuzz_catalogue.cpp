// The catalogue file on arbitrary bytes: the header and password check, our own check of
// every structure libmdb follows, then libmdb reading from the same bytes. Whatever the
// bytes, the outcome is a catalogue or a CatalogueError, never a crash.

#include "catalogueerror.h"
#include "jetcatalogue.h"

#include <cstdint>

using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const auto catalogue = JetCatalogue::read(bytes, u"fuzz.mdb"_s);
        for (const QString &table : catalogue->tableNames()) {
            CatalogueRecordset rs = catalogue->openRecordset(u"Select * from [%1]"_s.arg(table));
            const QStringList columns = rs.columnNames();
            for (; !rs.atEnd(); rs.moveNext()) {
                for (const QString &column : columns) {
                    if (!rs.isNull(column))
                        rs.text(column);
                }
            }
        }
    } catch (const CatalogueError &) {
    }
    return 0;
}
