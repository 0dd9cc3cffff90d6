#include "toneserver.h"

#include "testfiles.h"
#include "wavcapture.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 MetaInterval = 8000;
constexpr qint64 BytesPerSecond = 128000 / 8;

QByteArray response(const QByteArray &status, const QByteArray &type, const QByteArray &body) {
    return "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

bool ToneServer::heardIn(const QString &captureFile) {
    const WavCapture wav = WavCapture::read(captureFile);
    return wav.seconds() >= 1.0 &&
           wav.toneAmplitude(ToneHz, wav.seconds() - 1.0, wav.seconds()) > 0.05;
}

ToneServer::ToneServer(const QString &workDir, QObject *parent)
    : QObject(parent)
    , m_dir(workDir)
    , m_server(new QTcpServer(this)) {
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            ++m_open;
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
                --m_open;
                m_live.remove(socket);
                socket->deleteLater();
            });
        }
    });
    m_pacer.setInterval(20);
    connect(&m_pacer, &QTimer::timeout, this, [this] {
        for (auto it = m_live.begin(); it != m_live.end(); ++it)
            sendLive(it.key(), *it);
    });
}

bool ToneServer::start() {
    const QString wave = u"%1*sin(2*PI*%2*t)"_s.arg(ToneAmplitude).arg(ToneHz);
    // Constant bit rate without a bit reservoir: the live stream is the file sent round and
    // round, and every frame must decode on its own. Split before the names go in: the folder's
    // may have spaces.
    QStringList arguments =
        u"-hide_banner -loglevel error -y -f lavfi -i TONE -c:a libmp3lame -b:a 128k -reservoir 0 "
        u"-write_xing 0 -id3v2_version 0 DIR/live.mp3 -t 2 -c:a libmp3lame -b:a 128k -reservoir 0 "
        u"-write_xing 0 -id3v2_version 0 DIR/file.mp3 -t 4 -c:a aac -b:a 96k -f hls -hls_time 1 "
        u"-hls_list_size 0 -hls_playlist_type vod -hls_segment_filename DIR/hls/seg%d.ts "
        u"DIR/hls/index.m3u8"_s.split(u' ');
    arguments.replaceInStrings(u"TONE"_s, u"aevalsrc=%1|%1:s=44100:d=30"_s.arg(wave))
        .replaceInStrings(u"DIR"_s, m_dir);
    QDir(m_dir).mkpath(u"hls"_s);
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_s, arguments);
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
        qWarning("ffmpeg failed: %s", ffmpeg.readAllStandardError().constData());
        return false;
    }
    m_liveAudio = TestFiles::read(m_dir + u"/live.mp3"_s);
    if (m_liveAudio.isEmpty() || !m_server->listen(QHostAddress::LocalHost)) {
        qWarning("cannot start: %s", qPrintable(m_server->errorString()));
        return false;
    }
    m_pacer.start();
    return true;
}

QUrl ToneServer::url(const QString &pathAndQuery) const {
    return QUrl(u"http://127.0.0.1:%1%2"_s.arg(m_server->serverPort()).arg(pathAndQuery));
}

void ToneServer::goOffAir(int milliseconds) {
    m_offAirUntilMs = QDateTime::currentMSecsSinceEpoch() + milliseconds;
    // Taken out first: an aborted socket says so at once.
    for (QTcpSocket *socket : std::exchange(m_live, {}).keys())
        socket->abort();
}

void ToneServer::setPage(const QString &path, const QByteArray &status, const QByteArray &type,
                         const QByteArray &body) {
    m_pages.insert(path, response(status, type, body));
}

void ToneServer::readRequest(QTcpSocket *socket) {
    // Left unread until the whole head is there: it may come in pieces.
    const QByteArray head = socket->peek(socket->bytesAvailable());
    const qsizetype end = head.indexOf("\r\n\r\n");
    if (end < 0 || m_live.contains(socket))
        return;
    socket->read(end + 4);
    const QByteArray path = head.left(head.indexOf("\r\n")).split(' ').value(1);
    const QByteArray bare = path.left(path.indexOf('?') < 0 ? path.size() : path.indexOf('?'));
    const QString key = QString::fromLatin1(bare);
    ++m_requests[key];
    m_lastRequests[key] = head.left(end);
    const bool onAir = QDateTime::currentMSecsSinceEpoch() >= m_offAirUntilMs;
    if (m_pages.contains(key) || (path != "/stall" && (path != "/live.mp3" || !onAir))) {
        socket->write(m_pages.contains(key) ? m_pages.value(key) : answer(path, bare));
        socket->disconnectFromHost();
    } else if (path == "/live.mp3") {
        Listener &listener = m_live[socket];
        listener.icy = head.toLower().contains("icy-metadata: 1");
        listener.startedMs = QDateTime::currentMSecsSinceEpoch();
        const QByteArray metaint = "icy-metaint: " + QByteArray::number(MetaInterval) + "\r\n";
        socket->write("HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: " + m_icyName +
                      "\r\nicy-br: 128\r\nCache-Control: no-cache\r\n" +
                      (listener.icy ? metaint : QByteArray()) + "\r\n");
        sendLive(socket, listener);
    } // and /stall keeps the connection open and says nothing
}

