#include "catalogue_fixture.h"
#include "catalogueerror.h"
#include "csvreader.h"
#include "jetcatalogue.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace CatalogueFixture;

namespace {

const QString sampleDir = QStringLiteral(SV_SHARED_DIR "/testdata/jet3");

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every row of a table as our reader returns it.
QList<CsvReader::Record> readThroughCatalogue(TableCatalogue &catalogue, const QString &table,
                                              QStringList *columns) {
    CatalogueRecordset rs = catalogue.openRecordset(u"Select * from [%1]"_s.arg(table));
    *columns = rs.columnNames();
    QList<CsvReader::Record> rows;
    while (!rs.atEnd()) {
        CsvReader::Record row;
        for (const QString &c : std::as_const(*columns))
            row.append(rs.isNull(c) ? std::nullopt : CsvReader::Field(rs.text(c)));
        rows.append(row);
        rs.moveNext();
    }
    return rows;
}

// What opening gives: empty when the file opened, else the error's message.
QString openError(const QString &path,
                  const QString &password = QString::fromUtf16(JetCatalogue::Password)) {
    try {
        JetCatalogue::open(path, password);
    } catch (const CatalogueError &e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestJetCatalogue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }

    void readsAccessFilesAsMdbExportPrintsThem_data();
    void readsAccessFilesAsMdbExportPrintsThem();
    void checksTheDatabasePassword();
    void refusesFilesThatAreNotJet3_data();
    void refusesFilesThatAreNotJet3();
    void refusesDamagedFilesWithoutCrashing();
    void survivesRandomDamage();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

void TestJetCatalogue::readsAccessFilesAsMdbExportPrintsThem_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("password");
    QTest::newRow("deleted rows") << u"delTestV1997.mdb"_s << QString();
    QTest::newRow("all column types") << u"testV1997.mdb"_s << QString();
    QTest::newRow("encoded pages") << u"db97-enc.mdb"_s << QString();
    QTest::newRow("password set") << u"delTestV1997_pw-derived.mdb"_s << u"Clave97Jet"_s;
}

void TestJetCatalogue::readsAccessFilesAsMdbExportPrintsThem() {
    QFETCH(QString, file);
    QFETCH(QString, password);
    const QString mdb = sampleDir + u'/' + file;
    std::unique_ptr<TableCatalogue> catalogue;
    try {
        catalogue =
            password.isEmpty() ? JetCatalogue::open(mdb) : JetCatalogue::open(mdb, password);
    } catch (const CatalogueError &e) {
        QFAIL(qPrintable(e.message()));
    }

    const QStringList tables = QString::fromUtf8(mdbTool(u"mdb-tables"_s, {u"-1"_s, mdb}))
                                   .split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!tables.isEmpty());
    QCOMPARE(catalogue->tableNames(), tables);
    for (const QString &table : tables) {
        QList<CsvReader::Record> expected =
            CsvReader::parse(mdbTool(u"mdb-export"_s, {mdb, table}));
        QVERIFY(!expected.isEmpty());
        const CsvReader::Record header = expected.takeFirst();
        QStringList columns;
        const QList<CsvReader::Record> rows = readThroughCatalogue(*catalogue, table, &columns);
        QCOMPARE(columns.size(), header.size());
        for (qsizetype i = 0; i < columns.size(); ++i)
            QCOMPARE(columns[i], header[i].value_or(QString()));
        QCOMPARE(asMdbExportPrints(rows), expected);
    }
}

