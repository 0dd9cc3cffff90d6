#include "stationlists.h"

#include "catalogueerror.h"
#include "session.h"

#include <QComboBox>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;

StationLists::StationLists(Session &session, QComboBox *cboPaises, QComboBox *cboRadios,
                           QObject *parent)
    : QObject(parent)
    , m_session(session)
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
    m_baseDatos.open(std::move(baseDatos));
}

void StationLists::fillCountries() {
    const QStringList countries = m_baseDatos.countries();
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
    if (!m_session.saved().lastCountry.isEmpty()) {
        const QString wanted = m_session.saved().lastCountry.toLower();
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
    const QStringList stations = m_baseDatos.stationsOf(country);
    m_cboRadios->clear();
    m_cboRadios->addItems(stations);

    int index = 0;
    const QString &saved = m_session.saved().lastRadio;
    if (!saved.isEmpty() && m_session.loading()) {
        const QString wanted = saved.toLower();
        for (int i = 0; i < m_cboRadios->count(); ++i) {
            if (m_cboRadios->itemText(i).toLower() == wanted) {
                index = i;
                break;
            }
        }
    }
    // A country without stations leaves the list empty, with nothing selected.
    m_cboRadios->setCurrentIndex(m_cboRadios->count() > 0 ? index : -1);
    m_session.setCurrentCountry(m_cboPaises->currentText());
}

void StationLists::LeeDatos(const QString &NombreRadio) {
    m_session.setCurrentStation(NombreRadio);
    if (const auto found = m_baseDatos.station(m_session.currentCountry(), NombreRadio))
        m_session.setResolved(*found);
}

void StationLists::closeBaseDatos() {
    m_baseDatos.close();
}
