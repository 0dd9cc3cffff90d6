#include "streamplayer.h"

#include "engineoptions.h"
#include "legacytext.h"
#include "mpvlibrary.h"
#include "playererror.h"
#include "playlistparser.h"

#include <QEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QWindow>

#include <algorithm>
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

constexpr int NetworkTimeoutMs = 10000;
constexpr int EngineWaitMs = 5;
constexpr qsizetype MaxPlaylistBytes = 256 * 1024;
constexpr int MaxPlaylistDepth = 3;
// Entries and playlists one try may open until something plays: a list of
// thousands of dead addresses fails after these, not after thousands of requests.
constexpr int MaxOpensPerTry = 20;
constexpr int FirstRetryDelayMs = 1000;
constexpr int LastRetryDelayMs = 30000;
// Playing this long proves the station works: after a drop the pauses start short again.
constexpr qint64 SteadyPlayMs = 10000;

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

bool isControl(QChar c) {
    return c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
           c.category() == QChar::Separator_Paragraph;
}

// A station's name or title as one line of plain text: each run of control
// characters becomes one space, so that what a station sends cannot break
// the lines of whoever shows it.
QString plainLine(const QString &text) {
    QString line;
    line.reserve(text.size());
    for (const QChar c : text) {
        if (!isControl(c))
            line += c;
        else if (!line.endsWith(u' '))
            line += u' ';
    }
    return line.trimmed();
}

QString stringValue(const mpv_node &map, const char *key) {
    const mpv_node *value = mapValue(map, key);
    // Stations send these in any encoding: the engine hands over raw bytes.
    return value && value->format == MPV_FORMAT_STRING
               ? plainLine(LegacyText::decode(QByteArray(value->u.string)))
               : QString();
}

} // namespace

StreamPlayer::StreamPlayer(const QString &name, VolumeScale scale, QWidget *parent)
    : QWidget(parent)
    , m_scale(scale)
    , m_network(new QNetworkAccessManager(this)) {
    setObjectName(name);
    setFocusPolicy(Qt::ClickFocus);
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, [this] { startAddress(m_address); });
    // The first open() does not wait for an engine still starting: it looks
    // again at this pace, and plays once the engine is there.
    m_engineWait.setInterval(EngineWaitMs);
    connect(&m_engineWait, &QTimer::timeout, this, &StreamPlayer::openOnceEngineStarted);

    // The engine refuses to start unless numbers use the C conventions; the
    // application object has just switched the process to the user's locale.
    std::setlocale(LC_NUMERIC, "C");
}

StreamPlayer::~StreamPlayer() {
    abortFetch();
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

void StreamPlayer::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    loadEngineOnceExposed();
}

// Shown while its window is being shown: the engine's library loads in the
// turn of the event loop after the window's first expose, which paints it.
// The engine itself is made by the first open(): of the two components
// usually one alone ever plays.
void StreamPlayer::loadEngineOnceExposed() {
    if (m_mpv || m_engineStart.valid() || m_engineGone)
        return;
    QWindow *handle = window()->windowHandle();
    if (!handle)
        return;
    if (handle->isExposed()) {
        QTimer::singleShot(0, this, [] { MpvLibrary::preload(); });
    } else if (m_watchedWindow != handle) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = handle;
        handle->installEventFilter(this);
    }
}

bool StreamPlayer::eventFilter(QObject *watched, QEvent *event) {
    // Qt has already recorded the new state when the event reaches a filter.
    if (watched == m_watchedWindow && event->type() == QEvent::Expose &&
        m_watchedWindow->isExposed()) {
        m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = nullptr;
        QTimer::singleShot(0, this, [] { MpvLibrary::preload(); });
    }
    return QWidget::eventFilter(watched, event);
}

void StreamPlayer::startEngine() {
    if (m_mpv || m_engineStart.valid() || m_engineGone)
        return;
    m_engineStart = MpvLibrary::startEngine(EngineOptions::radioDefaults(),
                                            EngineOptions::fromEnvironment(objectName()),
                                            EngineOptions::EnvironmentVariable);
}

bool StreamPlayer::engine() {
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
    m_lib->setWakeupCallback(m_mpv, &StreamPlayer::wakeUp, this);
    if (m_volume >= 0)
        m_lib->setPropertyAsync(m_mpv, 0, "volume", MPV_FORMAT_DOUBLE, &m_volume);
    return true;
}

