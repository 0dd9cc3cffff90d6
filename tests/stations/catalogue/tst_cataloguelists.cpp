#include "catalogue_fixture.h"
#include "catalogueerror.h"
#include "jetcatalogue.h"
#include "mainstate.h"
#include "stationlists.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace CatalogueFixture;

namespace {

QStringList items(const QComboBox &box) {
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts.append(box.itemText(i));
    return texts;
}

const QList<Value> countryRows = {u"Perú"_s, u"España"_s, u"d'Andorra"_s, u"Chile"_s, u"Ecuador"_s};

const QList<Station> stationRows = {
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
};

} // namespace

class TestCatalogueLists : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void listsCountriesInJetOrder();
    void restoresSavedCountryAndStation_data();
    void restoresSavedCountryAndStation();
    void userPickSelectsFirstStation();
    void looksUpStations();
    void toleratesEmptyCatalogues();
    void reportsFailuresAfterClose();

private:
    // Writes a catalogue, opens it with the real reader and runs start-up steps 12 and 13.
    void startUp(const QList<Value> &countries, const QList<Station> &stations);

    QTemporaryDir m_dir;
    MainState m_state;
    std::unique_ptr<QComboBox> m_cboPaises;
    std::unique_ptr<QComboBox> m_cboRadios;
    std::unique_ptr<StationLists> m_lists;
};

void TestCatalogueLists::init() {
    m_state = MainState();
    m_cboPaises = std::make_unique<QComboBox>();
    m_cboRadios = std::make_unique<QComboBox>();
    m_lists = std::make_unique<StationLists>(m_state, m_cboPaises.get(), m_cboRadios.get());
}

void TestCatalogueLists::cleanup() {
    m_lists.reset();
    m_cboPaises.reset();
    m_cboRadios.reset();
}

void TestCatalogueLists::startUp(const QList<Value> &countries, const QList<Station> &stations) {
    const QString file = m_dir.filePath(u"RadioStore.mdb"_s);
    QVERIFY(writeFile(file, catalogueBytes(countries, stations)));
    m_state.Cargando = true;
    try {
        m_lists->setBaseDatos(JetCatalogue::open(file));
        m_lists->fillCountries();
        m_lists->restoreCountry();
    } catch (const CatalogueError &e) {
        QFAIL(qPrintable(e.message()));
    }
    m_state.Cargando = false;
}

void TestCatalogueLists::listsCountriesInJetOrder() {
    startUp({u"perú"_s, u"Panamá"_s, u"España"_s, u"Éire"_s, u"ecuador"_s, u"Paraguay"_s,
             u"Estonia"_s, u"Peru"_s},
            {});
    QCOMPARE(items(*m_cboPaises), (QStringList{u"ecuador"_s, u"Éire"_s, u"España"_s, u"Estonia"_s,
                                               u"Panamá"_s, u"Paraguay"_s, u"Peru"_s, u"perú"_s}));
}

void TestCatalogueLists::restoresSavedCountryAndStation_data() {
    QTest::addColumn<QString>("lastCountry");
    QTest::addColumn<QString>("lastRadio");
    QTest::addColumn<QString>("country");
    QTest::addColumn<QString>("station");
    QTest::newRow("letter case ignored")
        << u"ESPAÑA"_s << u"radio l'estel"_s << u"España"_s << u"Radio L'Estel"_s;
    QTest::newRow("station of another country")
        << u"Chile"_s << u"RPP Noticias"_s << u"Chile"_s << u"Radio Bío-Bío"_s;
    // The saved station is sought in whatever country start-up selected.
    QTest::newRow("country gone") << u"Bolivia"_s << u"adn"_s << u"Chile"_s << u"ADN"_s;
    QTest::newRow("nothing saved") << QString() << QString() << u"Chile"_s << u"Radio Bío-Bío"_s;
    QTest::newRow("apostrophe in country")
        << u"D'ANDORRA"_s << QString() << u"d'Andorra"_s << u"Ràdio Valira"_s;
}

void TestCatalogueLists::restoresSavedCountryAndStation() {
    QFETCH(QString, lastCountry);
    QFETCH(QString, lastRadio);
    QFETCH(QString, country);
    QFETCH(QString, station);
    m_state.UltimoPais = lastCountry;
    m_state.UltimaRadio = lastRadio;
    startUp(countryRows, stationRows);
    QCOMPARE(m_cboPaises->currentText(), country);
    QCOMPARE(m_cboRadios->currentText(), station);
    QCOMPARE(m_state.PaisActual, country);
    QVERIFY(m_state.RadioActual.isEmpty());
}

