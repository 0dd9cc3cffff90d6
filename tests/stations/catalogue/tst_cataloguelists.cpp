#include "catalogue_fixture.h"
#include "catalogueerror.h"
#include "jetcatalogue.h"
#include "session.h"
#include "stationlists.h"
#include "testfiles.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <array>

using namespace Qt::StringLiterals;
using namespace CatalogueFixture;

namespace {

QStringList items(const QComboBox &box) {
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts.append(box.itemText(i));
    return texts;
}

QStringList column(CatalogueRecordset rs, const QString &name) {
    QStringList values;
    for (; !rs.atEnd(); rs.moveNext())
        values.append(rs.isNull(name) ? u"<Null>"_s : rs.text(name));
    return values;
}

const Row countryRows = {u"Perú"_s, u"España"_s, u"d'Andorra"_s, u"Chile"_s, u"Ecuador"_s};

const Rows stationRows = {
    {u"España"_s, u"Cadena SER"_s, u"http://ser/"_s, u"WMP"_s},
    {u"España"_s, u"Radio L'Estel"_s, u"http://estel/"_s, u"RP"_s},
    {u"España"_s, u"L'Alt 'd' Urgell"_s, u"http://urgell/"_s, u"WMP"_s},
    {u"España"_s, u"COPE"_s, u"http://cope-1/"_s, u"RP"_s},
    {u"España"_s, u"COPE"_s, u"http://cope-2/"_s, u"WMP"_s},
    {u"España"_s, std::nullopt, u"http://anonima/"_s, u"WMP"_s},
    {u"España"_s, u"Sin dirección"_s, std::nullopt, u"WMP"_s},
    {u"Perú"_s, u"RPP Noticias"_s, u"http://rpp/"_s, u"WMP"_s},
    {u"Perú"_s, u"Cadena SER"_s, u"http://ser-peru/"_s, u"RP"_s},
    {u"Chile"_s, u"Radio Bío-Bío"_s, u"http://biobio/"_s, u"WMP"_s},
    {u"Chile"_s, u"ADN"_s, u"http://adn/"_s, u"RP"_s},
    {u"d'Andorra"_s, u"Ràdio Valira"_s, u"http://valira/"_s, u"WMP"_s},
    {u"Espana"_s, u"Sin tilde"_s, u"http://sin/"_s, u"WMP"_s},
    {std::nullopt, u"Sin país"_s, u"http://nadie/"_s, u"WMP"_s},
    {QString(), u"País vacío"_s, u"http://vacio/"_s, u"WMP"_s},
};

} // namespace

class TestCatalogueLists : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    // The window's part in the lists.
    struct Window {
        Session session;
        QComboBox cboPaises;
        QComboBox cboRadios;
        StationLists lists{session, &cboPaises, &cboRadios};
    };
    std::optional<Window> m;

    QString file() const { return m_dir.filePath(u"RadioStore.mdb"_s); }
    std::unique_ptr<TableCatalogue> open(const Row &countries, const Rows &stations = stationRows) {
        const bool written = TestFiles::write(file(), catalogueBytes(countries, stations));
        return written ? JetCatalogue::open(file()) : nullptr;
    }
    // Fills and restores the lists from a catalogue, as start-up does after the settings.
    void startUp(const Row &countries, const QString &country = {}, const QString &radio = {}) {
        m.emplace();
        Settings saved;
        saved.lastCountry = country;
        saved.lastRadio = radio;
        m->session.setSaved(saved);
        m->session.setLoading(true);
        m->lists.setBaseDatos(open(countries));
        m->lists.fillCountries();
        m->lists.restoreCountry();
        m->session.setLoading(false);
    }

