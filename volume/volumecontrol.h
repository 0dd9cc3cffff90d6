#pragma once

#include <QList>
#include <QObject>

struct MainState;
class PictureImage;
class QAction;
class UpDownArrows;
class VolumeDigits;
class PlayerComponent;

// The volume step 0..10 in VolNum, changed with the arrows of Scroll1 (only
// while a station is connected) or the eleven items of the tray's volume
// submenu (at any time). Every change goes to both players, whichever plays,
// so a station connected later plays at the last step set.
class VolumeControl : public QObject {
    Q_OBJECT

public:
    // mnuVol: the submenu's items "10" down to "1", then "Silencio"; their
    // captions decide their steps. imgConectar's border style is the connected
    // state. The players may be null.
    VolumeControl(MainState &state, UpDownArrows *Scroll1, const QList<QAction *> &mnuVol,
                  PlayerComponent *MediaPlayer1, PlayerComponent *RealAudio1,
                  const PictureImage *imgConectar, VolumeDigits *digits, QObject *parent = nullptr);

    void Scroll1_Change();
    void Scroll1_GotFocus();
    void mnuVol_Click(int Index);
    // Desactivamnu ("deactivate menu"): moves the check mark to the item of the current step.
    void Desactivamnu();
    // CambiaVol ("change volume"): gives both players the current step.
    void CambiaVol();

    // "Silencio" is step 0; the other captions are their own step.
    static quint8 stepFromCaption(const QString &caption);

private:
    bool connected() const;
    void setPlayers(quint8 step);

    MainState &m_state;
    UpDownArrows *m_scroll;
    QList<QAction *> m_mnuVol;
    PlayerComponent *m_mediaPlayer;
    PlayerComponent *m_realPlayer;
    const PictureImage *m_imgConectar;
    VolumeDigits *m_digits;
};
