#pragma once

#include <QHash>
#include <QObject>
#include <QTimer>
#include <QUrl>

class QTcpServer;
class QTcpSocket;

// A small radio station on 127.0.0.1 for tests and benchmarks, playing a 440 Hz tone made with
// ffmpeg: /live.mp3 live, with ICY headers and titles, paced in real time after a burst as
// Icecast does; /file.mp3 a short file; /hls/index.m3u8 segments. /list.pls, /list.m3u,
// /list.asx, /station?id=7 (asx) and /reference?id=7 (Windows Media) list the live stream;
// /self.pls and /self.asx list themselves, /loop.asx and /loop.pls each other, /chain.pls?n=1
// the next without end, /dead.pls 5,000 404s. /garbage is a web page, /stall never answers, the
// rest are 404s, unless a test sets a page.
class ToneServer : public QObject {
    Q_OBJECT

public:
    static constexpr int ToneHz = 440;
    static constexpr double ToneAmplitude = 0.5;

    explicit ToneServer(const QString &workDir, QObject *parent = nullptr);

    // Makes the audio in workDir and starts listening; false (with a warning) when either fails.
    bool start();
    QUrl url(const QString &pathAndQuery) const;

    // The name (header) and title (in-stream) the live stream announces, raw bytes.
    void setIcy(const QByteArray &name, const QByteArray &title) {
        m_icyName = name;
        m_icyTitle = title;
    }
    // Seconds of audio sent at once on connecting, and the pace afterwards.
    void setLivePacing(double burstSeconds, double pace) {
        m_burstSeconds = burstSeconds;
        m_pace = pace;
    }
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
    int liveListeners() const { return int(m_live.size()); }
    int openConnections() const { return m_open; }

private:
    struct Listener {
        bool icy = false;
        qint64 startedMs = 0;
        qint64 sent = 0; // audio bytes
    };

    void readRequest(QTcpSocket *socket);
    QByteArray answer(const QByteArray &path, const QByteArray &bare) const;
    void sendLive(QTcpSocket *socket, Listener &listener);

    QString m_dir;
    QTcpServer *m_server;
    QTimer m_pacer;
    int m_open = 0;
    QHash<QTcpSocket *, Listener> m_live;
    QHash<QString, int> m_requests;
    QHash<QString, QByteArray> m_lastRequests;
    QHash<QString, QByteArray> m_pages; // whole responses
    QByteArray m_liveAudio;
    QByteArray m_icyName = "Tone Radio";
    QByteArray m_icyTitle = "Tone";
    double m_burstSeconds = 2.0;
    double m_pace = 1.0;
    qint64 m_offAirUntilMs = 0;
};
