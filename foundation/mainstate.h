#pragma once

#include <QString>
#include <QtGlobal>

// The fields of the main window that several subsystems read and write.
// Each subsystem receives a reference to the one instance the window owns.
// The names are the window's designed Spanish ones; each comment gives the English.
struct MainState {
    bool Cargando = false;     // "loading": true for the whole of start-up
    QString SkinGuardado;      // "saved skin": settings "Skin" as read at start-up
    QString UltimoPais;        // "last country": settings "LastCountry" as read at start-up
    QString UltimaRadio;       // "last station": settings "LastRadio" as read at start-up
    bool AutoConexion = false; // "auto-connect": settings "Autoconnect" was exactly "1"
    QString EstadoGuardado;    // "saved state": settings "Status" as read at start-up
    QString VolCol;            // "volume colour": digit colour set name, saved as "NumberType"
    QString PaisActual;        // "current country": whose stations the station list shows
    QString RadioActual;       // "current station": the one of the last connect attempt
    quint8 VolNum = 0;         // "volume number": step 0..10
    QString DireccionRadio;    // "station address": of the last lookup that found a row
    QString MedioRadio;        // "station medium": its player kind, same lookup
    QString PaisFX;            // country shown by the status display FX
    QString RadioFX;           // station shown by the status display FX
};
