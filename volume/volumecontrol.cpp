#include "volumecontrol.h"

#include "mainstate.h"
#include "pictureimage.h"
#include "playercomponent.h"
#include "playererror.h"
#include "updownarrows.h"
#include "volumedigits.h"
#include "volumesteps.h"

#include <QAction>

using namespace Qt::StringLiterals;

VolumeControl::VolumeControl(MainState &state, UpDownArrows *Scroll1,
                             const QList<QAction *> &mnuVol, PlayerComponent *MediaPlayer1,
                             PlayerComponent *RealAudio1, const PictureImage *imgConectar,
                             VolumeDigits *digits, QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_scroll(Scroll1)
    , m_mnuVol(mnuVol)
    , m_mediaPlayer(MediaPlayer1)
    , m_realPlayer(RealAudio1)
    , m_imgConectar(imgConectar)
    , m_digits(digits) {
    // Value changes made by code come back through here too, nested inside the
    // assignment: that is what the handlers below rely on.
    connect(m_scroll, &UpDownArrows::valueChanged, this, &VolumeControl::Scroll1_Change);
    connect(m_scroll, &UpDownArrows::focusReceived, this, &VolumeControl::Scroll1_GotFocus);
    for (int index = 0; index < m_mnuVol.size(); ++index)
        connect(m_mnuVol[index], &QAction::triggered, this, [this, index] { mnuVol_Click(index); });
}

quint8 VolumeControl::stepFromCaption(const QString &caption) {
    if (caption == u"Silencio"_s)
        return 0;
    return quint8(qMin(caption.toUShort(), ushort(VolumeSteps::Loudest)));
}

bool VolumeControl::connected() const {
    return m_imgConectar && m_imgConectar->borderStyle() != 0;
}

namespace {

// A player that fails a call must neither end the program from inside an event
// handler nor keep the other player from its share of the change.
template<typename Call> void tolerate(PlayerComponent *player, Call call) {
    if (!player)
        return;
    try {
        call(*player);
    } catch (const PlayerError &) {
    }
}

} // namespace

void VolumeControl::setPlayers(quint8 step) {
    tolerate(m_mediaPlayer,
             [step](PlayerComponent &p) { p.setVolume(VolumeSteps::mediaPlayer(step)); });
    tolerate(m_realPlayer,
             [step](PlayerComponent &p) { p.setVolume(VolumeSteps::realAudio(step)); });
}

void VolumeControl::Scroll1_Change() {
    if (!connected()) {
        // Holds the bar still; the nested run this raises finds it unchanged.
        m_scroll->setValue(m_state.VolNum);
        return;
    }
    m_state.VolNum = quint8(m_scroll->value());
    if (m_digits)
        m_digits->SetVolNum(false);
    Desactivamnu();
    CambiaVol();
}

void VolumeControl::Scroll1_GotFocus() {
    // The player lies outside the window: the bar shows no focus mark and the
    // keys never move it.
    tolerate(m_realPlayer, [](PlayerComponent &p) { p.takeFocus(); });
}

void VolumeControl::mnuVol_Click(int Index) {
    if (Index < 0 || Index >= m_mnuVol.size())
        return;
    const quint8 step = stepFromCaption(m_mnuVol[Index]->text());
    setPlayers(step);
    m_state.VolNum = step;
    m_scroll->setValue(m_state.VolNum);
    Desactivamnu();
}

void VolumeControl::Desactivamnu() {
    for (QAction *item : std::as_const(m_mnuVol))
        item->setChecked(stepFromCaption(item->text()) == m_state.VolNum);
}

void VolumeControl::CambiaVol() {
    setPlayers(m_state.VolNum);
    Desactivamnu();
}