private Q_SLOTS:
    void sortsAsJetsGeneralOrder() {
        // Letter case does not count, an accented letter sorts right after its base letter, an
        // apostrophe is passed over, Null comes first and equal texts keep the stored order.
        const auto catalogue =
            open({u"perú"_s, u"PERU"_s, u"Peru"_s, u"Panamá"_s, u"Paraguay"_s, u"España"_s,
                  u"Estonia"_s, u"ecuador"_s, u"Éire"_s, u"L'Île"_s, u"Líbano"_s, u"Lituania"_s,
                  u"Ñandú"_s, u"Nauru"_s, u"Nuevo"_s, std::nullopt, QString()});
        QCOMPARE(
            column(catalogue->openRecordset(u"Select * from Paises order by Paises"_s),
                   u"Paises"_s),
            (QStringList{u"<Null>"_s, QString(), u"ecuador"_s, u"Éire"_s, u"España"_s, u"Estonia"_s,
                         u"Líbano"_s, u"L'Île"_s, u"Lituania"_s, u"Ñandú"_s, u"Nauru"_s, u"Nuevo"_s,
                         u"Panamá"_s, u"Paraguay"_s, u"PERU"_s, u"Peru"_s, u"perú"_s}));
    }

    // Letter case is ignored, accents are not; Null equals nothing, not even ''. A catalogue
    // without the table or column asked for is refused with a message that says which.
    void runsOrRefusesQueries() {
        const auto catalogue = open(countryRows);
        const QString radios = u"Select * from Radios where "_s;
        const auto urls = [&](const QString &where, const QString &field = u"URLRadio"_s) {
            return column(catalogue->openRecordset(radios + where), field).join(u'|');
        };
        QCOMPARE(urls(u"Pais = 'PERÚ'"_s), u"http://rpp/|http://ser-peru/"_s);
        QCOMPARE(urls(u"Pais = 'españa' and NombreRadio = 'Sin dirección'"_s), u"<Null>"_s);
        QCOMPARE(urls(u"pais = ''"_s, u"NombreRadio"_s), u"País vacío"_s);
        QVERIFY(errorOf([&] {
                    catalogue->openRecordset(u"Select * from Emisoras"_s);
                }).contains(u"no tiene la tabla «Emisoras»"_s));
        QVERIFY(
            errorOf([&] { urls(u"Region = 'x'"_s); }).contains(u"no tiene la columna «Region»"_s));
    }

    void restoresSavedCountryAndStation() {
        // Saved country and station, and what start-up selects. The saved station is sought in
        // whatever country start-up selected.
        const std::array<QString, 4> cases[] = {
            {u"Chile"_s, u"RPP Noticias"_s, u"Chile"_s, u"Radio Bío-Bío"_s},
            {u"Bolivia"_s, u"adn"_s, u"Chile"_s, u"ADN"_s}};
        for (const auto &[lastCountry, lastRadio, country, station] : cases) {
            startUp(countryRows, lastCountry, lastRadio);
            // In Jet's order: the apostrophe passed over, letter case ignored.
            QCOMPARE(items(m->cboPaises), (QStringList{u"Chile"_s, u"d'Andorra"_s, u"Ecuador"_s,
                                                       u"España"_s, u"Perú"_s}));
            QCOMPARE(m->cboPaises.currentText(), country);
            QCOMPARE(m->cboRadios.currentText(), station);
            QCOMPARE(m->session.currentCountry(), country);
        }
    }

    void picksAndLooksUpStations() {
        startUp(countryRows, u"España"_s, u"COPE"_s);
        // Stations in the order stored, a nameless one as an empty entry, duplicates both shown.
        QCOMPARE(items(m->cboRadios),
                 (QStringList{u"Cadena SER"_s, u"Radio L'Estel"_s, u"L'Alt 'd' Urgell"_s, u"COPE"_s,
                              u"COPE"_s, QString(), u"Sin dirección"_s}));

        // Found by letter case alone, apostrophes and all; the first of two of one name wins.
        constexpr auto RP = PlayerKind::RealAudio;
        m->lists.LeeDatos(u"l'alt 'd' urgell"_s);
        QCOMPARE(m->session.resolved().address, u"http://urgell/"_s);
        m->lists.LeeDatos(u"COPE"_s);
        QCOMPARE(m->session.resolved(), (CatalogueStation{u"http://cope-1/"_s, RP}));
        // A station without an address fails, and keeps the last good pair.
        QVERIFY_THROWS_EXCEPTION(CatalogueError, m->lists.LeeDatos(u"Sin dirección"_s));
        QCOMPARE(m->session.resolved(), (CatalogueStation{u"http://cope-1/"_s, RP}));

        // After start-up a pick, even of the entry already shown, selects the first station.
        m->cboRadios.setCurrentIndex(3);
        Q_EMIT m->cboPaises.activated(m->cboPaises.currentIndex());
        QCOMPARE(m->cboRadios.currentIndex(), 0);
        QTest::keyClick(&m->cboPaises, Qt::Key_Down);
        QCOMPARE(items(m->cboRadios), (QStringList{u"RPP Noticias"_s, u"Cadena SER"_s}));
        QCOMPARE(m->session.currentCountry(), u"Perú"_s);
    }

    void toleratesEmptyCataloguesAndReportsFailuresAfterClose() {
        startUp({}, u"España"_s);
        QCOMPARE(m->cboPaises.count() + m->cboRadios.count(), 0);
        QVERIFY(m->session.currentCountry().isEmpty());

        startUp(countryRows);
        m->lists.closeBaseDatos();
        QVERIFY_THROWS_EXCEPTION(CatalogueError, m->lists.LeeDatos(u"COPE"_s));
        // A user's pick cannot throw into the event loop: the failure is signalled.
        QSignalSpy failed(&m->lists, &StationLists::catalogueFailed);
        Q_EMIT m->cboPaises.activated(1);
        QCOMPARE(failed.size(), 1);
        QVERIFY(!failed.first().first().toString().isEmpty());
    }
};

QTEST_MAIN(TestCatalogueLists)
#include "tst_cataloguelists.moc"
