#pragma once

#include "reconnectpolicy.h"
#include "streamresolver.h"
#include "volumescale.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <cstdint>
#include <future>
#include <initializer_list>

struct mpv_handle;
struct mpv_event;
struct MpvLibrary;

// One playback engine and what it plays: the only class that talks to
// libmpv. Every call returns at once; the engine's events are taken on the
// thread the session lives in (its wakeup callback only queues a call that
// drains them).
//
// The session plays the addresses its resolver hands it and tells a live
// station from a file: a live station that drops is tried again, as its
// reconnect policy says, until stop(). A try whose audio output cannot be
// opened fails at once.
//
// The engine is made in the background at the first open(), which plays
// once it is there without holding up its caller meanwhile.
class EngineSession : public QObject {
    Q_OBJECT

public:
    enum class State {
        Stopped,      // nothing asked for, or a finite stream played to its end
        Opening,      // connecting, reading a playlist, buffering
        Playing,      // sound is coming out
        Reconnecting, // a live station dropped; the next try is waiting
        Failed,       // nothing at the address could be played
    };
    Q_ENUM(State)

    // Why the state turned to Failed.
    enum class Failure {
        None,
        NoEngine,    // the playback engine did not start
        NoOutput,    // no audio output could be opened
        Unreachable, // refused, not found, or no answer
        NoAudio,     // something answered, but nothing in it plays
        TooFar,      // the playlists went on beyond the limits of one try
    };
    Q_ENUM(Failure)

    // name tags the log and the files that SINTONET_MPV_OPTIONS makes the
    // engine write. Sets the process's LC_NUMERIC to "C" as the engine
    // requires: make the session after the QApplication.
    EngineSession(const QString &name, VolumeScale scale, QObject *parent = nullptr);
    ~EngineSession() override;

    // Starts loading the engine's library in the background, if nobody has yet.
    static void preloadLibrary();
    // Whether the engine has been asked for: it is there, being made, or
    // known not to start.
    bool engineRequested() const;

    // Throws PlayerError for an empty address, an address that is no
    // network stream (local files among them) and when the engine is known
    // not to start; when it fails while the first open() waits for it, the
    // state turns to Failed.
    void open(const QString &address);
    void stop();
    // The machine woke up or the network came back: a station that dropped is tried again
    // at once, with short pauses again should that fail too; with evenIfPlaying, so is one
    // still playing, whose connection may not have lived through the sleep. Anything else is
    // left as it is.
    void reconnectNow(bool evenIfPlaying);
    // Never fails: the value is held at the ends of the scale.
    void setVolume(int value);

    State state() const { return m_state; }
    // None unless the state is Failed.
    Failure failure() const { return m_state == State::Failed ? m_failure : Failure::None; }
    QString stationName() const { return m_stationName; }
    QString title() const { return m_title; }

Q_SIGNALS:
    void stateChanged(EngineSession::State state);
    // The station's own name and the title it announces now (ICY
    // "icy-name" and "StreamTitle"); both empty when nothing plays.
    void nowPlayingChanged(const QString &stationName, const QString &title);

private:
    // What the engine told about the entry it plays: enough to tell a live
    // station from a file. Unknown until its answers arrive, and then
    // taken for a file.
    struct LiveFacts {
        int64_t entry = -1;
        bool formatKnown = false;
        bool hls = false;
        bool sizeKnown = false;
        bool seekable = false;

        bool isLive(int64_t of) const {
            return of == entry && formatKnown && (!sizeKnown || (hls && !seekable));
        }
    };

    void startEngine();
    // The engine, waited for if it is still starting; false when there is none.
    bool engine();
    void openOnceEngineStarted();

    static void wakeUp(void *context);
    void drainEvents();
    void handleEvent(const mpv_event &event);
    void handleEndOfEntry(const mpv_event &event);
    void handleMetadata(const mpv_event &event);
    void checkEngineExpansion(const mpv_event &event);
    void askWhetherLive();
    void noteWhetherLive(const mpv_event &event);

    void load(const QUrl &url);
    void engineTryEnded();
    void abandonTry(const char *why);
    void giveUp();
    void reconnectAfter(int delayMs);
    void clearEngineTry();

    bool command(std::initializer_list<QByteArray> arguments, uint64_t tag = 0);
    void setState(State state);
    void setNowPlaying(const QString &stationName, const QString &title);

    const QString m_name;
    mpv_handle *m_mpv = nullptr;
    const MpvLibrary *m_lib = nullptr;
    std::future<mpv_handle *> m_engineStart;
    bool m_engineGone = false; // failed to start, or quit: never tried again
    std::atomic<bool> m_drainQueued{false};
    VolumeScale m_scale;
    double m_volume = -1; // sent once the engine is there; below 0: none yet

    StreamResolver m_resolver;
    ReconnectPolicy m_reconnect;
    QElapsedTimer m_clock; // the policy's moments
    QTimer m_retryTimer;
    QTimer m_engineWait;

    State m_state = State::Stopped;
    // What the current try met so far; told once the station is given up.
    Failure m_failure = Failure::None;
    QString m_stationName;
    QString m_title;

    // What open() asked for; empty once stopped, failed or finished.
    QUrl m_address;

    // The engine's current try: our loadfile and the playlist entries it
    // turned into. Events of other entries belong to earlier tries.
    uint64_t m_nextTag = 1000;
    uint64_t m_loadTag = 0;
    QSet<int64_t> m_entries; // still to be played or ended
    int64_t m_currentEntry = -1;
    bool m_entryLoaded = false;
    LiveFacts m_live;
    bool m_redirected = false;
    bool m_droppedLive = false;
    bool m_finished = false;
};
