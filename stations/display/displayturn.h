#pragma once

#include <QtGlobal>

// One tick of the display's turn: the angle and quarter after it, and whether
// the quarter turn has just ended, which begins a rest.
struct DisplayTurn {
    double Angulo = 0;
    quint8 Cuadrante = 0;
    bool restBegins = false;
};

DisplayTurn nextTurn(double Angulo, quint8 Cuadrante, bool Reversa);
