#include "enginesession.h"

#include "engineoptions.h"
#include "icytext.h"
#include "mpvlibrary.h"
#include "playererror.h"
#include "playlistparser.h"

#include <chrono>
#include <clocale>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr uint64_t MetadataReply = 1;
constexpr uint64_t FileSizeReply = 2;
constexpr uint64_t SeekableReply = 3;
constexpr uint64_t FileFormatReply = 4;
constexpr uint64_t PlaylistReply = 5;

constexpr int EngineWaitMs = 5;

// Failures that another try of the same address cannot mend.
bool isPermanent(int error) {
    return error == MPV_ERROR_AO_INIT_FAILED || error == MPV_ERROR_NOTHING_TO_PLAY ||
           error == MPV_ERROR_UNKNOWN_FORMAT || error == MPV_ERROR_UNSUPPORTED;
}

const mpv_node *mapValue(const mpv_node &map, const char *key) {
    if (map.format != MPV_FORMAT_NODE_MAP)
        return nullptr;
    for (int i = 0; i < map.u.list->num; ++i) {
        if (qstricmp(map.u.list->keys[i], key) == 0)
            return &map.u.list->values[i];
    }
    return nullptr;
}

QString stringValue(const mpv_node &map, const char *key) {
    const mpv_node *value = mapValue(map, key);
    // Stations send these in any encoding: the engine hands over raw bytes.
    return value && value->format == MPV_FORMAT_STRING
               ? IcyText::plainLine(QByteArray(value->u.string))
               : QString();
}

} // namespace

EngineSession::EngineSession(const QString &name, VolumeScale scale, QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_scale(scale) {
    setObjectName(name);
    m_clock.start();
    connect(&m_resolver, &StreamResolver::loadRequested, this, &EngineSession::load);
    connect(&m_resolver, &StreamResolver::exhausted, this, &EngineSession::giveUp);
    connect(&m_resolver, &StreamResolver::abandoned, this, &EngineSession::abandonTry);
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, [this] {
        if (!m_address.isEmpty()) {
            m_failure = Failure::None;
            m_resolver.begin(m_address);
        }
    });
    // The first open() does not wait for an engine still starting: it looks
    // again at this pace, and plays once the engine is there.
    m_engineWait.setInterval(EngineWaitMs);
    connect(&m_engineWait, &QTimer::timeout, this, &EngineSession::openOnceEngineStarted);

    // The engine refuses to start unless numbers use the C conventions; the
    // application object has just switched the process to the user's locale.
    std::setlocale(LC_NUMERIC, "C");
}

EngineSession::~EngineSession() {
    m_resolver.cancel();
    if (!m_mpv && m_engineStart.valid()) {
        m_mpv = m_engineStart.get();
        m_lib = MpvLibrary::get();
    }
    if (m_mpv) {
        // After this no callback runs any more, so none can reach a dead object.
        m_lib->setWakeupCallback(m_mpv, nullptr, nullptr);
        m_lib->terminateDestroy(m_mpv);
    }
}

void EngineSession::preloadLibrary() {
    MpvLibrary::preload();
}

bool EngineSession::engineRequested() const {
    return m_mpv || m_engineStart.valid() || m_engineGone;
}

void EngineSession::startEngine() {
    if (engineRequested())
        return;
    m_engineStart = MpvLibrary::startEngine(EngineOptions::radioDefaults(),
                                            EngineOptions::fromEnvironment(m_name),
                                            EngineOptions::EnvironmentVariable);
}

bool EngineSession::engine() {
    if (m_mpv)
        return true;
    startEngine();
    if (!m_engineStart.valid())
        return false;
    m_mpv = m_engineStart.get();
    m_lib = MpvLibrary::get();
    if (!m_mpv) {
        m_engineGone = true;
        return false;
    }
    m_lib->observeProperty(m_mpv, MetadataReply, "metadata", MPV_FORMAT_NODE);
    m_lib->setWakeupCallback(m_mpv, &EngineSession::wakeUp, this);
    if (m_volume >= 0)
        m_lib->setPropertyAsync(m_mpv, 0, "volume", MPV_FORMAT_DOUBLE, &m_volume);
    return true;
}