void TestJetCatalogue::checksTheDatabasePassword() {
    const QString protectedSample = sampleDir + u"/delTestV1997_pw-derived.mdb"_s;
    const QString refused = openError(protectedSample);
    QVERIFY(refused.contains(protectedSample));
    QVERIFY(refused.contains(u"contraseña"_s));
    QVERIFY(openError(protectedSample, u"clave97jet"_s).contains(u"contraseña"_s));
    QVERIFY(openError(protectedSample, u"Clave97Jet"_s).isEmpty());

    // Jet opens a file without a password whatever password is given.
    QVERIFY(openError(sampleDir + u"/delTestV1997.mdb"_s).isEmpty());

    const QList<Station> stations = {{u"España"_s, u"Cadena SER"_s, u"http://a/"_s, u"WMP"_s}};
    QVERIFY(writeFile(path(u"ours.mdb"_s), catalogueBytes({u"España"_s}, stations)));
    QVERIFY(openError(path(u"ours.mdb"_s)).isEmpty());
    QVERIFY(
        writeFile(path(u"other.mdb"_s), catalogueBytes({u"España"_s}, stations, u"Kal7.dvQ43"_s)));
    QVERIFY(openError(path(u"other.mdb"_s)).contains(u"contraseña"_s));
    QVERIFY(writeFile(path(u"longer.mdb"_s),
                      catalogueBytes({u"España"_s}, stations, u"Kal7.dvQ42x"_s)));
    QVERIFY(openError(path(u"longer.mdb"_s)).contains(u"contraseña"_s));
}

void TestJetCatalogue::refusesFilesThatAreNotJet3_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QByteArray ours = catalogueBytes({u"España"_s}, {});
    QByteArray jet4 = ours;
    jet4[0x14] = 0x01;
    QByteArray ace = ours;
    ace.replace(4, 16, QByteArray("Standard ACE DB\0", 16));
    ace[0x14] = 0x02;
    QTest::newRow("empty") << QByteArray() << u"no es una base de datos"_s;
    QTest::newRow("text") << QByteArray("Pais,NombreRadio\r\nEspaña,COPE\r\n")
                          << u"no es una base de datos"_s;
    QTest::newRow("Jet 4") << jet4 << u"Jet 4"_s;
    QTest::newRow("ACE") << ace << u"ACE"_s;
    QTest::newRow("header only") << ours.left(2048) << u"dañado"_s;
    QTest::newRow("cut inside a page") << ours.left(ours.size() - 100) << u"dañado"_s;
    QTest::newRow("cut at a page") << ours.left(ours.size() - 2048) << u"dañado"_s;
}

void TestJetCatalogue::refusesFilesThatAreNotJet3() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString file = path(u"RadioStore.mdb"_s);
    QVERIFY(writeFile(file, bytes));
    const QString message = openError(file);
    QVERIFY2(message.contains(expected), qPrintable(message));
    QVERIFY(message.contains(file));
}

void TestJetCatalogue::refusesDamagedFilesWithoutCrashing() {
    QVERIFY(openError(path(u"missing.mdb"_s)).startsWith(u"No se encuentra"_s));
    QVERIFY(openError(m_dir.path()).contains(u"no es un archivo"_s));

    const QByteArray good = catalogueBytes({u"España"_s, u"Perú"_s},
                                           {{u"España"_s, u"COPE"_s, u"http://a/"_s, u"RP"_s}});
    QVERIFY(writeFile(path(u"good.mdb"_s), good));
    QVERIFY(openError(path(u"good.mdb"_s)).isEmpty());

    // Each of these would send libmdb astray: the catalogue's definition page, a usage map
    // of no bytes, a map that lists pages past the end, a row that overruns its page, a
    // table definition cut short, a table whose definition page is not one.
    const auto damage = [&](const QString &name, const std::function<void(QByteArray &)> &edit) {
        QByteArray bytes = good;
        edit(bytes);
        const QString file = path(name);
        QVERIFY(writeFile(file, bytes));
        const QString message = openError(file);
        QVERIFY2(message.contains(u"dañado"_s) && message.contains(file),
                 qPrintable(name + message));
    };
    const auto put16 = [](QByteArray &b, int at, int v) {
        b[at] = char(v & 0xFF);
        b[at + 1] = char(v >> 8);
    };
    damage(u"page2.mdb"_s, [](QByteArray &b) { b[2 * 2048] = 0x01; });
    damage(u"emptymap.mdb"_s, [&](QByteArray &b) {
        // Page 3 holds the maps; row 2, the usage map of Paises, ends where it starts.
        const int row1 = uchar(b[3 * 2048 + 12]) | (uchar(b[3 * 2048 + 13]) << 8);
        put16(b, 3 * 2048 + 14, row1);
    });
    damage(u"mappast.mdb"_s, [](QByteArray &b) {
        const int row0 = uchar(b[3 * 2048 + 10]) | (uchar(b[3 * 2048 + 11]) << 8);
        b[3 * 2048 + row0 + 1] = char(0x40); // start page far past the end
    });
    damage(u"rowpast.mdb"_s, [&](QByteArray &b) { put16(b, 4 * 2048 + 10, 0x1FFF); });
    damage(u"columns.mdb"_s, [&](QByteArray &b) { put16(b, 5 * 2048 + 25, 200); });
    damage(u"tdef.mdb"_s, [](QByteArray &b) { b[5 * 2048] = 0x01; });
}