void TestCatalogueLists::userPickSelectsFirstStation() {
    m_state.UltimoPais = u"España"_s;
    m_state.UltimaRadio = u"COPE"_s;
    startUp(countryRows, stationRows);
    QCOMPARE(m_cboRadios->currentText(), u"COPE"_s);
    // Stations in the order stored, a nameless one as an empty entry, duplicates both shown.
    QCOMPARE(items(*m_cboRadios),
             (QStringList{u"Cadena SER"_s, u"Radio L'Estel"_s, u"L'Alt 'd' Urgell"_s, u"COPE"_s,
                          u"COPE"_s, QString(), u"Sin dirección"_s}));

    // After start-up a pick, even of the saved country, selects the first station.
    m_cboPaises->setFocus();
    QTest::keyClick(m_cboPaises.get(), Qt::Key_Down);
    QCOMPARE(m_cboPaises->currentText(), u"Perú"_s);
    QCOMPARE(items(*m_cboRadios), (QStringList{u"RPP Noticias"_s, u"Cadena SER"_s}));
    QCOMPARE(m_state.PaisActual, u"Perú"_s);

    m_cboPaises->setCurrentIndex(m_cboPaises->findText(u"España"_s));
    m_cboRadios->setCurrentIndex(3);
    // Picking the entry already shown runs the handler too.
    Q_EMIT m_cboPaises->activated(m_cboPaises->currentIndex());
    QCOMPARE(m_cboRadios->currentIndex(), 0);
    QCOMPARE(m_state.PaisActual, u"España"_s);
}

void TestCatalogueLists::looksUpStations() {
    m_state.UltimoPais = u"España"_s;
    startUp(countryRows, stationRows);

    m_lists->LeeDatos(u"Radio L'Estel"_s);
    QCOMPARE(m_state.RadioActual, u"Radio L'Estel"_s);
    QCOMPARE(m_state.DireccionRadio, u"http://estel/"_s);
    QCOMPARE(m_state.MedioRadio, u"RP"_s);

    m_lists->LeeDatos(u"l'alt 'd' urgell"_s);
    QCOMPARE(m_state.DireccionRadio, u"http://urgell/"_s);
    QCOMPARE(m_state.MedioRadio, u"WMP"_s);

    // The first of two stations of the same name wins.
    m_lists->LeeDatos(u"COPE"_s);
    QCOMPARE(m_state.DireccionRadio, u"http://cope-1/"_s);
    QCOMPARE(m_state.MedioRadio, u"RP"_s);

    // Not found, or an empty name: the last address and kind stay.
    m_lists->LeeDatos(QString());
    QCOMPARE(m_state.RadioActual, QString());
    QCOMPARE(m_state.DireccionRadio, u"http://cope-1/"_s);
    m_lists->LeeDatos(u"RPP Noticias"_s); // a station of Perú, not of España
    QCOMPARE(m_state.DireccionRadio, u"http://cope-1/"_s);

    // A station without an address fails, and keeps the last good pair.
    QVERIFY_THROWS_EXCEPTION(CatalogueError, m_lists->LeeDatos(u"Sin dirección"_s));
    QCOMPARE(m_state.RadioActual, u"Sin dirección"_s);
    QCOMPARE(m_state.DireccionRadio, u"http://cope-1/"_s);
    QCOMPARE(m_state.MedioRadio, u"RP"_s);

    // The station list follows the country that its lookups use.
    m_lists->selectCountry(m_cboPaises->findText(u"d'Andorra"_s));
    m_lists->LeeDatos(m_cboRadios->currentText());
    QCOMPARE(m_state.DireccionRadio, u"http://valira/"_s);
}

void TestCatalogueLists::toleratesEmptyCatalogues() {
    m_state.UltimoPais = u"España"_s;
    startUp({}, stationRows);
    QCOMPARE(m_cboPaises->count(), 0);
    QCOMPARE(m_cboRadios->count(), 0);
    QVERIFY(m_state.PaisActual.isEmpty());

    cleanup();
    init();
    startUp({u"Bolivia"_s, u"Perú"_s}, stationRows);
    QCOMPARE(m_cboPaises->currentText(), u"Bolivia"_s);
    QCOMPARE(m_cboRadios->count(), 0);
    QCOMPARE(m_cboRadios->currentIndex(), -1);
    QCOMPARE(m_state.PaisActual, u"Bolivia"_s);
    m_lists->LeeDatos(m_cboRadios->currentText());
    QVERIFY(m_state.DireccionRadio.isEmpty());
    QVERIFY(m_state.MedioRadio.isEmpty());
}

void TestCatalogueLists::reportsFailuresAfterClose() {
    startUp(countryRows, stationRows);
    QVERIFY(m_lists->BaseDatos());
    m_lists->closeBaseDatos();
    QVERIFY(!m_lists->BaseDatos());
    QVERIFY_THROWS_EXCEPTION(CatalogueError, m_lists->LeeDatos(u"COPE"_s));

    // A user's pick cannot throw into the event loop: the failure is signalled.
    QSignalSpy failed(m_lists.get(), &StationLists::catalogueFailed);
    Q_EMIT m_cboPaises->activated(1);
    QCOMPARE(failed.size(), 1);
    QVERIFY(!failed.first().first().toString().isEmpty());
}

QTEST_MAIN(TestCatalogueLists)
#include "tst_cataloguelists.moc"
