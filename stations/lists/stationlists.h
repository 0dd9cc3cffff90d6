#pragma once

#include "catalogue.h"
#include "stationlookup.h"

#include <QObject>
#include <QString>

#include <memory>

class QComboBox;
class Session;

// The window's side of the station catalogue: the country list cboPaises, the station list
// cboRadios and the lookup of a station's stream, over the open catalogue BaseDatos.
// Failures are CatalogueError.
//
// cboPaises_Click runs on every selection in cboPaises. A user's pick (mouse, keyboard or
// wheel, the entry already shown included) arrives through QComboBox::activated; the program
// selects through selectCountry(), which runs the handler at once, before it returns.
// Filling the list, or setting its index directly, runs nothing.
class StationLists : public QObject {
    Q_OBJECT

public:
    StationLists(Session &session, QComboBox *cboPaises, QComboBox *cboRadios,
                 QObject *parent = nullptr);
    ~StationLists() override;

    // BaseDatos ("database"): the open station catalogue.
    void setBaseDatos(std::unique_ptr<Catalogue> baseDatos);
    bool BaseDatos() const { return m_baseDatos.isOpen(); }

    // Start-up, once the catalogue is set: lists its countries in Jet's order...
    void fillCountries();
    // ...then selects the saved country (letter case ignored) or the first one. A catalogue
    // without countries leaves both lists empty.
    void restoreCountry();

    void selectCountry(int index);
    void cboPaises_Click();
    // LeeDatos ("read data"). Sets the current station, then the resolved station from the
    // first station of the current country with that name; a name not found leaves it.
    void LeeDatos(const QString &NombreRadio);
    // At unload.
    void closeBaseDatos();

Q_SIGNALS:
    // Refilling the station list after a user's pick failed: the program cannot go on, and
    // reports the message and ends.
    void catalogueFailed(const QString &message);

private:
    Session &m_session;
    QComboBox *m_cboPaises;
    QComboBox *m_cboRadios;
    StationLookup m_baseDatos;
};