void TestJetCatalogue::survivesRandomDamage() {
    // Bytes changed at random in a good catalogue, and random files: opening either works or
    // reports an error; it never crashes.
    QList<Station> stations;
    for (int i = 0; i < 40; ++i)
        stations.append({i % 2 ? u"España"_s : u"Perú"_s, u"Radio %1"_s.arg(i),
                         u"https://example.org/"_s + QString(200, u'x'), u"WMP"_s});
    const QByteArray good = catalogueBytes({u"España"_s, u"Perú"_s}, stations);
    const QByteArray genuine = readFile(sampleDir + u"/testV1997.mdb"_s);
    QVERIFY(!genuine.isEmpty());
    QRandomGenerator random(20240611);
    const QString file = path(u"fuzz.mdb"_s);
    int opened = 0;

    // libmdb reports on stderr what it could not read; after our checks it must find nothing
    // wrong, beyond passing over a page its map lists for another table.
    const QString complaints = path(u"stderr.txt"_s);
    {
        fflush(stderr);
        const int savedStderr = dup(2);
        FILE *log = fopen(QFile::encodeName(complaints).constData(), "w");
        QVERIFY(log);
        dup2(fileno(log), 2);
        const auto restoreStderr = qScopeGuard([&] {
            fflush(stderr);
            dup2(savedStderr, 2);
            close(savedStderr);
            fclose(log);
        });
        for (int round = 0; round < 400; ++round) {
            QByteArray bytes = round % 2 ? good : genuine;
            const int changes = 1 + int(random.bounded(8));
            for (int c = 0; c < changes; ++c) {
                // Mostly past the header, where the structures are.
                const qsizetype at = 2048 + qsizetype(random.bounded(quint32(bytes.size() - 2048)));
                bytes[at] = char(random.bounded(256));
            }
            QVERIFY(writeFile(file, bytes));
            const QString message = openError(file, u"Kal7.dvQ42"_s);
            opened += message.isEmpty() ? 1 : 0;
        }
        for (int round = 0; round < 20; ++round) {
            QByteArray bytes(2048 * qsizetype(1 + random.bounded(12)), '\0');
            for (char &b : bytes)
                b = char(random.bounded(256));
            if (round % 2)
                bytes.replace(0, 20, good.left(20));
            QVERIFY(writeFile(file, bytes));
            QVERIFY(!openError(file).isEmpty());
        }
    }
    for (const QByteArray &line : readFile(complaints).split('\n')) {
        if (!line.isEmpty() && !line.contains("doesn't match"))
            QFAIL(line.constData());
    }
    qInfo("%d of 400 damaged files still opened", opened);
}

QTEST_GUILESS_MAIN(TestJetCatalogue)
#include "tst_jetcatalogue.moc"
