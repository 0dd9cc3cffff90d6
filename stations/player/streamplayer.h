#pragma once

#include "enginesession.h"
#include "playercomponent.h"
#include "volumescale.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class QWindow;

// A stream player component: plays internet radio through its engine
// session. It sits on the main window out of sight and can hold the
// keyboard focus; every call returns at once.
//
// The engine's library loads in the background once the window holding the
// component is on screen, so that it never holds up the window.
class StreamPlayer : public QWidget, public PlayerComponent {
    Q_OBJECT

public:
    using State = EngineSession::State;

    // name is the component's name on the main window ("MediaPlayer1",
    // "RealAudio1"): its object name, and the tag on files that
    // SINTONET_MPV_OPTIONS makes it write. Make the component after the
    // QApplication (see EngineSession).
    StreamPlayer(const QString &name, VolumeScale scale, QWidget *parent = nullptr);

    // Throws PlayerError for an empty address, an address that is no
    // network stream (local files among them) and when the engine is missing.
    void open(const QString &address) override { m_session.open(address); }
    void stop() override { m_session.stop(); }
    // Never fails: the value is held at the ends of the scale.
    void setVolume(int value) override { m_session.setVolume(value); }
    void takeFocus() override { setFocus(Qt::OtherFocusReason); }

    // See EngineSession.
    void reconnectNow(bool evenIfPlaying) { m_session.reconnectNow(evenIfPlaying); }

    State state() const { return m_session.state(); }
    EngineSession::Failure failure() const { return m_session.failure(); }
    QString stationName() const { return m_session.stationName(); }
    QString title() const { return m_session.title(); }

Q_SIGNALS:
    void stateChanged(StreamPlayer::State state);
    // The station's own name and the title it announces now (ICY
    // "icy-name" and "StreamTitle"); both empty when nothing plays.
    void nowPlayingChanged(const QString &stationName, const QString &title);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadEngineOnceExposed();

    EngineSession m_session;
    QPointer<QWindow> m_watchedWindow;
};
