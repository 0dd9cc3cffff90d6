#include "connectaction.h"

#include "clicklabel.h"
#include "mainstate.h"
#include "pictureimage.h"
#include "playercomponent.h"
#include "usermessages.h"

#include <QComboBox>

#include <exception>

using namespace Qt::StringLiterals;

namespace {
const QString ProgramTitle = u"Sintonet Valdren"_s;
}

ConnectAction::ConnectAction(MainState &state, const Controls &controls, const Players &players,
                             const Calls &calls, UserMessages &messages)
    : m_state(state)
    , m_controls(controls)
    , m_players(players)
    , m_calls(calls)
    , m_messages(messages) {}

bool ConnectAction::connected() const {
    return m_controls.imgConectar->borderStyle() == 1;
}

void ConnectAction::Anuma() {
    m_players.RealAudio1->stop();
    m_players.MediaPlayer1->stop();
}

void ConnectAction::imgConectar_Click() {
    try {
        Anuma();
        if (connected())
            cut();
        else
            connectStation();
    } catch (const std::exception &) {
        m_messages.show(u"ARGH!!"_s, ProgramTitle, UserMessages::Icon::None);
        // Left half-connected, the next click on "Conectar" would silently cut.
        resetToNotConnected();
    }
}

void ConnectAction::connectStation() {
    m_controls.imgConectar->setBorderStyle(1);
    m_calls.LeeDatos(m_controls.cboRadios->currentText());
    if (m_state.MedioRadio == u"WMP"_s) {
        m_players.MediaPlayer1->open(m_state.DireccionRadio);
    } else if (m_state.MedioRadio == u"RP"_s) {
        m_players.RealAudio1->open(m_state.DireccionRadio);
    } else {
        m_messages.show(u"Se ha detectado un error de configuración, se cancela la operación."_s,
                        u"Error de configuración."_s, UserMessages::Icon::Exclamation);
        m_controls.imgConectar->setBorderStyle(0);
        return;
    }
    m_calls.SetVolNum(false);
    m_controls.lblCon->setText(u"Cortar"_s);
    m_state.PaisFX = m_controls.cboPaises->currentText();
    m_state.RadioFX = m_controls.cboRadios->currentText();
    m_state.RadioActual = m_controls.cboRadios->currentText();
    m_calls.startDisplay();
}

void ConnectAction::cut() {
    m_controls.imgConectar->setBorderStyle(0);
    m_calls.SetVolNum(true);
    m_controls.lblCon->setText(u"Conectar"_s);
    m_calls.cutDisplay();
}

void ConnectAction::resetToNotConnected() {
    m_controls.imgConectar->setBorderStyle(0);
    m_controls.lblCon->setText(u"Conectar"_s);
    for (PlayerComponent *player : {m_players.RealAudio1, m_players.MediaPlayer1}) {
        try {
            player->stop();
        } catch (const std::exception &) {
        }
    }
    try {
        m_calls.SetVolNum(true);
        m_calls.cutDisplay();
    } catch (const std::exception &) {
    }
}

void ConnectAction::ImgCambiar_Click() {
    if (m_controls.cboRadios->currentText() == m_state.RadioActual)
        return;
    if (connected())
        imgConectar_Click();
    imgConectar_Click();
}
