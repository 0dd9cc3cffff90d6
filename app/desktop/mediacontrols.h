#pragma once

// What the desktop's media controls may do in the program. Each call goes the same way as
// the window's own control for it, so a media key does exactly what a click would. What
// they show comes from the session.
class MediaControls {
public:
    virtual ~MediaControls() = default;

    // A click on "Conectar" or "Cortar", whichever shows. May show a message box.
    virtual void connectOrCut() = 0;
    // Choosing the tray's "Volumen" item of this step (0..10).
    virtual void chooseVolumeStep(int step) = 0;
    // Brings the window back as "Abrir ventana" does, from the tray or minimized.
    virtual void raiseWindow() = 0;
};
