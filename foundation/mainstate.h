#pragma once

#include <QString>
#include <QtGlobal>

// The fields of the main window that several subsystems read and write.
// Each subsystem receives a reference to the one instance the window owns.
struct MainState {
    bool Cargando = false;     // true for the whole of start-up
    QString SkinGuardado;      // settings "Skin" as read at start-up
    QString UltimoPais;        // settings "LastCountry" as read at start-up
    QString UltimaRadio;       // settings "LastRadio" as read at start-up
    bool AutoConexion = false; // settings "Autoconnect" was exactly "1"
    QString EstadoGuardado;    // settings "Status" as read at start-up
    QString VolCol;            // digit colour set name, saved as "NumberType"
    QString PaisActual;        // country whose stations the station list shows
    QString RadioActual;       // station of the last connect attempt
    quint8 VolNum = 0;         // volume step 0..10
    QString DireccionRadio;    // stream address of the last lookup that found a row
    QString MedioRadio;        // player kind of the last lookup that found a row
    QString PaisFX;            // country shown by the status display
    QString RadioFX;           // station shown by the status display
};
