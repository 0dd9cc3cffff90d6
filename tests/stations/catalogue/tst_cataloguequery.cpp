#include "catalogueerror.h"
#include "tablecatalogue.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

CatalogueTable countries(const QList<CatalogueValue> &names) {
    CatalogueTable t{u"Paises"_s, {u"Paises"_s}, {}};
    for (const CatalogueValue &n : names)
        t.rows.append({n});
    return t;
}

CatalogueTable radios() {
    CatalogueTable t{u"Radios"_s, {u"Pais"_s, u"NombreRadio"_s, u"URLRadio"_s, u"Medio"_s}, {}};
    const auto add = [&](CatalogueValue country, CatalogueValue name, CatalogueValue url) {
        t.rows.append({country, name, url, u"WMP"_s});
    };
    add(u"España"_s, u"Radio L'Estel"_s, u"http://estel/"_s);
    add(u"España"_s, u"L'Alt 'd' Urgell"_s, u"http://urgell/"_s);
    add(u"Espana"_s, u"Sin tilde"_s, u"http://sin/"_s);
    add(u"d'Andorra"_s, u"Ràdio Valira"_s, u"http://valira/"_s);
    add(std::nullopt, u"Sin país"_s, u"http://nadie/"_s);
    add(QString(), u"País vacío"_s, u"http://vacio/"_s);
    add(u"España"_s, std::nullopt, std::nullopt);
    return t;
}

QStringList column(CatalogueRecordset rs, const QString &name) {
    QStringList values;
    while (!rs.atEnd()) {
        values.append(rs.isNull(name) ? u"<Null>"_s : rs.text(name));
        rs.moveNext();
    }
    return values;
}

QString errorOf(const std::function<void()> &f) {
    try {
        f();
    } catch (const CatalogueError &e) {
        return e.message();
    }
    return {};
}

} // namespace

class TestCatalogueQuery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sortsAsJetsGeneralOrder();
    void comparesTextIgnoringLetterCase();
    void readsApostrophesWrittenTwice();
    void refusesWhatItCannotRun_data();
    void refusesWhatItCannotRun();
    void recordsetReportsNullAndEnd();
};

void TestCatalogueQuery::sortsAsJetsGeneralOrder() {
    // Letter case does not count, an accented letter sorts right after its base letter, an
    // apostrophe is passed over, Null comes first and equal texts keep the stored order.
    TableCatalogue catalogue(
        {countries({u"perú"_s, u"PERU"_s, u"Peru"_s, u"Panamá"_s, u"Paraguay"_s, u"España"_s,
                    u"Estonia"_s, u"ecuador"_s, u"Éire"_s, u"L'Île"_s, u"Líbano"_s, u"Lituania"_s,
                    u"Ñandú"_s, u"Nauru"_s, u"Nuevo"_s, std::nullopt, QString()})},
        u"prueba"_s);
    QCOMPARE(
        column(catalogue.openRecordset(u"Select * from Paises order by Paises"_s), u"Paises"_s),
        (QStringList{u"<Null>"_s, QString(), u"ecuador"_s, u"Éire"_s, u"España"_s, u"Estonia"_s,
                     u"Líbano"_s, u"L'Île"_s, u"Lituania"_s, u"Ñandú"_s, u"Nauru"_s, u"Nuevo"_s,
                     u"Panamá"_s, u"Paraguay"_s, u"PERU"_s, u"Peru"_s, u"perú"_s}));
    QCOMPARE(column(catalogue.openRecordset(u"SELECT * FROM [Paises] ORDER BY paises DESC;"_s),
                    u"Paises"_s)
                 .first(),
             u"perú"_s);
}

void TestCatalogueQuery::comparesTextIgnoringLetterCase() {
    TableCatalogue catalogue({radios()}, u"prueba"_s);
    // Letter case is ignored, accents are not; Null equals nothing, not even ''.
    QCOMPARE(column(catalogue.openRecordset(u"Select * from Radios where Pais = 'ESPAÑA'"_s),
                    u"URLRadio"_s),
             (QStringList{u"http://estel/"_s, u"http://urgell/"_s, u"<Null>"_s}));
    QCOMPARE(column(catalogue.openRecordset(u"select * from radios where pais = ''"_s),
                    u"NombreRadio"_s),
             QStringList{u"País vacío"_s});
    QCOMPARE(
        column(
            catalogue.openRecordset(
                u"Select * from Radios where Pais = 'españa' and NombreRadio = 'RADIO l''estel'"_s),
            u"URLRadio"_s),
        QStringList{u"http://estel/"_s});
}

