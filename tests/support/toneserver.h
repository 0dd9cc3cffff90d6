#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

class QTcpServer;
class QTcpSocket;

// A small radio station on 127.0.0.1 for tests and benchmarks. It makes a
// 440 Hz tone with the ffmpeg command-line tool and serves it:
//   /live.mp3        a live MP3 stream, ICY headers and titles, paced in real time
//                    after a burst, like Icecast
//   /file.mp3        the same tone as a short file with a length
//   /list.pls, /list.m3u, /list.asx, and under names that do not say so /station?id=7 (asx)
//   and /reference?id=7 (Windows Media "[Reference]")
//   /hls/index.m3u8  an HLS stream of AAC segments
//   /garbage         a web page, /missing a 404, /stall never answers
//   /self.pls, /self.asx  playlists that list themselves
//   /loop.asx, /loop.pls  two playlists that list each other
//   /chain.pls?n=1   a playlist that lists the next one, without end
//   /dead.pls        5,000 entries, all 404s under /dead
// and whatever other page a test sets.
class ToneServer : public QObject {
    Q_OBJECT

public:
    static constexpr int ToneHz = 440;
    static constexpr double ToneAmplitude = 0.5;

    // Audio files are made in workDir.
    explicit ToneServer(const QString &workDir, QObject *parent = nullptr);

    // Makes the audio and starts listening; false (with a warning) when
    // either fails.
    bool start();
    QUrl url(const QString &pathAndQuery) const;

    // The name (header) and title (in-stream) the live stream announces, raw bytes.
    void setIcy(const QByteArray &name, const QByteArray &title);
    // Seconds of audio sent at once on connecting, and the pace afterwards.
    void setLivePacing(double burstSeconds, double pace);
    // Cuts every live listener off and turns new ones away for a while.
    void goOffAir(int milliseconds);

    // Serves this body at the path (any query), in place of whatever else would be there.
    void setPage(const QString &path, const QByteArray &status, const QByteArray &type,
                 const QByteArray &body);

    // Whether a player's capture file has the tone in the last second written to it.
    static bool heardIn(const QString &captureFile);

    // Requests by path, the query left out.
    int requests(const QString &path) const { return m_requests.value(path); }
    // The head of the last request for the path, as it came.
    QByteArray lastRequest(const QString &path) const { return m_lastRequests.value(path); }
    int liveListeners() const;
    int openConnections() const { return int(m_clients.size()); }

private:
    struct Client {
        QTcpSocket *socket = nullptr;
        QByteArray request;
        bool live = false;
        bool icy = false;
        qint64 sent = 0;      // audio bytes
        qint64 untilMeta = 0; // audio bytes before the next title block
        qint64 startedMs = 0;
    };

    bool makeAudio();
    void accept();
    void readRequest(QTcpSocket *socket);
    void respond(Client &client, const QByteArray &path, const QByteArray &headers);
    void reply(QTcpSocket *socket, const QByteArray &status, const QByteArray &type,
               const QByteArray &body);
    void feedLive();
    void sendLive(Client &client, qint64 bytes);
    QByteArray titleBlock() const;

    QString m_dir;
    QTcpServer *m_server;
    QTimer m_pacer;
    QHash<QTcpSocket *, Client> m_clients;
    QHash<QString, int> m_requests;
    QHash<QString, QByteArray> m_lastRequests;
    struct Page {
        QByteArray status;
        QByteArray type;
        QByteArray body;
    };
    QHash<QString, Page> m_pages;
    QByteArray m_liveAudio;
    QByteArray m_fileAudio;
    QByteArray m_icyName = "Tone Radio";
    QByteArray m_icyTitle = "Tone";
    double m_burstSeconds = 2.0;
    double m_pace = 1.0;
    qint64 m_offAirUntilMs = 0;
};
