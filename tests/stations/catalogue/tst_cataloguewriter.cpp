#include "catalogue_fixture.h"
#include "cataloguecsv.h"
#include "catalogueerror.h"
#include "csvreader.h"
#include "jetcatalogue.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using namespace Qt::StringLiterals;
using namespace CatalogueFixture;

namespace {

using Rows = QList<QList<Value>>;

Rows readBack(TableCatalogue &catalogue, const QString &table) {
    CatalogueRecordset rs = catalogue.openRecordset(u"Select * from "_s + table);
    Rows rows;
    while (!rs.atEnd()) {
        QList<Value> row;
        for (const QString &c : rs.columnNames())
            row.append(rs.isNull(c) ? std::nullopt : Value(rs.text(c)));
        rows.append(row);
        rs.moveNext();
    }
    return rows;
}

Rows exported(const QString &file, const QString &table) {
    Rows rows = CsvReader::parse(mdbTool(u"mdb-export"_s, {file, table}));
    if (!rows.isEmpty())
        rows.removeFirst();
    return rows;
}

QString failureOf(const std::function<void()> &f) {
    try {
        f();
    } catch (const std::runtime_error &e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

} // namespace

class TestCatalogueWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsBackThroughMdbtoolsAndOurReader();
    void keepsLargeTablesReadable();
    void refusesWhatJet3CannotHold();
    void readsCsvAsRfc4180();
    void buildsCatalogueFromCsv();
    void shipsTheStationsOfData();

private:
    QTemporaryDir m_dir;
};

void TestCatalogueWriter::readsBackThroughMdbtoolsAndOurReader() {
    // Every length of address from none to 255 characters, so rows cross 256 and 512 bytes
    // in every way the jump table knows, with the characters that tend to get lost.
    const QStringList names = {
        u"Ñandutí FM"_s,           u"Radio L'Estel"_s,          u"L'Alt 'd' Urgell"_s,
        u"\"Comillas\", y coma"_s, u"€ – “tipográficas” … ‰"_s, u"línea\r\nnueva"_s,
        u"áéíóú ÁÉÍÓÚ üÜ ñÑ ¿¡"_s};
    QList<Station> stations;
    for (int i = 0; i <= 255; ++i) {
        const QString url = (u"https://ex.org/"_s + QString(255, u'a')).left(i);
        stations.append({i % 3 ? u"Perú"_s : u"España"_s,
                         names[i % names.size()] + QString::number(i), url,
                         i % 2 ? u"RP"_s : u"WMP"_s});
    }
    stations.append({u"España"_s, QString(), std::nullopt, std::nullopt});
    stations.append({std::nullopt, u"Sin país"_s, QString(255, u'ñ'), u"WMP"_s});
    const QString file = m_dir.filePath(u"roundtrip.mdb"_s);
    QVERIFY(writeFile(file, catalogueBytes({u"España"_s, u"Perú"_s, std::nullopt}, stations)));

    QCOMPARE(mdbTool(u"mdb-ver"_s, {file}), QByteArray("JET3\n"));
    QCOMPARE(mdbTool(u"mdb-tables"_s, {u"-1"_s, file}), QByteArray("Paises\nRadios\n"));
    QCOMPARE(mdbTool(u"mdb-count"_s, {file, u"Radios"_s}).trimmed().toInt(), stations.size());

    Rows expected;
    for (const Station &s : std::as_const(stations))
        expected.append({s.country, s.name, s.url, s.kind});
    QCOMPARE(exported(file, u"Radios"_s), asMdbExportPrints(expected));
    // A row of one Null prints as a blank line; the count tells it is there.
    QCOMPARE(mdbTool(u"mdb-count"_s, {file, u"Paises"_s}).trimmed().toInt(), 3);

    const std::unique_ptr<TableCatalogue> catalogue = JetCatalogue::open(file);
    QCOMPARE(readBack(*catalogue, u"Radios"_s), expected);
    QCOMPARE(readBack(*catalogue, u"Paises"_s), (Rows{{u"España"_s}, {u"Perú"_s}, {std::nullopt}}));
}

void TestCatalogueWriter::keepsLargeTablesReadable() {
    // More data pages than an inline usage map can list.
    QList<Station> stations;
    for (int i = 0; i < 12000; ++i)
        stations.append({u"País %1"_s.arg(i % 200), u"Emisora %1"_s.arg(i),
                         u"https://ex.org/%1/"_s.arg(i) + QString(220, u'x'), u"WMP"_s});
    const QString file = m_dir.filePath(u"large.mdb"_s);
    QVERIFY(writeFile(file, catalogueBytes({u"País 0"_s}, stations)));
    QVERIFY(QFileInfo(file).size() > 1100 * 2048);

    const Rows rows = exported(file, u"Radios"_s);
    QCOMPARE(rows.size(), stations.size());
    QCOMPARE(rows.last().at(1), Value(u"Emisora 11999"_s));
    const std::unique_ptr<TableCatalogue> catalogue = JetCatalogue::open(file);
    CatalogueRecordset rs = catalogue->openRecordset(
        u"Select * from Radios where Pais = 'país 199' and NombreRadio = 'EMISORA 11999'"_s);
    QVERIFY(!rs.atEnd());
    QCOMPARE(rs.text(u"URLRadio"_s), stations.last().url.value());
}

void TestCatalogueWriter::refusesWhatJet3CannotHold() {
    JetWriter writer;
    writer.addTable(u"Radios"_s, {u"NombreRadio"_s});
    QVERIFY(failureOf([&] { writer.addRow(u"Radios"_s, {u"日本の放送"_s}); }).contains(u"1252"_s));
    QVERIFY(
        failureOf([&] { writer.addRow(u"Radios"_s, {QString(256, u'a')}); }).contains(u"255"_s));
    QVERIFY(!failureOf([&] { writer.addRow(u"Radios"_s, {u"a"_s, u"b"_s}); }).isEmpty());
    QVERIFY(!failureOf([&] { writer.addRow(u"Otra"_s, {u"a"_s}); }).isEmpty());
    QVERIFY(!failureOf([&] { writer.addTable(u"radios"_s, {u"x"_s}); }).isEmpty());
    QVERIFY(!failureOf([] { JetWriter(QString(21, u'k')).toBytes(); }).isEmpty());
    QVERIFY(failureOf([&] { writer.addRow(u"Radios"_s, {QString(255, u'€')}); }).isEmpty());
}

void TestCatalogueWriter::readsCsvAsRfc4180() {
    const QByteArray csv = "\xEF\xBB\xBFuno,\"dos, con coma\",\"tres \"\"citado\"\"\"\r\n"
                           ",\"\",\"varias\nlíneas\"\n"
                           "\n"
                           "último,sin,fin";
    const QList<CsvReader::Record> records = CsvReader::parse(csv);
    QCOMPARE(records.size(), 3);
    QCOMPARE(records[0], (CsvReader::Record{u"uno"_s, u"dos, con coma"_s, u"tres \"citado\""_s}));
    // An empty field has no value; "" is an empty text.
    QCOMPARE(records[1], (CsvReader::Record{std::nullopt, QString(), u"varias\nlíneas"_s}));
    QCOMPARE(records[2], (CsvReader::Record{u"último"_s, u"sin"_s, u"fin"_s}));

    QVERIFY(failureOf([] { CsvReader::parse("a,\"abierta\r\n"); }).contains(u"comilla"_s));
    QVERIFY(failureOf([] { CsvReader::parse("a,b\"c\r\n"); }).contains(u"comilla"_s));
    QVERIFY(failureOf([] { CsvReader::parse("\"a\"b\r\n"); }).contains(u"comilla"_s));
    QVERIFY(failureOf([] { CsvReader::parse("\xFF\xFE"); }).contains(u"UTF-8"_s));
}

void TestCatalogueWriter::buildsCatalogueFromCsv() {
    const QByteArray csv = "Pais,NombreRadio,URLRadio,Medio\n"
                           "Perú,RPP,http://rpp/,WMP\n"
                           "España,COPE,http://cope/,RP\n"
                           "PERÚ,Exitosa,http://exitosa/,WMP\n"
                           "España,\"Radio L'Estel\",http://estel/,\n";
    const QString file = m_dir.filePath(u"fromcsv.mdb"_s);
    CatalogueCsv::toWriter(csv).writeFile(file);
    // Each country once, as first written, in the order met.
    QCOMPARE(exported(file, u"Paises"_s), (Rows{{u"Perú"_s}, {u"España"_s}}));
    const Rows stations = exported(file, u"Radios"_s);
    QCOMPARE(stations.size(), 4);
    QCOMPARE(stations[3],
             (QList<Value>{u"España"_s, u"Radio L'Estel"_s, u"http://estel/"_s, std::nullopt}));

    QVERIFY(failureOf([] {
                CatalogueCsv::toWriter("Pais,Nombre,URL,Medio\n");
            }).contains(u"primera línea"_s));
    QVERIFY(failureOf([] {
                CatalogueCsv::toWriter(
                    "Pais,NombreRadio,URLRadio,Medio\nPerú,RPP,http://rpp/,wmp\n");
            }).contains(u"Registro 2"_s));
    QVERIFY(failureOf([] {
                CatalogueCsv::toWriter("Pais,NombreRadio,URLRadio,Medio\nPerú,RPP,http://rpp/\n");
            }).contains(u"Registro 2"_s));
}

void TestCatalogueWriter::shipsTheStationsOfData() {
    // The build writes the program's catalogue from data/radios.csv.
    const QString shipped = QStringLiteral(SV_PROGRAM_DIR "/RadioStore.mdb");
    QFile source(QStringLiteral(SV_SOURCE_DIR "/data/radios.csv"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QList<CsvReader::Record> records = CsvReader::parse(source.readAll());
    records.removeFirst();
    QVERIFY(QFileInfo::exists(shipped));
    const std::unique_ptr<TableCatalogue> catalogue = JetCatalogue::open(shipped);
    QCOMPARE(readBack(*catalogue, u"Radios"_s), records);

    // Both players are used: about a third of the stations play through RealPlayer's.
    qsizetype rp = 0;
    for (const CsvReader::Record &r : std::as_const(records))
        rp += r[3] == u"RP"_s ? 1 : 0;
    QVERIFY(rp * 4 > records.size() && rp * 5 < records.size() * 2);
}

QTEST_GUILESS_MAIN(TestCatalogueWriter)
#include "tst_cataloguewriter.moc"
