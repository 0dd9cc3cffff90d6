#pragma once

#include "playercomponent.h"
#include "volumescale.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <future>
#include <initializer_list>

struct mpv_handle;
struct mpv_event;
struct MpvLibrary;
class QNetworkAccessManager;
class QNetworkReply;
class QWindow;

// A stream player component: plays internet radio through libmpv. It sits on
// the main window out of sight and can hold the keyboard focus. Every call
// returns at once; the engine's events are taken on the UI thread (its wakeup
// callback only queues a call that drains them).
//
// Inside, a live station that drops is reconnected with a growing pause until
// stop(); playlist kinds the engine does not read (ASX, XSPF, RAM, Windows
// Media "[Reference]") are fetched and read by the component itself. Whoever
// reads a playlist, a try follows them only a few deep, never back to one it
// came out of, and opens a bounded number of addresses before it fails. A
// try whose audio output cannot be opened fails at once.
//
// The engine's library loads in the background, so that it never holds up
// the window: once the window holding the component is on screen, or at the
// first open(), which has the engine made in the background too and plays
// once it is there, without holding up the window meanwhile.
class StreamPlayer : public QWidget, public PlayerComponent {
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

    // name is the component's name on the main window ("MediaPlayer1",
    // "RealAudio1"): its object name, and the tag on files that
    // SINTONET_MPV_OPTIONS makes it write. Sets the process's LC_NUMERIC to
    // "C" as the engine requires: make the component after the
    // QApplication. When the engine is known not to start, open() throws
    // PlayerError; when it fails while the first open() waits for it, the
    // state turns to Failed.
    StreamPlayer(const QString &name, VolumeScale scale, QWidget *parent = nullptr);
    ~StreamPlayer() override;

    // Throws PlayerError for an empty address, an address that is no
    // network stream (local files among them) and when the engine is missing.
    void open(const QString &address) override;
    void stop() override;
    // Never fails: the value is held at the ends of the scale.
    void setVolume(int value) override;
    void takeFocus() override;

    State state() const { return m_state; }
    QString stationName() const { return m_stationName; }
    QString title() const { return m_title; }

Q_SIGNALS:
    void stateChanged(StreamPlayer::State state);
    // The station's own name and the title it announces now (ICY
    // "icy-name" and "StreamTitle"); both empty when nothing plays.
    void nowPlayingChanged(const QString &stationName, const QString &title);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Candidate {
        QUrl url;
        int depth = 0;        // playlists followed to reach it
        bool fetched = false; // already read by us, so no playlist of ours
        QList<QUrl> via;      // the playlists followed to reach it, outermost first
    };

    // An entry of the engine's current try, whether we loaded it or the
    // engine found it in a playlist it read. Its address arrives later, and
    // only for entries the engine found.
    struct EngineEntry {
        int depth = 0;
        int64_t parent = -1;
        QUrl url;
    };

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

    void loadEngineOnceExposed();
    void openOnceEngineStarted();
    void startEngine();
    // The engine, waited for if it is still starting; false when there is none.
    bool engine();

    static void wakeUp(void *context);
    void drainEvents();
    void handleEvent(const mpv_event &event);
    void handleEndOfEntry(const mpv_event &event);
    void handleMetadata(const mpv_event &event);
    void checkEngineExpansion(const mpv_event &event);
    bool leadsBack(const QUrl &url, int64_t parent) const;
    void askWhetherLive();
    void noteWhetherLive(const mpv_event &event);

    void startAddress(const QUrl &address);
    void tryNextCandidate();
    void loadIntoEngine(const Candidate &candidate);
    enum FetchMoment {
        BeforeEngine,      // the address's name says it is ours to read
        AfterEngineFailed, // the engine could not play it
        AfterEngineReadIt, // the engine read it as a playlist and played none of it
    };
    void fetchPlaylist(const Candidate &candidate, FetchMoment moment);
    void playlistFetched(QNetworkReply *reply);
    void engineTryEnded();
    bool spendOpen();
    void abandonTry(const char *why);
    void giveUp();
    void scheduleReconnect();
    void clearEngineTry();
    void abortFetch();

    bool command(std::initializer_list<QByteArray> arguments, uint64_t tag = 0);
    void setState(State state);
    void setNowPlaying(const QString &stationName, const QString &title);

    mpv_handle *m_mpv = nullptr;
    const MpvLibrary *m_lib = nullptr;
    std::future<mpv_handle *> m_engineStart;
    bool m_engineGone = false; // failed to start, or quit: never tried again
    QPointer<QWindow> m_watchedWindow;
    std::atomic<bool> m_drainQueued{false};
    VolumeScale m_scale;
    double m_volume = -1; // sent once the engine is there; below 0: none yet

    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_fetch;
    QByteArray m_fetchedBytes;
    Candidate m_fetching;
    FetchMoment m_fetchMoment = BeforeEngine;

    State m_state = State::Stopped;
    QString m_stationName;
    QString m_title;

    // What open() asked for; empty once stopped, failed or finished.
    QUrl m_address;
    QList<Candidate> m_candidates;
    // Entries and playlists this try may still open before it counts as failed.
    int m_opensLeft = 0;
    bool m_wasLive = false;
    QTimer m_retryTimer;
    QTimer m_engineWait;
    int m_retryDelayMs = 0;
    QElapsedTimer m_playingSince;

    // The engine's current try: our loadfile and the playlist entries it
    // turned into. Events of other entries belong to earlier tries.
    uint64_t m_nextTag = 1000;
    uint64_t m_loadTag = 0;
    Candidate m_loading;
    QSet<int64_t> m_entries;            // still to be played or ended
    QHash<int64_t, EngineEntry> m_tree; // all of them, ended ones too
    int64_t m_currentEntry = -1;
    bool m_entryLoaded = false;
    LiveFacts m_live;
    bool m_redirected = false;
    bool m_droppedLive = false;
    bool m_finished = false;
};