void StreamPlayer::open(const QString &address) {
    const QString text = address.trimmed();
    if (text.isEmpty())
        throw PlayerError(u"%1: no address to open"_s.arg(objectName()));
    // Catalogue entries like "radio.example.com:8000/live" mean http.
    const QUrl url = text.contains(u"://"_s) ? QUrl(text) : QUrl(u"http://"_s + text);
    if (!PlaylistParser::isStreamAddress(url))
        throw PlayerError(u"%1: not a stream address: %2"_s.arg(objectName(), text));
    startEngine();
    const bool starting =
        !m_mpv && m_engineStart.valid() &&
        m_engineStart.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
    if (!starting && !engine())
        throw PlayerError(u"%1: the playback engine did not start"_s.arg(objectName()));

    stop();
    m_address = url;
    m_wasLive = false;
    m_retryDelayMs = FirstRetryDelayMs;
    setState(State::Opening);
    if (starting)
        m_engineWait.start();
    else
        startAddress(url);
}

void StreamPlayer::openOnceEngineStarted() {
    if (m_engineStart.valid() &&
        m_engineStart.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    m_engineWait.stop();
    if (m_address.isEmpty())
        return; // stopped meanwhile
    if (!engine()) {
        qWarning("%s: the playback engine did not start", qPrintable(objectName()));
        m_address.clear();
        setState(State::Failed);
        return;
    }
    startAddress(m_address);
}

void StreamPlayer::stop() {
    m_address.clear();
    m_engineWait.stop();
    m_candidates.clear();
    m_retryTimer.stop();
    abortFetch();
    clearEngineTry();
    if (m_mpv)
        command({"stop"});
    setNowPlaying(QString(), QString());
    setState(State::Stopped);
}

void StreamPlayer::setVolume(int value) {
    m_volume = m_scale.toEngine(value);
    if (m_mpv)
        m_lib->setPropertyAsync(m_mpv, 0, "volume", MPV_FORMAT_DOUBLE, &m_volume);
}

void StreamPlayer::takeFocus() {
    setFocus(Qt::OtherFocusReason);
}

// This callback is invoked from any mpv thread: it only queues the drain.
void StreamPlayer::wakeUp(void *context) {
    auto *self = static_cast<StreamPlayer *>(context);
    if (!self->m_drainQueued.exchange(true))
        QMetaObject::invokeMethod(self, &StreamPlayer::drainEvents, Qt::QueuedConnection);
}

void StreamPlayer::drainEvents() {
    // Cleared first: a wakeup from now on queues another drain, so none is lost.
    m_drainQueued = false;
    while (m_mpv) {
        mpv_event *event = m_lib->waitEvent(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void StreamPlayer::handleEvent(const mpv_event &event) {
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
                m_tree.insert(id->u.int64, EngineEntry{m_loading.depth, -1, m_loading.url});
            }
        }
        break;
    case MPV_EVENT_START_FILE: {
        const auto *start = static_cast<const mpv_event_start_file *>(event.data);
        m_currentEntry = start->playlist_entry_id;
        m_entryLoaded = false;
        if (m_entries.contains(m_currentEntry))
            spendOpen();
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
            // A playlist of files may go on for long; only tries that play nothing are counted.
            m_opensLeft = MaxOpensPerTry;
            m_playingSince.start();
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
        setState(State::Failed);
        break;
    default:
        break;
    }
}

void StreamPlayer::handleEndOfEntry(const mpv_event &event) {
    const auto *end = static_cast<const mpv_event_end_file *>(event.data);
    if (!m_entries.remove(end->playlist_entry_id))
        return;
    if (end->reason == MPV_END_FILE_REASON_REDIRECT) {
        // A playlist the engine read itself: its entries are this try's now.
        // The engine follows playlists without end, so the depth is ours to bound.
        m_redirected = true;
        const int depth = m_tree.value(end->playlist_entry_id).depth;
        if (depth >= MaxPlaylistDepth) {
            abandonTry("playlists nested too deep");
            return;
        }
        for (int i = 0; i < end->playlist_insert_num_entries; ++i) {
            m_entries.insert(end->playlist_insert_id + i);
            m_tree.insert(end->playlist_insert_id + i,
                          EngineEntry{depth + 1, end->playlist_entry_id, QUrl()});
        }
        // The event names no addresses; the playlist does, to tell a list that leads back.
        if (end->playlist_insert_num_entries > 0)
            m_lib->getPropertyAsync(m_mpv, PlaylistReply, "playlist", MPV_FORMAT_NODE);
    } else if (end->reason == MPV_END_FILE_REASON_ERROR && end->error == MPV_ERROR_AO_INIT_FAILED) {
        // No other entry plays without an output either; the engine would
        // otherwise go on to them, and we would read the stream as a playlist.
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
void StreamPlayer::askWhetherLive() {
    m_live = LiveFacts();
    m_live.entry = m_currentEntry;
    m_lib->getPropertyAsync(m_mpv, FileSizeReply, "file-size", MPV_FORMAT_INT64);
    m_lib->getPropertyAsync(m_mpv, SeekableReply, "seekable", MPV_FORMAT_FLAG);
    m_lib->getPropertyAsync(m_mpv, FileFormatReply, "file-format", MPV_FORMAT_STRING);
}

void StreamPlayer::noteWhetherLive(const mpv_event &event) {
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

// The addresses of the entries the engine found in playlists: an entry that
// names a playlist it came out of makes a loop.
void StreamPlayer::checkEngineExpansion(const mpv_event &event) {
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
        const auto entry = m_tree.find(id->u.int64);
        if (entry == m_tree.end() || !entry->url.isEmpty())
            continue;
        entry->url = QUrl(QString::fromUtf8(name->u.string));
        if (leadsBack(entry->url, entry->parent)) {
            abandonTry("a playlist leads back to itself");
            return;
        }
    }
}

bool StreamPlayer::leadsBack(const QUrl &url, int64_t parent) const {
    const QUrl address = url.adjusted(QUrl::NormalizePathSegments);
    for (auto at = m_tree.constFind(parent); at != m_tree.cend();
         at = m_tree.constFind(at->parent)) {
        if (at->url.adjusted(QUrl::NormalizePathSegments) == address)
            return true;
        if (at->parent == -1) {
            // What we loaded: behind it, the playlists we read ourselves to get there.
            return std::any_of(m_loading.via.cbegin(), m_loading.via.cend(), [&](const QUrl &v) {
                return v.adjusted(QUrl::NormalizePathSegments) == address;
            });
        }
    }
    return false;
}

void StreamPlayer::handleMetadata(const mpv_event &event) {
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

void StreamPlayer::startAddress(const QUrl &address) {
    if (address.isEmpty())
        return;
    m_opensLeft = MaxOpensPerTry;
    m_candidates = {Candidate{address, 0, false, {}}};
    tryNextCandidate();
}

void StreamPlayer::tryNextCandidate() {
    if (m_candidates.isEmpty()) {
        giveUp();
        return;
    }
    const Candidate next = m_candidates.takeFirst();
    if (!next.fetched && next.depth < MaxPlaylistDepth && PlaylistParser::isOwnKind(next.url))
        fetchPlaylist(next, BeforeEngine);
    else
        loadIntoEngine(next);
}

void StreamPlayer::loadIntoEngine(const Candidate &candidate) {
    clearEngineTry();
    m_loading = candidate;
    m_loadTag = m_nextTag++;
    if (!command({"loadfile", candidate.url.toEncoded(), "replace"}, m_loadTag))
        engineTryEnded();
}

void StreamPlayer::fetchPlaylist(const Candidate &candidate, FetchMoment moment) {
    abortFetch();
    if (!spendOpen())
        return;
    m_fetching = candidate;
    m_fetching.fetched = true;
    m_fetchMoment = moment;
    m_fetchedBytes.clear();

    QUrl url = candidate.url;
    // The engine turns Windows Media references into mmsh://; the file itself is plain http.
    if (url.scheme().compare(u"mmsh"_s, Qt::CaseInsensitive) == 0)
        url.setScheme(u"http"_s);
    QNetworkRequest request(url);
    request.setTransferTimeout(NetworkTimeoutMs);
    // Some radio servers answer web browsers ("Mozilla", Qt's default) with a web page.
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Sintonet Valdren"));
    m_fetch = m_network->get(request);
    QNetworkReply *reply = m_fetch;
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        m_fetchedBytes += reply->readAll();
        // A playlist is small; this is a stream, and the engine can have it.
        if (m_fetchedBytes.size() > MaxPlaylistBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { playlistFetched(reply); });
}

void StreamPlayer::playlistFetched(QNetworkReply *reply) {
    reply->deleteLater();
    if (reply != m_fetch)
        return;
    m_fetch = nullptr;
    m_fetchedBytes += reply->readAll();
    const bool tooBig = m_fetchedBytes.size() > MaxPlaylistBytes;
    PlaylistParser::Playlist playlist;
    if (reply->error() == QNetworkReply::NoError || tooBig)
        playlist = PlaylistParser::parse(m_fetchedBytes.left(MaxPlaylistBytes), reply->url());
    m_fetchedBytes.clear();

    // The engine reads these kinds itself: when it did, it found nothing playable.
    const bool triedByEngine =
        m_fetchMoment == AfterEngineReadIt &&
        (playlist.kind == PlaylistParser::Kind::M3u || playlist.kind == PlaylistParser::Kind::Pls);
    if (!playlist.entries.isEmpty() && !triedByEngine) {
        const QList<QUrl> via = m_fetching.via + QList<QUrl>{m_fetching.url};
        QList<Candidate> entries;
        for (const QUrl &url : std::as_const(playlist.entries)) {
            const QUrl address = url.adjusted(QUrl::NormalizePathSegments);
            for (const QUrl &list : via) {
                if (list.adjusted(QUrl::NormalizePathSegments) == address) {
                    abandonTry("a playlist leads back to itself");
                    return;
                }
            }
            entries.append(Candidate{url, m_fetching.depth + 1, false, via});
        }
        m_candidates = entries + m_candidates;
        tryNextCandidate();
    } else if (m_fetchMoment == BeforeEngine) {
        // No playlist after all: perhaps the engine knows what it is.
        loadIntoEngine(m_fetching);
    } else {
        tryNextCandidate();
    }
}

void StreamPlayer::engineTryEnded() {
    const Candidate tried = m_loading;
    const bool droppedLive = m_droppedLive;
    const bool finished = m_finished;
    const bool redirected = m_redirected;
    clearEngineTry();
    if (m_address.isEmpty())
        return;
    if (droppedLive) {
        m_wasLive = true;
        scheduleReconnect();
    } else if (finished) {
        // A clip before the stream, or a file that has ended: on to what follows, if anything.
        if (m_candidates.isEmpty()) {
            m_address.clear();
            setNowPlaying(QString(), QString());
            setState(State::Stopped);
        } else {
            tryNextCandidate();
        }
    } else if (!tried.fetched && tried.depth < MaxPlaylistDepth &&
               tried.url.scheme().startsWith(u"http"_s, Qt::CaseInsensitive)) {
        // Perhaps a playlist of a kind the engine cannot read, under a name
        // that did not say so: read it ourselves before giving up.
        fetchPlaylist(tried, redirected ? AfterEngineReadIt : AfterEngineFailed);
    } else {
        tryNextCandidate();
    }
}

// False once the try has used up what it may open: it is over then.
bool StreamPlayer::spendOpen() {
    if (m_opensLeft-- > 0)
        return true;
    abandonTry("too many addresses tried");
    return false;
}

// Ends the try as failed, whatever the engine or the fetcher still had in hand.
void StreamPlayer::abandonTry(const char *why) {
    if (m_address.isEmpty())
        return;
    qWarning("%s: %s: %s", qPrintable(objectName()), why, m_address.toEncoded().constData());
    clearEngineTry();
    abortFetch();
    m_candidates.clear();
    if (m_mpv)
        command({"stop"});
    giveUp();
}

void StreamPlayer::giveUp() {
    if (m_wasLive) {
        scheduleReconnect();
        return;
    }
    m_address.clear();
    setNowPlaying(QString(), QString());
    setState(State::Failed);
}

void StreamPlayer::scheduleReconnect() {
    if (m_playingSince.isValid() && m_playingSince.elapsed() >= SteadyPlayMs)
        m_retryDelayMs = FirstRetryDelayMs;
    m_playingSince.invalidate();
    m_candidates.clear();
    setState(State::Reconnecting);
    m_retryTimer.start(m_retryDelayMs);
    m_retryDelayMs = std::min(m_retryDelayMs * 2, LastRetryDelayMs);
}

void StreamPlayer::clearEngineTry() {
    m_loadTag = 0;
    m_loading = Candidate();
    m_entries.clear();
    m_tree.clear();
    m_entryLoaded = false;
    m_redirected = false;
    m_droppedLive = false;
    m_finished = false;
}

void StreamPlayer::abortFetch() {
    if (QNetworkReply *reply = m_fetch) {
        m_fetch = nullptr;
        reply->abort();
        reply->deleteLater();
    }
}

bool StreamPlayer::command(std::initializer_list<QByteArray> arguments, uint64_t tag) {
    std::vector<const char *> argv;
    for (const QByteArray &argument : arguments)
        argv.push_back(argument.constData());
    argv.push_back(nullptr);
    // Queued requests run in the order they were made, so a stop followed
    // by a loadfile never swaps places.
    return m_lib->commandAsync(m_mpv, tag, argv.data()) >= 0;
}

void StreamPlayer::setState(State state) {
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void StreamPlayer::setNowPlaying(const QString &stationName, const QString &title) {
    if (stationName == m_stationName && title == m_title)
        return;
    m_stationName = stationName;
    m_title = title;
    Q_EMIT nowPlayingChanged(stationName, title);
}
