#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <cstdint>

class QNetworkAccessManager;
class QNetworkReply;

// Turns the address a station was opened with into the addresses the engine
// is handed, one at a time, in order: playlist kinds the engine does not
// read (ASX, XSPF, RAM, Windows Media "[Reference]") it fetches and reads
// itself. It also keeps the limits of one try, whoever reads the playlists,
// itself or the engine: playlists are followed only a few deep, never back to
// one they came out of, and only so many addresses are opened before the try
// counts as failed.
//
// What it finds it tells through its signals, at once or once a playlist has
// arrived; a limit it meets ends the try through abandoned(), after which the
// call that met it does nothing more.
class StreamResolver : public QObject {
    Q_OBJECT

public:
    explicit StreamResolver(QObject *parent = nullptr);
    ~StreamResolver() override;

    // A new try at this address, with every opening it may spend.
    void begin(const QUrl &address);
    // On to the next address of the try; exhausted() when none is left.
    void next();
    bool hasNext() const { return !m_candidates.isEmpty(); }
    // The engine played nothing of the last address it was handed; it may
    // have read it as a playlist. Perhaps it is a playlist of a kind the
    // engine cannot read, under a name that did not say so.
    void engineFailed(bool engineReadPlaylist);
    // Drops the addresses still waiting and any playlist being fetched.
    void cancel();

    // Sound came out: a playlist of files may go on for long; only tries
    // that play nothing are counted.
    void playing();
    // Counts one more address opened; false once the try has used up what it
    // may open: it is over then.
    bool spendOpen();

    // The engine's side of the try. Its entries are known by the engine's
    // ids: the one it made of the address it was handed, and those it found
    // in playlists it read itself, whose addresses arrive later.
    void entryLoaded(int64_t entry);
    // False when that playlist lay too deep: the try is over then.
    bool entryExpanded(int64_t playlist, int64_t firstEntry, int count);
    // False when the entry leads back to a playlist it came out of.
    bool entryNamed(int64_t entry, const QUrl &url);
    // The engine has finished with the try: its entries mean nothing now.
    void forgetEngineEntries();

Q_SIGNALS:
    // Hand this address to the engine, in place of whatever it plays.
    void loadRequested(const QUrl &url);
    // Nothing is left to try.
    void exhausted();
    // A limit ended the try; why says which, for the log.
    void abandoned(const char *why);

private:
    struct Candidate {
        QUrl url;
        int depth = 0;        // playlists followed to reach it
        bool fetched = false; // already read by us, so no playlist of ours
        QList<QUrl> via;      // the playlists followed to reach it, outermost first
    };

    // An entry of the engine's current try. Its address arrives later, and
    // only for entries the engine found.
    struct EngineEntry {
        int depth = 0;
        int64_t parent = -1;
        QUrl url;
    };

    enum FetchMoment {
        BeforeEngine,      // the address's name says it is ours to read
        AfterEngineFailed, // the engine could not play it
        AfterEngineReadIt, // the engine read it as a playlist and played none of it
    };

    void load(const Candidate &candidate);
    void fetch(const Candidate &candidate, FetchMoment moment);
    void fetched(QNetworkReply *reply);
    void abortFetch();
    bool leadsBack(const QUrl &url, int64_t parent) const;

    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_fetch;
    QByteArray m_fetchedBytes;
    Candidate m_fetching;
    FetchMoment m_fetchMoment = BeforeEngine;

    QList<Candidate> m_candidates;
    // Entries and playlists this try may still open before it counts as failed.
    int m_opensLeft = 0;
    // What the engine was handed last.
    Candidate m_loaded;
    QHash<int64_t, EngineEntry> m_tree; // all entries of the engine's try, ended ones too
};
