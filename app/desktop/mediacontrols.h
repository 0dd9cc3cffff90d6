#pragma once

#include <QString>

// What the desktop's media controls may see and do in the program. Each call
// goes the same way as the window's own control for it, so a media key does
// exactly what a click would.
class MediaControls {
public:
    virtual ~MediaControls() = default;

    // A station is connected ("Cortar" shows).
    virtual bool playing() const = 0;
    // A click on "Conectar" or "Cortar", whichever shows. May show a message box.
    virtual void connectOrCut() = 0;

    // The station last connected and its country; empty before the first.
    virtual QString station() const = 0;
    virtual QString country() const = 0;
    // The song title the connected station announces now; empty when none.
    virtual QString icyTitle() const = 0;

    // The volume step, 0 ("Silencio") to 10.
    virtual int volumeStep() const = 0;
    // Choosing the tray's "Volumen" item of this step (0..10).
    virtual void chooseVolumeStep(int step) = 0;

    // Brings the window back as "Abrir ventana" does, from the tray or minimized.
    virtual void raiseWindow() = 0;
};
