#include "streamresolver.h"

#include "playlistparser.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int NetworkTimeoutMs = 10000;
constexpr qsizetype MaxPlaylistBytes = 256 * 1024;
constexpr int MaxPlaylistDepth = 3;
// Entries and playlists one try may open until something plays: a list of
// thousands of dead addresses fails after these, not after thousands of requests.
constexpr int MaxOpensPerTry = 20;

bool sameAddress(const QUrl &a, const QUrl &b) {
    return a.adjusted(QUrl::NormalizePathSegments) == b.adjusted(QUrl::NormalizePathSegments);
}

} // namespace

StreamResolver::StreamResolver(QObject *parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this)) {}

StreamResolver::~StreamResolver() {
    abortFetch();
}

void StreamResolver::begin(const QUrl &address) {
    m_opensLeft = MaxOpensPerTry;
    m_candidates = {Candidate{address, 0, false, {}}};
    next();
}

void StreamResolver::next() {
    if (m_candidates.isEmpty()) {
        Q_EMIT exhausted();
        return;
    }
    const Candidate next = m_candidates.takeFirst();
    if (!next.fetched && next.depth < MaxPlaylistDepth && PlaylistParser::isOwnKind(next.url))
        fetch(next, BeforeEngine);
    else
        load(next);
}

void StreamResolver::engineFailed(bool engineReadPlaylist) {
    const Candidate tried = m_loaded;
    if (!tried.fetched && tried.depth < MaxPlaylistDepth &&
        tried.url.scheme().startsWith(u"http"_s, Qt::CaseInsensitive))
        fetch(tried, engineReadPlaylist ? AfterEngineReadIt : AfterEngineFailed);
    else
        next();
}

void StreamResolver::cancel() {
    abortFetch();
    m_candidates.clear();
}

void StreamResolver::playing() {
    m_opensLeft = MaxOpensPerTry;
}

bool StreamResolver::spendOpen() {
    if (m_opensLeft-- > 0)
        return true;
    Q_EMIT abandoned("too many addresses tried");
    return false;
}

void StreamResolver::entryLoaded(int64_t entry) {
    m_tree.insert(entry, EngineEntry{m_loaded.depth, -1, m_loaded.url});
}

bool StreamResolver::entryExpanded(int64_t playlist, int64_t firstEntry, int count) {
    // The engine follows playlists without end, so the depth is ours to bound.
    const int depth = m_tree.value(playlist).depth;
    if (depth >= MaxPlaylistDepth) {
        Q_EMIT abandoned("playlists nested too deep");
        return false;
    }
    for (int i = 0; i < count; ++i)
        m_tree.insert(firstEntry + i, EngineEntry{depth + 1, playlist, QUrl()});
    return true;
}

bool StreamResolver::entryNamed(int64_t entry, const QUrl &url) {
    const auto found = m_tree.find(entry);
    if (found == m_tree.end() || !found->url.isEmpty())
        return true;
    found->url = url;
    if (leadsBack(url, found->parent)) {
        Q_EMIT abandoned("a playlist leads back to itself");
        return false;
    }
    return true;
}

void StreamResolver::forgetEngineEntries() {
    m_tree.clear();
}

bool StreamResolver::leadsBack(const QUrl &url, int64_t parent) const {
    for (auto at = m_tree.constFind(parent); at != m_tree.cend();
         at = m_tree.constFind(at->parent)) {
        if (sameAddress(at->url, url))
            return true;
        if (at->parent == -1) {
            // What the engine was handed: behind it, the playlists we read to get there.
            return std::any_of(m_loaded.via.cbegin(), m_loaded.via.cend(),
                               [&](const QUrl &list) { return sameAddress(list, url); });
        }
    }
    return false;
}

void StreamResolver::load(const Candidate &candidate) {
    m_tree.clear();
    m_loaded = candidate;
    Q_EMIT loadRequested(candidate.url);
}

void StreamResolver::fetch(const Candidate &candidate, FetchMoment moment) {
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
    connect(reply, &QNetworkReply::finished, this, [this, reply] { fetched(reply); });
}

void StreamResolver::fetched(QNetworkReply *reply) {
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
            if (std::any_of(via.cbegin(), via.cend(),
                            [&](const QUrl &list) { return sameAddress(list, url); })) {
                Q_EMIT abandoned("a playlist leads back to itself");
                return;
            }
            entries.append(Candidate{url, m_fetching.depth + 1, false, via});
        }
        m_candidates = entries + m_candidates;
        next();
    } else if (m_fetchMoment == BeforeEngine) {
        // No playlist after all: perhaps the engine knows what it is.
        load(m_fetching);
    } else {
        next();
    }
}

void StreamResolver::abortFetch() {
    if (QNetworkReply *reply = m_fetch) {
        m_fetch = nullptr;
        reply->abort();
        reply->deleteLater();
    }
}
