#include "desktopties.h"

#include "nowplayingnotifier.h"
#include "resumewatch.h"
#include "session.h"
#include "sleepinhibitor.h"
#include "streamplayer.h"

#include <QWidget>

#include <utility>

using namespace Qt::StringLiterals;

DesktopTies::DesktopTies(Session &session, QWidget &window, StreamPlayer *mediaPlayer,
                         StreamPlayer *realAudio, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_window(window)
    , m_mediaPlayer(mediaPlayer)
    , m_realAudio(realAudio) {
    for (StreamPlayer *player : {mediaPlayer, realAudio})
        connect(player, &StreamPlayer::stateChanged, this, &DesktopTies::updateSound);
    connect(&session, &Session::connectedChanged, this, &DesktopTies::updateSound);
    connect(&session, &Session::resolvedChanged, this, &DesktopTies::updateSound);
}

void DesktopTies::start(const QDBusConnection &sessionBus, const QDBusConnection &systemBus) {
    delete std::exchange(m_notifier, nullptr);
    delete m_inhibitor;
    delete m_resume;
    if (m_session.saved().notifications) {
        m_notifier = new NowPlayingNotifier(
            m_session, [this] { return m_window.isActiveWindow(); }, sessionBus, this);
    }
    m_inhibitor = new SleepInhibitor(m_session, systemBus, this);
    m_resume = new ResumeWatch(systemBus, this);
    // After a sleep the connection may be dead without the engine knowing yet; a network
    // coming back only matters to a station that lost it.
    for (StreamPlayer *player : {m_mediaPlayer, m_realAudio}) {
        connect(m_resume, &ResumeWatch::wokeUp, player, [player] { player->reconnectNow(true); });
        connect(m_resume, &ResumeWatch::networkBack, player,
                [player] { player->reconnectNow(false); });
    }
    m_resume->watchNetwork();
}

void DesktopTies::updateSound() {
    const StreamPlayer *player =
        m_session.resolved().kind == PlayerKind::RealAudio ? m_realAudio : m_mediaPlayer;
    switch (m_session.connected() ? player->state() : StreamPlayer::State::Stopped) {
    case StreamPlayer::State::Failed:
        m_session.setSound(Session::Sound::Failed, wordsFor(player->failure()));
        break;
    case StreamPlayer::State::Reconnecting:
        m_session.setSound(Session::Sound::Lost);
        break;
    default:
        m_session.setSound(Session::Sound::Expected);
        break;
    }
}

QString DesktopTies::wordsFor(EngineSession::Failure failure) {
    using Failure = EngineSession::Failure;
    switch (failure) {
    case Failure::NoEngine:
        return u"El reproductor no ha podido arrancar."_s;
    case Failure::NoOutput:
        return u"No se puede abrir la salida de sonido."_s;
    case Failure::NoAudio:
        return u"La emisora no emite sonido."_s;
    case Failure::TooFar:
        return u"Sus listas de reproducción no llevan a ningún sonido."_s;
    case Failure::Unreachable:
    case Failure::None:
        break;
    }
    return u"La emisora no responde o no existe."_s;
}
