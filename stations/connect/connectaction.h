#pragma once

#include <QString>

#include <functional>

class ClickLabel;
class PictureImage;
class PlayerComponent;
class QComboBox;
class UserMessages;
class Session;

// Connect, cut and change station. The connected state is the session's; the connect
// image's border shows it, and the volume digits and the status display follow the session
// on their own when the station goes on air or is cut.
class ConnectAction {
public:
    struct Controls {
        PictureImage *imgConectar = nullptr;
        ClickLabel *lblCon = nullptr;
        QComboBox *cboPaises = nullptr;
        QComboBox *cboRadios = nullptr;
    };
    struct Players {
        PlayerComponent *MediaPlayer1 = nullptr;
        PlayerComponent *RealAudio1 = nullptr;
    };
    // LeeDatos ("read data"): the catalogue lookup; throws when it fails.
    using Lookup = std::function<void(const QString &NombreRadio)>;

    ConnectAction(Session &session, const Controls &controls, const Players &players,
                  Lookup LeeDatos, UserMessages &messages);

    // Anuma (from "anular", to cancel): stops both players.
    void Anuma();
    void imgConectar_Click();
    // ImgCambiar ("change"): switches to the station now selected.
    void ImgCambiar_Click();

    bool connected() const;

private:
    void connectStation();
    void cut();
    void resetToNotConnected();

    Session &m_session;
    Controls m_controls;
    Players m_players;
    Lookup m_LeeDatos;
    UserMessages &m_messages;
};
