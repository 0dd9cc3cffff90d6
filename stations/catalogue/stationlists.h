#pragma once

#include "catalogue.h"

#include <QObject>
#include <QString>

#include <memory>

class QComboBox;
struct MainState;

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
    StationLists(MainState &state, QComboBox *cboPaises, QComboBox *cboRadios,
                 QObject *parent = nullptr);
    ~StationLists() override;

    // BaseDatos ("database"): the open station catalogue.
    void setBaseDatos(std::unique_ptr<Catalogue> baseDatos);
    Catalogue *BaseDatos() const { return m_baseDatos.get(); }

    // Start-up, once the catalogue is set: lists its countries in Jet's order...
    void fillCountries();
    // ...then selects the saved country (letter case ignored) or the first one. A catalogue
    // without countries leaves both lists empty.
    void restoreCountry();

    void selectCountry(int index);
    void cboPaises_Click();
    // LeeDatos ("read data"). Sets RadioActual, then DireccionRadio and MedioRadio from the first
    // station of the current country with that name; a name not found changes neither.
    void LeeDatos(const QString &NombreRadio);
    // At unload.
    void closeBaseDatos();

Q_SIGNALS:
    // Refilling the station list after a user's pick failed: the program cannot go on, and
    // reports the message and ends.
    void catalogueFailed(const QString &message);

private:
    Catalogue &baseDatos() const;

    MainState &m_state;
    QComboBox *m_cboPaises;
    QComboBox *m_cboRadios;
    std::unique_ptr<Catalogue> m_baseDatos;
};