QByteArray ToneServer::answer(const QByteArray &path, const QByteArray &bare) const {
    const QByteArray live = url(u"/live.mp3"_s).toEncoded();
    // Playlists of one entry: the live station, themselves, each other or the next of a chain.
    QByteArray next =
        QHash<QByteArray, QByteArray>{{"/list.pls", "/live.mp3"}, {"/list.asx", "/live.mp3"},
                                      {"/station", "/live.mp3"},  {"/self.pls", "/self.pls"},
                                      {"/self.asx", "/self.asx"}, {"/loop.pls", "/loop.asx"},
                                      {"/loop.asx", "/loop.pls"}}
            .value(bare);
    if (bare == "/chain.pls")
        next = "/chain.pls?n=" + QByteArray::number(path.mid(13).toInt() + 1);
    if (!next.isEmpty()) {
        const QByteArray entry = url(QString::fromLatin1(next)).toEncoded();
        if (bare.endsWith(".pls"))
            return response("200 OK", "audio/x-scpls",
                            "[playlist]\nNumberOfEntries=1\nFile1=" + entry + "\n");
        return response("200 OK", "video/x-ms-asf",
                        "<asx version=\"3.0\"><entry><ref href=\"" + entry + "\"/></entry></asx>");
    } else if (path == "/live.mp3") { // off the air
        return response("503 Service Unavailable", "text/plain", "off the air");
    } else if (path == "/list.m3u") {
        return response("200 OK", "audio/x-mpegurl", "#EXTM3U\n#EXTINF:-1,Tone\n" + live + "\n");
    } else if (bare == "/reference") {
        // Served the way Windows Media servers do, which sends the engine down mmsh://.
        return response("200 OK", "video/x-ms-asf", "[Reference]\r\nRef1=" + live + "\r\n");
    } else if (bare == "/dead.pls") {
        QByteArray list = "[playlist]\nNumberOfEntries=5000\n";
        for (int i = 1; i <= 5000; ++i)
            list += u"File%1=%2\n"_s.arg(i).arg(url(u"/dead?n=%1"_s.arg(i)).toString()).toUtf8();
        return response("200 OK", "audio/x-scpls", list);
    } else if (path == "/garbage") {
        return response("200 OK", "text/html",
                        "<!DOCTYPE html>\n<html><body><p>This is no radio.</p></body></html>\n");
    }
    // The file and the segments, as ffmpeg wrote them.
    const QByteArray body =
        (path == "/file.mp3" || path.startsWith("/hls/")) && !path.contains("..")
            ? TestFiles::read(m_dir + QString::fromLatin1(path))
            : QByteArray();
    if (body.isEmpty())
        return response("404 Not Found", "text/plain", "not found");
    return response("200 OK",
                    path.endsWith(".mp3")    ? "audio/mpeg"
                    : path.endsWith(".m3u8") ? "application/vnd.apple.mpegurl"
                                             : "video/mp2t",
                    body);
}

// What is due by now: the burst, then the pace; the file round and round, and for those who
// asked, a title block after every interval.
void ToneServer::sendLive(QTcpSocket *socket, Listener &listener) {
    const qint64 elapsedMs = QDateTime::currentMSecsSinceEpoch() - listener.startedMs;
    const auto due = qint64((m_burstSeconds + elapsedMs * m_pace / 1000) * BytesPerSecond);
    while (listener.sent < due) {
        const qint64 offset = listener.sent % m_liveAudio.size();
        const qint64 chunk =
            std::min({due - listener.sent, m_liveAudio.size() - offset,
                      listener.icy ? MetaInterval - listener.sent % MetaInterval : due});
        socket->write(m_liveAudio.constData() + offset, chunk);
        listener.sent += chunk;
        if (listener.icy && listener.sent % MetaInterval == 0) {
            QByteArray text = "StreamTitle='" + m_icyTitle + "';StreamUrl='';";
            const qsizetype blocks = (text.size() + 15) / 16;
            socket->write(char(blocks) + text.leftJustified(blocks * 16, '\0'));
        }
    }
}
