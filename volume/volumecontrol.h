#pragma once

#include <QList>
#include <QObject>

class Session;
class QAction;
class UpDownArrows;
class PlayerComponent;

// The session's volume step 0..10, changed with the arrows of Scroll1 (only
// while a station is connected) or the eleven items of the tray's volume
// submenu (at any time). Every change goes to both players, whichever plays,
// so a station connected later plays at the last step set. The tray's check marks and the
// digits follow the session's step.
class VolumeControl : public QObject {
    Q_OBJECT

public:
    // mnuVol: the submenu's items "10" down to "1", then "Silencio"; item k
    // stands for step 10 - k. The players may be null.
    VolumeControl(Session &session, UpDownArrows *Scroll1, const QList<QAction *> &mnuVol,
                  PlayerComponent *MediaPlayer1, PlayerComponent *RealAudio1,
                  QObject *parent = nullptr);

    void Scroll1_Change();
    void Scroll1_GotFocus();
    void mnuVol_Click(int Index);
    // Desactivamnu ("deactivate menu"): moves the check mark to the item of the current step;
    // run for every change of the step.
    void Desactivamnu();
    // CambiaVol ("change volume"): gives both players the current step.
    void CambiaVol();

    // Choosing the step from outside the window, as its menu item would.
    void chooseStep(int step);

private:
    void setPlayers(quint8 step);

    Session &m_session;
    UpDownArrows *m_scroll;
    QList<QAction *> m_mnuVol;
    PlayerComponent *m_mediaPlayer;
    PlayerComponent *m_realPlayer;
};
