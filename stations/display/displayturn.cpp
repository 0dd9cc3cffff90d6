#include "displayturn.h"

namespace {

bool keepsTurning(double Angulo, quint8 Cuadrante, bool Reversa) {
    if (!Reversa) {
        switch (Cuadrante) {
        case 0:
            return Angulo < 90;
        case 1:
            return Angulo < 180;
        case 2:
            return Angulo < 270;
        case 3:
            return Angulo < 360;
        }
        return false;
    }
    switch (Cuadrante) {
    case 3:
        return Angulo > 180;
    case 2:
        return Angulo > 90;
    case 1:
        return Angulo > 0;
    case 0:
        // Backwards, the last quarter runs from 360 down to 270 and starts at 0.
        return Angulo > 270 || Angulo == 0;
    }
    return false;
}

} // namespace

DisplayTurn nextTurn(double Angulo, quint8 Cuadrante, bool Reversa) {
    if (keepsTurning(Angulo, Cuadrante, Reversa)) {
        if (!Reversa)
            Angulo += 5;
        else
            Angulo = Angulo <= 0 ? 355 : Angulo - 5;
        return {Angulo, Cuadrante, false};
    }
    if (!Reversa)
        Cuadrante = Cuadrante >= 3 ? 0 : Cuadrante + 1;
    else
        Cuadrante = Cuadrante <= 0 ? 3 : Cuadrante - 1;
    return {90.0 * Cuadrante, Cuadrante, true};
}
