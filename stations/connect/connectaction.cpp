#include "connectaction.h"

#include "clicklabel.h"
#include "pictureimage.h"
#include "playercomponent.h"
#include "session.h"
#include "usermessages.h"

#include <QComboBox>

#include <exception>
#include <utility>

using namespace Qt::StringLiterals;

namespace {
const QString ProgramTitle = u"Sintonet Valdren"_s;
}

ConnectAction::ConnectAction(Session &session, const Controls &controls, const Players &players,
                             Lookup LeeDatos, UserMessages &messages)
    : m_session(session)
    , m_controls(controls)
    , m_players(players)
    , m_LeeDatos(std::move(LeeDatos))
    , m_messages(messages) {
    PictureImage *image = m_controls.imgConectar;
    QObject::connect(&m_session, &Session::connectedChanged, image,
                     [image](bool connected) { image->setBorderStyle(connected ? 1 : 0); });
}

bool ConnectAction::connected() const {
    return m_session.connected();
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
    m_session.setConnected(true);
    m_LeeDatos(m_controls.cboRadios->currentText());
    const CatalogueStation &station = m_session.resolved();
    switch (station.kind) {
    case PlayerKind::MediaPlayer:
        m_players.MediaPlayer1->open(station.address);
        break;
    case PlayerKind::RealAudio:
        m_players.RealAudio1->open(station.address);
        break;
    case PlayerKind::Unknown:
        m_messages.show(u"Se ha detectado un error de configuración, se cancela la operación."_s,
                        u"Error de configuración."_s, UserMessages::Icon::Exclamation);
        m_session.setConnected(false);
        return;
    }
    m_controls.lblCon->setText(u"Cortar"_s);
    m_session.setShown(m_controls.cboPaises->currentText(), m_controls.cboRadios->currentText());
    m_session.setCurrentStation(m_controls.cboRadios->currentText());
    // Last, with the texts in place: the digits light and the display starts turning.
    m_session.setOnAir(true);
}

void ConnectAction::cut() {
    // The digits go off and the display stops with the border.
    m_session.setConnected(false);
    m_controls.lblCon->setText(u"Conectar"_s);
}

void ConnectAction::resetToNotConnected() {
    m_session.setConnected(false);
    m_controls.lblCon->setText(u"Conectar"_s);
    for (PlayerComponent *player : {m_players.RealAudio1, m_players.MediaPlayer1}) {
        try {
            player->stop();
        } catch (const std::exception &) {
        }
    }
}

void ConnectAction::ImgCambiar_Click() {
    if (m_controls.cboRadios->currentText() == m_session.currentStation())
        return;
    if (connected())
        imgConectar_Click();
    imgConectar_Click();
}
