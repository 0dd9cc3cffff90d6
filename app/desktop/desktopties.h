#pragma once

#include "enginesession.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

class NowPlayingNotifier;
class ResumeWatch;
class Session;
class SleepInhibitor;
class StreamPlayer;
class QWidget;

// What the program does on the desktop beyond the designed window: it tells the session
// whether the station is heard, shows titles and failures as notifications, holds sleep off
// while a station plays, and reconnects at once after a sleep or a network outage.
class DesktopTies : public QObject {
    Q_OBJECT

public:
    DesktopTies(Session &session, QWidget &window, StreamPlayer *mediaPlayer,
                StreamPlayer *realAudio, QObject *parent = nullptr);

    // Once the settings are read: the notifications may be turned off there. Each part goes
    // quietly without its bus or service.
    void start(const QDBusConnection &sessionBus = QDBusConnection::sessionBus(),
               const QDBusConnection &systemBus = QDBusConnection::systemBus());
    bool started() const { return m_inhibitor != nullptr; }

    // Spanish words for the desktop.
    static QString wordsFor(EngineSession::Failure failure);

private:
    void updateSound();

    Session &m_session;
    QWidget &m_window;
    StreamPlayer *m_mediaPlayer;
    StreamPlayer *m_realAudio;
    NowPlayingNotifier *m_notifier = nullptr;
    SleepInhibitor *m_inhibitor = nullptr;
    ResumeWatch *m_resume = nullptr;
};
