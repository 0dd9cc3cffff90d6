#include "stationlists.h"

#include "catalogueerror.h"
#include "catalogueschema.h"
#include "mainstate.h"

#include <QComboBox>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace {

// A name goes between apostrophes in a query text, every apostrophe in it written twice.
QString quoted(const QString &name) {
    QString text = name;
    text.replace(u'\'', u"''"_s);
    return u'\'' + text + u'\'';
}

QString textOrEmpty(const CatalogueRecordset &rs, const QString &column) {
    // A name with no value at all is listed as an empty entry.
    return rs.isNull(column) ? QString() : rs.text(column);
}

} // namespace

StationLists::StationLists(MainState &state, QComboBox *cboPaises, QComboBox *cboRadios,
                           QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_cboPaises(cboPaises)
    , m_cboRadios(cboRadios) {
    connect(m_cboPaises, &QComboBox::activated, this, [this] {
        // Nothing may escape into the event loop.
        try {
            cboPaises_Click();
        } catch (const CatalogueError &e) {
            Q_EMIT catalogueFailed(e.message());
        }
    });
}

StationLists::~StationLists() = default;

void StationLists::setBaseDatos(std::unique_ptr<Catalogue> baseDatos) {
    m_baseDatos = std::move(baseDatos);
}

Catalogue &StationLists::baseDatos() const {
    if (!m_baseDatos)
        throw CatalogueError(u"El catálogo de emisoras no está abierto."_s);
    return *m_baseDatos;
}

void StationLists::fillCountries() {
    CatalogueRecordset rsPaises =
        baseDatos().openRecordset(u"Select * from Paises order by Paises"_s);
    QStringList countries;
    while (!rsPaises.atEnd()) {
        countries.append(textOrEmpty(rsPaises, CatalogueSchema::Paises));
        rsPaises.moveNext();
    }
    rsPaises.close();
    // Adding to an empty list would select its first entry; the selection is step 13's.
    const int selected = m_cboPaises->currentIndex();
    const QSignalBlocker blocker(m_cboPaises);
    m_cboPaises->addItems(countries);
    m_cboPaises->setCurrentIndex(selected);
}

void StationLists::restoreCountry() {
    if (m_cboPaises->count() == 0)
        return;
    int index = 0;
    if (!m_state.UltimoPais.isEmpty()) {
        const QString wanted = m_state.UltimoPais.toLower();
        for (int i = 0; i < m_cboPaises->count(); ++i) {
            if (m_cboPaises->itemText(i).toLower() == wanted) {
                index = i;
                break;
            }
        }
    }
    selectCountry(index);
}

void StationLists::selectCountry(int index) {
    m_cboPaises->setCurrentIndex(index);
    cboPaises_Click();
}

void StationLists::cboPaises_Click() {
    const QString country = m_cboPaises->currentText();
    CatalogueRecordset rsRadios =
        baseDatos().openRecordset(u"Select * from Radios where Pais = "_s + quoted(country));
    QStringList stations;
    while (!rsRadios.atEnd()) {
        stations.append(textOrEmpty(rsRadios, CatalogueSchema::NombreRadio));
        rsRadios.moveNext();
    }
    rsRadios.close();
    m_cboRadios->clear();
    m_cboRadios->addItems(stations);

    int index = 0;
    if (!m_state.UltimaRadio.isEmpty() && m_state.Cargando) {
        const QString wanted = m_state.UltimaRadio.toLower();
        for (int i = 0; i < m_cboRadios->count(); ++i) {
            if (m_cboRadios->itemText(i).toLower() == wanted) {
                index = i;
                break;
            }
        }
    }
    // A country without stations leaves the list empty, with nothing selected.
    m_cboRadios->setCurrentIndex(m_cboRadios->count() > 0 ? index : -1);
    m_state.PaisActual = m_cboPaises->currentText();
}

void StationLists::LeeDatos(const QString &NombreRadio) {
    m_state.RadioActual = NombreRadio;
    CatalogueRecordset rsRadios = baseDatos().openRecordset(
        u"Select * from Radios where Pais = "_s + quoted(m_state.PaisActual) +
        u" and NombreRadio = "_s + quoted(NombreRadio));
    if (!rsRadios.atEnd()) {
        // Both are read before either is kept, so a failure leaves the last good pair.
        const QString direccion = rsRadios.text(CatalogueSchema::URLRadio);
        const QString medio = rsRadios.text(CatalogueSchema::Medio);
        m_state.DireccionRadio = direccion;
        m_state.MedioRadio = medio;
    }
    rsRadios.close();
}

void StationLists::closeBaseDatos() {
    if (m_baseDatos)
        m_baseDatos->close();
    m_baseDatos.reset();
}