void TestCatalogueQuery::readsApostrophesWrittenTwice() {
    TableCatalogue catalogue({radios()}, u"prueba"_s);
    QCOMPARE(
        column(
            catalogue.openRecordset(
                u"Select * from Radios where Pais = 'España' and NombreRadio = 'L''Alt ''d'' Urgell'"_s),
            u"URLRadio"_s),
        QStringList{u"http://urgell/"_s});
    QCOMPARE(column(catalogue.openRecordset(u"Select * from Radios where Pais = 'd''Andorra'"_s),
                    u"NombreRadio"_s),
             QStringList{u"Ràdio Valira"_s});
    // An apostrophe written once ends the text early; what follows does not parse.
    const QString message = errorOf([&] {
        catalogue.openRecordset(
            u"Select * from Radios where Pais = 'España' and NombreRadio = 'L'Alt 'd' Urgell'"_s);
    });
    QVERIFY2(message.startsWith(u"Error de sintaxis"_s), qPrintable(message));
}

void TestCatalogueQuery::refusesWhatItCannotRun_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no such table")
        << u"Select * from Emisoras"_s << u"no tiene la tabla «Emisoras»"_s;
    QTest::newRow("no such column")
        << u"Select * from Radios where Region = 'x'"_s << u"no tiene la columna «Region»"_s;
    QTest::newRow("no such sort column")
        << u"Select * from Paises order by Nombre"_s << u"no tiene la columna «Nombre»"_s;
    QTest::newRow("columns by name") << u"Select Paises from Paises"_s << u"Error de sintaxis"_s;
    QTest::newRow("no from") << u"Select * Paises"_s << u"Error de sintaxis"_s;
    QTest::newRow("open text") << u"Select * from Radios where Pais = 'España"_s
                               << u"Error de sintaxis"_s;
    QTest::newRow("keyword as name") << u"Select * from where"_s << u"Error de sintaxis"_s;
    QTest::newRow("trailing words")
        << u"Select * from Paises order by Paises extra"_s << u"Error de sintaxis"_s;
    QTest::newRow("other operator")
        << u"Select * from Radios where Pais <> 'x'"_s << u"Error de sintaxis"_s;
    QTest::newRow("empty") << QString() << u"Error de sintaxis"_s;
}

void TestCatalogueQuery::refusesWhatItCannotRun() {
    QFETCH(QString, query);
    QFETCH(QString, expected);
    TableCatalogue catalogue({countries({u"España"_s}), radios()}, u"/ruta/RadioStore.mdb"_s);
    const QString message = errorOf([&] { catalogue.openRecordset(query); });
    QVERIFY2(message.contains(expected), qPrintable(message));
}

void TestCatalogueQuery::recordsetReportsNullAndEnd() {
    TableCatalogue catalogue({radios()}, u"/ruta/RadioStore.mdb"_s);
    CatalogueRecordset rs = catalogue.openRecordset(
        u"Select * from Radios where Pais = 'España' and NombreRadio = 'Radio L''Estel'"_s);
    QVERIFY(!rs.atEnd());
    QCOMPARE(rs.text(u"urlradio"_s), u"http://estel/"_s);
    QVERIFY(errorOf([&] { rs.text(u"Direccion"_s); }).contains(u"Direccion"_s));
    rs.moveNext();
    QVERIFY(rs.atEnd());
    QVERIFY(!errorOf([&] { rs.moveNext(); }).isEmpty());
    QVERIFY(!errorOf([&] { rs.text(u"URLRadio"_s); }).isEmpty());

    // A value with no value at all cannot be read as text; the message names the file.
    CatalogueRecordset nulls =
        catalogue.openRecordset(u"Select * from Radios where Pais = 'España'"_s);
    nulls.moveNext();
    nulls.moveNext();
    QVERIFY(nulls.isNull(u"URLRadio"_s));
    const QString message = errorOf([&] { nulls.text(u"URLRadio"_s); });
    QVERIFY(message.contains(u"URLRadio"_s) && message.contains(u"/ruta/RadioStore.mdb"_s));
    nulls.close();
    QVERIFY(nulls.atEnd());

    catalogue.close();
    QVERIFY(errorOf([&] {
                catalogue.openRecordset(u"Select * from Radios"_s);
            }).contains(u"cerrado"_s));
}

QTEST_GUILESS_MAIN(TestCatalogueQuery)
#include "tst_cataloguequery.moc"
