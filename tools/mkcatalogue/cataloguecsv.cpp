#include "cataloguecsv.h"

#include "catalogueschema.h"
#include "csvreader.h"

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace CatalogueCsv {

namespace {

// Names end up in the settings file and in one-line lists: a line break or another control
// character in one would split it. Index of the first such character, or -1.
qsizetype controlAt(const CsvReader::Field &field) {
    if (!field)
        return -1;
    for (qsizetype i = 0; i < field->size(); ++i) {
        const char16_t u = field->at(i).unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029)
            return i;
    }
    return -1;
}

} // namespace

JetWriter toWriter(const QByteArray &csv, const QString &password) {
    QList<int> lines;
    const QList<CsvReader::Record> records = CsvReader::parse(csv, &lines);
    const QStringList columns = CatalogueSchema::RadiosColumns();
    QStringList header;
    if (!records.isEmpty()) {
        for (const CsvReader::Field &f : records.first())
            header.append(f.value_or(QString()));
    }
    if (header != columns)
        throw std::runtime_error(
            u"La primera línea debe ser «%1»."_s.arg(columns.join(u',')).toStdString());

    JetWriter writer(password);
    writer.addTable(CatalogueSchema::Paises, {CatalogueSchema::Paises});
    writer.addTable(CatalogueSchema::Radios, columns);
    QStringList countries;
    for (qsizetype i = 1; i < records.size(); ++i) {
        const CsvReader::Record &r = records[i];
        const auto fail = [&](const QString &what) {
            throw std::runtime_error(
                u"Registro %1, línea %2: %3"_s.arg(i + 1).arg(lines[i]).arg(what).toStdString());
        };
        if (r.size() != columns.size())
            fail(u"tiene %1 campos en vez de %2."_s.arg(r.size()).arg(columns.size()));
        for (int c : {0, 1}) {
            if (const qsizetype at = controlAt(r[c]); at >= 0)
                fail(u"%1 lleva un carácter de control (U+%2) en la posición %3."_s.arg(columns[c])
                         .arg(QString::number(r[c]->at(at).unicode(), 16)
                                  .toUpper()
                                  .rightJustified(4, u'0'))
                         .arg(at + 1));
        }
        const CsvReader::Field &medio = r[3];
        if (medio && *medio != u"WMP"_s && *medio != u"RP"_s)
            fail(u"el medio «%1» no es «WMP» ni «RP»."_s.arg(*medio));
        const CsvReader::Field &country = r[0];
        if (country) {
            bool known = false;
            for (const QString &c : std::as_const(countries))
                known = known || c.compare(*country, Qt::CaseInsensitive) == 0;
            if (!known) {
                countries.append(*country);
                writer.addRow(CatalogueSchema::Paises, {*country});
            }
        }
        try {
            writer.addRow(CatalogueSchema::Radios, r);
        } catch (const std::runtime_error &e) {
            fail(QString::fromUtf8(e.what()));
        }
    }
    return writer;
}

} // namespace CatalogueCsv
