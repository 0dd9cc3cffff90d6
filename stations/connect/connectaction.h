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
// image's border shows it.
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
    // What the other subsystems do for a connect or a cut.
    struct Calls {
        std::function<void(const QString &NombreRadio)> LeeDatos; // throws when the lookup fails
        std::function<void(bool Apagado)> SetVolNum;
        std::function<void()> startDisplay; // enables Timer1
        std::function<void()> cutDisplay;   // disables Timer1 and Timer2, clears FX
    };

    ConnectAction(Session &session, const Controls &controls, const Players &players,
                  const Calls &calls, UserMessages &messages);

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
    Calls m_calls;
    UserMessages &m_messages;
};