void EngineSession::open(const QString &address) {
    const QString text = address.trimmed();
    if (text.isEmpty())
        throw PlayerError(u"%1: no address to open"_s.arg(m_name));
    // Catalogue entries like "radio.example.com:8000/live" mean http.
    const QUrl url = text.contains(u"://"_s) ? QUrl(text) : QUrl(u"http://"_s + text);
    if (!PlaylistParser::isStreamAddress(url))
        throw PlayerError(u"%1: not a stream address: %2"_s.arg(m_name, text));
    startEngine();
    const bool starting =
        !m_mpv && m_engineStart.valid() &&
        m_engineStart.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
    if (!starting && !engine())
        throw PlayerError(u"%1: the playback engine did not start"_s.arg(m_name));

    stop();
    m_address = url;
    m_failure = Failure::None;
    m_reconnect.restart();
    setState(State::Opening);
    if (starting)
        m_engineWait.start();
    else
        m_resolver.begin(url);
}

void EngineSession::openOnceEngineStarted() {
    if (m_engineStart.valid() &&
        m_engineStart.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    m_engineWait.stop();
    if (m_address.isEmpty())
        return; // stopped meanwhile
    if (!engine()) {
        qWarning("%s: the playback engine did not start", qPrintable(m_name));
        m_address.clear();
        m_failure = Failure::NoEngine;
        setState(State::Failed);
        return;
    }
    m_resolver.begin(m_address);
}

void EngineSession::stop() {
    m_address.clear();
    m_engineWait.stop();
    m_retryTimer.stop();
    m_resolver.cancel();
    clearEngineTry();
    if (m_mpv)
        command({"stop"});
    setNowPlaying(QString(), QString());
    setState(State::Stopped);
}

void EngineSession::setVolume(int value) {
    m_volume = m_scale.toEngine(value);
    if (m_mpv)
        m_lib->setPropertyAsync(m_mpv, 0, "volume", MPV_FORMAT_DOUBLE, &m_volume);
}

// This callback is invoked from any mpv thread: it only queues the drain.
void EngineSession::wakeUp(void *context) {
    auto *self = static_cast<EngineSession *>(context);
    if (!self->m_drainQueued.exchange(true))
        QMetaObject::invokeMethod(self, &EngineSession::drainEvents, Qt::QueuedConnection);
}

void EngineSession::drainEvents() {
    // Cleared first: a wakeup from now on queues another drain, so none is lost.
    m_drainQueued = false;
    while (m_mpv) {
        mpv_event *event = m_lib->waitEvent(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void EngineSession::handleEvent(const mpv_event &event) {
    switch (event.event_id) {
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata == m_loadTag && m_loadTag != 0) {
            if (event.error < 0) {
                engineTryEnded();
                break;
            }
            const auto *reply = static_cast<const mpv_event_command *>(event.data);
            const mpv_node *id = mapValue(reply->result, "playlist_entry_id");
            if (id && id->format == MPV_FORMAT_INT64) {
                m_entries.insert(id->u.int64);
                m_resolver.entryLoaded(id->u.int64);
            }
        }
        break;
    case MPV_EVENT_START_FILE: {
        const auto *start = static_cast<const mpv_event_start_file *>(event.data);
        m_currentEntry = start->playlist_entry_id;
        m_entryLoaded = false;
        if (m_entries.contains(m_currentEntry))
            m_resolver.spendOpen();
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        if (m_entries.contains(m_currentEntry)) {
            m_entryLoaded = true;
            askWhetherLive();
        }
        break;
    case MPV_EVENT_GET_PROPERTY_REPLY:
        if (event.reply_userdata == PlaylistReply)
            checkEngineExpansion(event);
        else
            noteWhetherLive(event);
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (m_entries.contains(m_currentEntry) && m_state != State::Playing) {
            m_resolver.playing();
            m_reconnect.playingFrom(m_clock.elapsed());
            setState(State::Playing);
        }
        break;
    case MPV_EVENT_END_FILE:
        handleEndOfEntry(event);
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        if (event.reply_userdata == MetadataReply) {
            handleMetadata(event);
        }
        break;
    case MPV_EVENT_SHUTDOWN:
        // Nothing of ours asks the engine to quit; should it happen anyway,
        // calls report the missing engine instead of doing nothing.
        m_lib->setWakeupCallback(m_mpv, nullptr, nullptr);
        m_lib->destroy(m_mpv);
        m_mpv = nullptr;
        m_engineGone = true;
        stop();
        m_failure = Failure::NoEngine;
        setState(State::Failed);
        break;
    default:
        break;
    }
}

void EngineSession::handleEndOfEntry(const mpv_event &event) {
    const auto *end = static_cast<const mpv_event_end_file *>(event.data);
    if (!m_entries.remove(end->playlist_entry_id))
        return;
    // The last error met says why, should the station be given up.
    if (end->reason == MPV_END_FILE_REASON_ERROR)
        m_failure =
            end->error == MPV_ERROR_LOADING_FAILED ? Failure::Unreachable : Failure::NoAudio;
    if (end->reason == MPV_END_FILE_REASON_REDIRECT) {
        // A playlist the engine read itself: its entries are this try's now.
        m_redirected = true;
        if (!m_resolver.entryExpanded(end->playlist_entry_id, end->playlist_insert_id,
                                      end->playlist_insert_num_entries))
            return;
        for (int i = 0; i < end->playlist_insert_num_entries; ++i)
            m_entries.insert(end->playlist_insert_id + i);
        // The event names no addresses; the playlist does, to tell a list that leads back.
        if (end->playlist_insert_num_entries > 0)
            m_lib->getPropertyAsync(m_mpv, PlaylistReply, "playlist", MPV_FORMAT_NODE);
    } else if (end->reason == MPV_END_FILE_REASON_ERROR && end->error == MPV_ERROR_AO_INIT_FAILED) {
        // No other entry plays without an output either; the engine would
        // otherwise go on to them, and we would read the stream as a playlist.
        m_failure = Failure::NoOutput;
        abandonTry("no audio output could be opened");
        return;
    } else if (end->playlist_entry_id == m_currentEntry && m_entryLoaded) {
        const bool ended =
            end->reason == MPV_END_FILE_REASON_EOF || end->reason == MPV_END_FILE_REASON_ERROR;
        // The end of a live stream is a drop, not the end of the programme.
        if (ended && m_live.isLive(end->playlist_entry_id) && !isPermanent(end->error))
            m_droppedLive = true;
        else if (end->reason == MPV_END_FILE_REASON_EOF)
            m_finished = true;
    }
    if (m_entries.isEmpty())
        engineTryEnded();
}

// Asked once the entry is open: the engine's length for a live stream
// grows with what has arrived, so it says nothing. What does: a live
// stream has no size, and live HLS cannot seek.
void EngineSession::askWhetherLive() {
    m_live = LiveFacts();
    m_live.entry = m_currentEntry;
    m_lib->getPropertyAsync(m_mpv, FileSizeReply, "file-size", MPV_FORMAT_INT64);
    m_lib->getPropertyAsync(m_mpv, SeekableReply, "seekable", MPV_FORMAT_FLAG);
    m_lib->getPropertyAsync(m_mpv, FileFormatReply, "file-format", MPV_FORMAT_STRING);
}

void EngineSession::noteWhetherLive(const mpv_event &event) {
    // An answer about an entry that has gone already is no answer.
    if (m_live.entry != m_currentEntry || event.error < 0)
        return;
    const auto *property = static_cast<const mpv_event_property *>(event.data);
    if (event.reply_userdata == FileSizeReply) {
        m_live.sizeKnown = property->format == MPV_FORMAT_INT64;
    } else if (event.reply_userdata == SeekableReply) {
        m_live.seekable =
            property->format == MPV_FORMAT_FLAG && *static_cast<int *>(property->data);
    } else if (event.reply_userdata == FileFormatReply && property->format == MPV_FORMAT_STRING) {
        m_live.formatKnown = true;
        m_live.hls = QByteArray(*static_cast<char **>(property->data)).contains("hls");
    }
}

// The addresses of the entries the engine found in playlists, for the
// resolver to tell one that names a playlist it came out of.
void EngineSession::checkEngineExpansion(const mpv_event &event) {
    if (event.error < 0)
        return;
    const auto *property = static_cast<const mpv_event_property *>(event.data);
    if (property->format != MPV_FORMAT_NODE)
        return;
    const auto &list = *static_cast<const mpv_node *>(property->data);
    if (list.format != MPV_FORMAT_NODE_ARRAY)
        return;
    for (int i = 0; i < list.u.list->num; ++i) {
        const mpv_node &item = list.u.list->values[i];
        const mpv_node *id = mapValue(item, "id");
        const mpv_node *name = mapValue(item, "filename");
        if (!id || id->format != MPV_FORMAT_INT64 || !name || name->format != MPV_FORMAT_STRING)
            continue;
        if (!m_resolver.entryNamed(id->u.int64, QUrl(QString::fromUtf8(name->u.string))))
            return;
    }
}

void EngineSession::handleMetadata(const mpv_event &event) {
    if (!m_entries.contains(m_currentEntry))
        return;
    const auto *property = static_cast<const mpv_event_property *>(event.data);
    if (property->format != MPV_FORMAT_NODE) {
        setNowPlaying(QString(), QString());
        return;
    }
    const auto &tags = *static_cast<const mpv_node *>(property->data);
    setNowPlaying(stringValue(tags, "icy-name"), stringValue(tags, "icy-title"));
}

void EngineSession::load(const QUrl &url) {
    clearEngineTry();
    m_loadTag = m_nextTag++;
    if (!command({"loadfile", url.toEncoded(), "replace"}, m_loadTag))
        engineTryEnded();
}

void EngineSession::engineTryEnded() {
    const bool droppedLive = m_droppedLive;
    const bool finished = m_finished;
    const bool redirected = m_redirected;
    clearEngineTry();
    if (m_address.isEmpty())
        return;
    if (droppedLive) {
        reconnectAfter(m_reconnect.dropped(m_clock.elapsed()));
    } else if (finished) {
        // A clip before the stream, or a file that has ended: on to what follows, if anything.
        if (!m_resolver.hasNext()) {
            m_address.clear();
            setNowPlaying(QString(), QString());
            setState(State::Stopped);
        } else {
            m_resolver.next();
        }
    } else {
        m_resolver.engineFailed(redirected);
    }
}

// Ends the try as failed, whatever the engine or the resolver still had in hand.
void EngineSession::abandonTry(const char *why) {
    if (m_address.isEmpty())
        return;
    qWarning("%s: %s: %s", qPrintable(m_name), why, m_address.toEncoded().constData());
    if (m_failure != Failure::NoOutput)
        m_failure = Failure::TooFar;
    clearEngineTry();
    m_resolver.cancel();
    if (m_mpv)
        command({"stop"});
    giveUp();
}

void EngineSession::giveUp() {
    if (const std::optional<int> delay = m_reconnect.failed(m_clock.elapsed())) {
        reconnectAfter(*delay);
        return;
    }
    m_address.clear();
    setNowPlaying(QString(), QString());
    if (m_failure == Failure::None)
        m_failure = Failure::Unreachable;
    setState(State::Failed);
}

void EngineSession::reconnectNow(bool evenIfPlaying) {
    const bool wanted =
        m_state == State::Reconnecting || (evenIfPlaying && m_state == State::Playing);
    if (m_address.isEmpty() || !wanted)
        return;
    m_reconnect.resume();
    m_retryTimer.stop();
    m_resolver.cancel();
    clearEngineTry();
    if (m_mpv)
        command({"stop"});
    m_failure = Failure::None;
    setState(State::Reconnecting);
    m_resolver.begin(m_address);
}

void EngineSession::reconnectAfter(int delayMs) {
    m_resolver.cancel();
    setState(State::Reconnecting);
    m_retryTimer.start(delayMs);
}

void EngineSession::clearEngineTry() {
    m_loadTag = 0;
    m_entries.clear();
    m_resolver.forgetEngineEntries();
    m_entryLoaded = false;
    m_redirected = false;
    m_droppedLive = false;
    m_finished = false;
}

bool EngineSession::command(std::initializer_list<QByteArray> arguments, uint64_t tag) {
    std::vector<const char *> argv;
    for (const QByteArray &argument : arguments)
        argv.push_back(argument.constData());
    argv.push_back(nullptr);
    // Queued requests run in the order they were made, so a stop followed
    // by a loadfile never swaps places.
    return m_lib->commandAsync(m_mpv, tag, argv.data()) >= 0;
}

void EngineSession::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void EngineSession::setNowPlaying(const QString &stationName, const QString &title) {
    if (stationName == m_stationName && title == m_title)
        return;
    m_stationName = stationName;
    m_title = title;
    Q_EMIT nowPlayingChanged(stationName, title);
}
