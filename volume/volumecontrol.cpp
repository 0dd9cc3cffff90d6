#include "volumecontrol.h"

#include "playercomponent.h"
#include "playererror.h"
#include "session.h"
#include "updownarrows.h"
#include "volumesteps.h"

#include <QAction>

using namespace Qt::StringLiterals;

VolumeControl::VolumeControl(Session &session, UpDownArrows *Scroll1,
                             const QList<QAction *> &mnuVol, PlayerComponent *MediaPlayer1,
                             PlayerComponent *RealAudio1, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_scroll(Scroll1)
    , m_mnuVol(mnuVol)
    , m_mediaPlayer(MediaPlayer1)
    , m_realPlayer(RealAudio1) {
    // Value changes made by code come back through here too, nested inside the
    // assignment: that is what the handlers below rely on.
    connect(m_scroll, &UpDownArrows::valueChanged, this, &VolumeControl::Scroll1_Change);
    connect(m_scroll, &UpDownArrows::focusReceived, this, &VolumeControl::Scroll1_GotFocus);
    for (int index = 0; index < m_mnuVol.size(); ++index)
        connect(m_mnuVol[index], &QAction::triggered, this, [this, index] { mnuVol_Click(index); });
    connect(&m_session, &Session::volumeStepChanged, this, &VolumeControl::Desactivamnu);
}

namespace {

// The menu lists the steps from the loudest down.
quint8 stepOfItem(int index) {
    return quint8(VolumeSteps::Loudest - index);
}

} // namespace

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
    if (!m_session.connected()) {
        // Holds the bar still; the nested run this raises finds it unchanged.
        m_scroll->setValue(m_session.volumeStep());
        return;
    }
    m_session.setVolumeStep(quint8(m_scroll->value()));
    CambiaVol();
}

void VolumeControl::Scroll1_GotFocus() {
    // The player lies outside the window: the bar shows no focus mark and the
    // keys never move it.
    tolerate(m_realPlayer, [](PlayerComponent &p) { p.takeFocus(); });
}

void VolumeControl::mnuVol_Click(int Index) {
    if (Index < 0 || Index >= m_mnuVol.size() || Index > VolumeSteps::Loudest)
        return;
    const quint8 step = stepOfItem(Index);
    setPlayers(step);
    m_session.setVolumeStep(step);
    m_scroll->setValue(m_session.volumeStep());
    // Choosing the checked item again unchecks it and changes no step: mark it again.
    Desactivamnu();
}

void VolumeControl::chooseStep(int step) {
    mnuVol_Click(VolumeSteps::Loudest - qBound(0, step, int(VolumeSteps::Loudest)));
}

void VolumeControl::Desactivamnu() {
    for (int index = 0; index < m_mnuVol.size(); ++index)
        m_mnuVol[index]->setChecked(stepOfItem(index) == m_session.volumeStep());
}

void VolumeControl::CambiaVol() {
    setPlayers(m_session.volumeStep());
}
