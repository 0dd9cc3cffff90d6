#include "catalogue_fixture.h"
#include "cataloguecsv.h"
#include "catalogueerror.h"
#include "csvreader.h"
#include "jetcatalogue.h"
#include "session.h"
#include "stationlists.h"
#include "testfiles.h"

#include <QComboBox>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QTest>

#include <array>
#include <functional>
#include <tuple>

using namespace Qt::StringLiterals;
using namespace CatalogueFixture;

namespace {

const QString sampleDir = QStringLiteral(SV_SOURCE_DIR "/tests/data/jet3");

// A query's rows, the column names first; as mdb-export prints them, an empty text is nothing.
Rows readBack(TableCatalogue &catalogue, const QString &query, bool asMdbExport = false) {
    CatalogueRecordset rs = catalogue.openRecordset(query);
    const QStringList columns = rs.columnNames();
    Rows rows{Row(columns.begin(), columns.end())};
    for (; !rs.atEnd(); rs.moveNext()) {
        Row &row = rows.emplace_back();
        for (const QString &c : columns)
            row.append(rs.isNull(c) || (asMdbExport && rs.text(c).isEmpty()) ? std::nullopt
                                                                             : Value(rs.text(c)));
    }
    return rows;
}

// What one of mdbtools' commands prints; its complaint, marked, when it fails.
QByteArray mdbTool(const QString &tool, const QStringList &arguments) {
    QProcess p;
    p.start(tool, arguments);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
               ? p.readAllStandardOutput()
               : "<failed> " + p.readAllStandardError();
}

Rows exported(const QString &file, const QString &table) {
    return CsvReader::parse(mdbTool(u"mdb-export"_s, {file, table}));
}

QString errorOf(const std::function<void()> &f) {
    try {
        f();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

QString openError(const QString &path,
                  const QString &password = QString::fromUtf16(CataloguePassword)) {
    return errorOf([&] { JetCatalogue::open(path, password); });
}

const Row countryRows = {u"Perú"_s, u"España"_s, u"d'Andorra"_s, u"Chile"_s, u"Ecuador"_s};

const Rows stationRows = {
    {u"España"_s, u"Cadena SER"_s, u"http://ser/"_s, u"WMP"_s},
    {u"España"_s, u"L'Alt 'd' Urgell"_s, u"http://urgell/"_s, u"WMP"_s},
    {u"España"_s, u"COPE"_s, u"http://cope-1/"_s, u"RP"_s},
    {u"España"_s, u"COPE"_s, u"http://cope-2/"_s, u"WMP"_s},
    {u"España"_s, std::nullopt, u"http://anonima/"_s, u"WMP"_s},
    {u"España"_s, u"Sin dirección"_s, std::nullopt, u"WMP"_s},
    {u"Perú"_s, u"RPP Noticias"_s, u"http://rpp/"_s, u"WMP"_s},
    {u"Chile"_s, u"Radio Bío-Bío"_s, u"http://biobio/"_s, u"WMP"_s},
    {u"Chile"_s, u"ADN"_s, u"http://adn/"_s, u"RP"_s},
    {u"Espana"_s, u"Sin tilde"_s, u"http://sin/"_s, u"WMP"_s},
    {std::nullopt, u"Sin país"_s, u"http://nadie/"_s, u"WMP"_s},
    {QString(), u"País vacío"_s, u"http://vacio/"_s, u"WMP"_s},
};

} // namespace

class TestJetCatalogue : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    struct Window {
        Session session;
        QComboBox cboPaises, cboRadios;
        StationLists lists{session, &cboPaises, &cboRadios};
    };
    std::optional<Window> m;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    std::unique_ptr<TableCatalogue> open(const Row &countries) {
        const QString f = path(u"RadioStore.mdb"_s);
        TestFiles::write(f, catalogueBytes(countries, stationRows));
        return JetCatalogue::open(f);
    }

    // Fills and restores the lists from a catalogue, as start-up does after the settings.
    void startUp(const Row &countries, const QString &country = {}, const QString &radio = {}) {
        m.emplace();
        Settings saved;
        std::tie(saved.lastCountry, saved.lastRadio) = std::tie(country, radio);
        m->session.setSaved(saved);
        m->session.setLoading(true);
        m->lists.setBaseDatos(open(countries));
        m->lists.fillCountries();
        m->lists.restoreCountry();
        m->session.setLoading(false);
    }

private Q_SLOTS:

    // Deleted rows, every column type, encoded pages, a password set, read as mdb-export prints
    // them; Jet opens a file without a password whatever password is given. The rest is refused.
    void readsJet3AndRefusesTheRest() {
        for (const auto &[file, password] :
             {std::pair{u"delTestV1997.mdb"_s, QString::fromUtf16(CataloguePassword)},
              {u"testV1997.mdb"_s, u"x"_s},
              {u"db97-enc.mdb"_s, QString()},
              {u"delTestV1997_pw-derived.mdb"_s, u"Clave97Jet"_s}}) {
            const QString mdb = sampleDir + u'/' + file;
            const std::unique_ptr<TableCatalogue> catalogue = JetCatalogue::open(mdb, password);
            const QStringList tables = QString::fromUtf8(mdbTool(u"mdb-tables"_s, {u"-1"_s, mdb}))
                                           .split(u'\n', Qt::SkipEmptyParts);
            QVERIFY(!tables.isEmpty());
            QCOMPARE(catalogue->tableNames(), tables);
            for (const QString &table : tables)
                QCOMPARE(readBack(*catalogue, u"Select * from [%1]"_s.arg(table), true),
                         exported(mdb, table));
        }

        QVERIFY(openError(path(u"missing.mdb"_s)).startsWith(u"No se encuentra"_s));
        QVERIFY(openError(m_dir.path()).contains(u"no es un archivo"_s));
        // The program's password, and the sample's wrong by case, in the last place or by one more.
        const QString sample = sampleDir + u"/delTestV1997_pw-derived.mdb"_s;
        for (const QString &wrong :
             {u"Kal7.dvQ42"_s, u"clave97jet"_s, u"Clave97Jeu"_s, u"Clave97Jetx"_s})
            QVERIFY2(openError(sample, wrong).contains(u"contraseña"_s), qPrintable(wrong));
        JetWriter(u"Kal7.dvQ42x"_s).writeFile(path(u"pw.mdb"_s));
        QVERIFY(openError(path(u"pw.mdb"_s)).contains(u"contraseña"_s));

        // Not Jet 3, said in words; then refused as damaged: a file cut inside a page or at its
        // end; the catalogue definition page; page 3's usage maps, Paises' (row 2) ending where it
        // starts or the catalogue's (row 0) listing pages past the end; a row past its page; a
        // table definition cut short.
        const std::pair<std::function<void(QByteArray &)>, QString> damages[] = {
            {[](QByteArray &b) { b.clear(); }, u"no es una base de datos"_s},
            {[](QByteArray &b) { b[0x14] = 0x01; }, u"Jet 4"_s},
            {[](QByteArray &b) { b.replace(4, 17, "Standard ACE DB\0\x02"_ba); }, u"ACE"_s},
            {[](QByteArray &b) { b.chop(100); }, {}},
            {[](QByteArray &b) { b.chop(2048); }, {}},
            {[](QByteArray &b) { b[2 * 2048] = 0x01; }, {}},
            {[](QByteArray &b) { b.replace(3 * 2048 + 14, 2, b.mid(3 * 2048 + 12, 2)); }, {}},
            {[](QByteArray &b) {
                 b[3 * 2048 + qFromLittleEndian<quint16>(b.data() + 3 * 2048 + 10) + 1] = 0x40;
             },
             {}},
            {[](QByteArray &b) { qToLittleEndian<quint16>(0x1FFF, b.data() + 4 * 2048 + 10); }, {}},
            {[](QByteArray &b) { qToLittleEndian<quint16>(200, b.data() + 5 * 2048 + 25); }, {}}};
        const QString file = path(u"RadioStore.mdb"_s);
        for (const auto &[damage, expected] : damages) {
            QByteArray bytes = catalogueBytes({u"España"_s, u"Perú"_s},
                                              {{u"España"_s, u"COPE"_s, u"http://a/"_s, u"RP"_s}});
            damage(bytes);
            QVERIFY(TestFiles::write(file, bytes));
            const QString message = openError(file);
            QVERIFY2(message.contains(expected.isEmpty() ? u"dañado"_s : expected) &&
                         message.contains(file),
                     qPrintable(message));
        }
    }

    void writesWhatMdbtoolsAndOurReaderReadBack() {
        // Every length of address from none to 255 characters, so rows cross 256 and 512 bytes
        // in every way the jump table knows, with the characters that tend to get lost.
        const QStringList names = u"Ñandutí FM|Radio L'Estel|L'Alt 'd' Urgell|\"Comillas\", y coma|"
                                  "€ – “tipográficas” … ‰|línea\r\nnueva|áéíóú ÁÉÍÓÚ üÜ ñÑ ¿¡|"
                                  "€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ"_s.split(u'|');
        Rows stations;
        for (int i = 0; i <= 255; ++i) {
            const QString url = (u"https://ex.org/"_s + QString(255, u'a')).left(i);
            stations.append({i % 3 ? u"Perú"_s : u"España"_s,
                             names[i % names.size()] + QString::number(i), url,
                             i % 2 ? u"RP"_s : u"WMP"_s});
        }
        // And more data pages than an inline usage map can list.
        for (int i = 0; i < 12000; ++i)
            stations.append({u"País %1"_s.arg(i % 200), u"Emisora %1"_s.arg(i),
                             u"https://ex.org/%1/"_s.arg(i) + QString(220, u'x'), u"WMP"_s});
        stations.append({u"España"_s, QString(), std::nullopt, std::nullopt});
        stations.append({std::nullopt, u"Sin país"_s, QString(255, u'ñ'), u"WMP"_s});
        const QString file = path(u"roundtrip.mdb"_s);
        QVERIFY(TestFiles::write(file,
                                 catalogueBytes({u"España"_s, u"Perú"_s, std::nullopt}, stations)));

        QCOMPARE(mdbTool(u"mdb-tables"_s, {u"-1"_s, file}), QByteArray("Paises\nRadios\n"));

        // A row of one Null prints as a blank line; the count tells it is there.
        QCOMPARE(mdbTool(u"mdb-count"_s, {file, u"Paises"_s}).trimmed().toInt(), 3);
        const std::unique_ptr<TableCatalogue> catalogue = JetCatalogue::open(file);
        const QString all = u"Select * from Radios"_s;
        QCOMPARE(readBack(*catalogue, all).mid(1), stations);
        QCOMPARE(exported(file, u"Radios"_s), readBack(*catalogue, all, true));
        QCOMPARE(readBack(*catalogue, u"Select * from Paises"_s).mid(1),
                 (Rows{{u"España"_s}, {u"Perú"_s}, {std::nullopt}}));

        // Refused: text outside the code page, too long, or a byte the code page leaves undefined
        // (they read back as C1 controls, which no other program reads alike).
        JetWriter writer;
        writer.addTable(u"Radios"_s, {u"NombreRadio"_s});
        for (const auto &[text, message] : {std::pair{u"日本の放送"_s, u"1252"_s},
                                            {QString(256, u'a'), u"255"_s},
                                            {u"Radio \u0081"_s, u"1252"_s}})
            QVERIFY(errorOf([&] { writer.addRow(u"Radios"_s, {text}); }).contains(message));

        // CSV: an empty field is Null, "" an empty text (quoting: mdb-export's output above).
        QCOMPARE(CsvReader::parse("\xEF\xBB\xBF,\"\"\r\n\núltimo,sin fin"),
                 (Rows{{std::nullopt, QString()}, {u"último"_s, u"sin fin"_s}}));

        const QByteArray header = "Pais,NombreRadio,URLRadio,Medio\n";
        const QString fromCsv = path(u"fromcsv.mdb"_s);
        CatalogueCsv::toWriter(header + "Perú,RPP,http://rpp/,WMP\nEspaña,COPE,http://cope/,RP\n"
                                        "PERÚ,Exitosa,http://exitosa/,WMP\n"
                                        "España,\"Radio L'Estel\",http://estel/,\n")
            .writeFile(fromCsv);
        // Each country once, as first written, in the order met.
        QCOMPARE(exported(fromCsv, u"Paises"_s).mid(1), (Rows{{u"Perú"_s}, {u"España"_s}}));
        QCOMPARE(exported(fromCsv, u"Radios"_s).mid(4),
                 (Rows{{u"España"_s, u"Radio L'Estel"_s, u"http://estel/"_s, std::nullopt}}));

        const std::pair<QByteArray, QString> refused[] = {
            {header + "a,\"abierta\r\n", u"comilla"_s},
            {"\xFF\xFE", u"UTF-8"_s},
            {"Pais,Nombre,URL,Medio\n", u"primera línea"_s},
            {header + "Perú,RPP,http://rpp/,wmp\n", u"Registro 2"_s},
            // A name with a line break would write lines of its own into the settings file.
            {header + "España,\"Radio\r\nAutoconnect=1\r\n[Evil]\r\nX=1\",http://evil/,WMP\n",
             u"línea 2: NombreRadio"_s},
            {header + "Perú,\u2028RPP,http://rpp/,WMP\n", u"línea 2: NombreRadio"_s}};
        for (const auto &[bad, message] : refused) {
            const QString failure = errorOf([&] { CatalogueCsv::toWriter(bad); });
            QVERIFY2(failure.contains(message), qPrintable(failure));
        }

        // The build writes the program's catalogue from data/radios.csv this way.
        const Rows source = CsvReader::parse(TestFiles::read(SV_SOURCE_DIR "/data/radios.csv"_L1));
        QVERIFY(source.size() > 1);
        QCOMPARE(readBack(*JetCatalogue::open(SV_PROGRAM_DIR "/RadioStore.mdb"_L1), all), source);
    }

    // Jet's general order: letter case does not count, an accented letter sorts right after its
    // base letter, an apostrophe is passed over, Null comes first and equal texts keep the stored
    // order. Comparisons ignore letter case; Null equals nothing, not even ''. A catalogue without
    // the table or column asked for is refused, the message saying which.
    void queriesAndListsFollowJet() {
        auto c = open({u"perú"_s, u"PERU"_s, u"Peru"_s, u"Panamá"_s, u"Paraguay"_s, u"España"_s,
                       u"Estonia"_s, u"ecuador"_s, u"Éire"_s, u"L'Île"_s, u"Líbano"_s,
                       u"Lituania"_s, u"Ñandú"_s, u"Nauru"_s, u"Nuevo"_s, std::nullopt, QString()});
        Rows sorted{{std::nullopt}, {QString()}};
        for (const QString &name : {u"ecuador"_s, u"Éire"_s, u"España"_s, u"Estonia"_s, u"Líbano"_s,
                                    u"L'Île"_s, u"Lituania"_s, u"Ñandú"_s, u"Nauru"_s, u"Nuevo"_s,
                                    u"Panamá"_s, u"Paraguay"_s, u"PERU"_s, u"Peru"_s, u"perú"_s})
            sorted.append({name});
        QCOMPARE(readBack(*c, u"Select * from Paises order by Paises"_s).mid(1), sorted);
        QCOMPARE(readBack(*c, u"Select * from Radios where Pais = 'PERÚ'"_s).mid(1),
                 Rows{stationRows[6]});
        QCOMPARE(readBack(*c, u"Select * from Radios where pais = ''"_s).mid(1),
                 Rows{stationRows.last()});
        for (const auto &[query, missing] :
             {std::pair{u"Select * from Emisoras"_s, u"la tabla «Emisoras»"_s},
              {u"Select * from Radios where Region = 'x'"_s, u"la columna «Region»"_s}})
            QVERIFY(errorOf([&] { c->openRecordset(query); }).contains(u"no tiene "_s + missing));

        // Saved country and station, and what start-up selects; the saved station is sought in
        // whatever country start-up selected. Then look-ups and picks, and failures once closed.
        startUp({}, u"España"_s);
        QCOMPARE(m->cboPaises.count() + m->cboRadios.count(), 0);
        QVERIFY(m->session.currentCountry().isEmpty());
        const std::array<QString, 4> cases[] = {
            {u"Bolivia"_s, u"adn"_s, u"Chile"_s, u"ADN"_s},
            {u"Chile"_s, u"RPP Noticias"_s, u"Chile"_s, u"Radio Bío-Bío"_s},
            {u"España"_s, u"COPE"_s, u"España"_s, u"COPE"_s}};
        for (const auto &[lastCountry, lastRadio, country, station] : cases) {
            startUp(countryRows, lastCountry, lastRadio);
            QCOMPARE(m->cboPaises.currentText(), country);
            QCOMPARE(m->cboRadios.currentText(), station);
            QCOMPARE(m->session.currentCountry(), country);
        }
        // Stations in the order stored, a nameless one as an empty entry, duplicates both shown;
        // not Espana's: accents count.
        QStringList radios;
        for (int i = 0; i < m->cboRadios.count(); ++i)
            radios.append(m->cboRadios.itemText(i));
        QCOMPARE(radios, (QStringList{u"Cadena SER"_s, u"L'Alt 'd' Urgell"_s, u"COPE"_s, u"COPE"_s,
                                      QString(), u"Sin dirección"_s}));

        // Found by letter case alone, apostrophes and all; the first of two of one name wins.
        const CatalogueStation cope{u"http://cope-1/"_s, PlayerKind::RealAudio};
        m->lists.LeeDatos(u"l'alt 'd' urgell"_s);
        QCOMPARE(m->session.resolved().address, u"http://urgell/"_s);
        m->lists.LeeDatos(u"COPE"_s);
        QCOMPARE(m->session.resolved(), cope);
        // A station without an address fails, and keeps the last good pair.
        QVERIFY_THROWS_EXCEPTION(CatalogueError, m->lists.LeeDatos(u"Sin dirección"_s));
        QCOMPARE(m->session.resolved(), cope);

        // After start-up a pick, even of the entry already shown, selects the first station.
        m->cboRadios.setCurrentIndex(3);
        Q_EMIT m->cboPaises.activated(m->cboPaises.currentIndex());
        QCOMPARE(m->cboRadios.currentIndex(), 0);

        m->lists.closeBaseDatos();
        QVERIFY_THROWS_EXCEPTION(CatalogueError, m->lists.LeeDatos(u"COPE"_s));
        // A user's pick cannot throw into the event loop: the failure is signalled.
        QSignalSpy failed(&m->lists, &StationLists::catalogueFailed);
        Q_EMIT m->cboPaises.activated(1);
        QCOMPARE(failed.size(), 1);
        QVERIFY(!failed.first().first().toString().isEmpty());
    }
};

QTEST_MAIN(TestJetCatalogue)
#include "tst_jetcatalogue.moc"
