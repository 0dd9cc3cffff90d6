#include "toneserver.h"

#include "testfiles.h"
#include "wavcapture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 MetaInterval = 8000;
constexpr qint64 BytesPerSecond = 128000 / 8;

bool runFfmpeg(const QStringList &arguments) {
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_s,
                 QStringList{u"-hide_banner"_s, u"-loglevel"_s, u"error"_s, u"-y"_s} + arguments);
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
        qWarning("ffmpeg failed: %s", ffmpeg.readAllStandardError().constData());
        return false;
    }
    return true;
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
    connect(m_server, &QTcpServer::newConnection, this, &ToneServer::accept);
    m_pacer.setInterval(20);
    connect(&m_pacer, &QTimer::timeout, this, &ToneServer::feedLive);
}

bool ToneServer::start() {
    if (!makeAudio())
        return false;
    if (!m_server->listen(QHostAddress::LocalHost)) {
        qWarning("cannot listen: %s", qPrintable(m_server->errorString()));
        return false;
    }
    m_pacer.start();
    return true;
}

bool ToneServer::makeAudio() {
    const QString wave = u"%1*sin(2*PI*%2*t)"_s.arg(ToneAmplitude).arg(ToneHz);
    const QString tone = u"aevalsrc=%1|%1:s=44100:d="_s.arg(wave) + u"%1"_s;
    const QDir dir(m_dir);
    // Constant bit rate without a bit reservoir: the live stream is the file
    // sent round and round, and every frame must decode on its own.
    const QStringList mp3 = {u"-c:a"_s,           u"libmp3lame"_s, u"-b:a"_s,        u"128k"_s,
                             u"-reservoir"_s,     u"0"_s,          u"-write_xing"_s, u"0"_s,
                             u"-id3v2_version"_s, u"0"_s};
    dir.mkpath(u"hls"_s);
    const bool made =
        runFfmpeg(QStringList{u"-f"_s, u"lavfi"_s, u"-i"_s, tone.arg(30)} + mp3 +
                  QStringList{dir.filePath(u"live.mp3"_s)}) &&
        runFfmpeg(QStringList{u"-f"_s, u"lavfi"_s, u"-i"_s, tone.arg(2)} + mp3 +
                  QStringList{dir.filePath(u"file.mp3"_s)}) &&
        runFfmpeg({u"-f"_s, u"lavfi"_s, u"-i"_s, tone.arg(4), u"-c:a"_s, u"aac"_s, u"-b:a"_s,
                   u"96k"_s, u"-f"_s, u"hls"_s, u"-hls_time"_s, u"1"_s, u"-hls_list_size"_s, u"0"_s,
                   u"-hls_playlist_type"_s, u"vod"_s, u"-hls_segment_filename"_s,
                   dir.filePath(u"hls/seg%d.ts"_s), dir.filePath(u"hls/index.m3u8"_s)});
    m_liveAudio = TestFiles::read(dir.filePath(u"live.mp3"_s));
    m_fileAudio = TestFiles::read(dir.filePath(u"file.mp3"_s));
    return made && !m_liveAudio.isEmpty() && !m_fileAudio.isEmpty();
}

QUrl ToneServer::url(const QString &pathAndQuery) const {
    return QUrl(u"http://127.0.0.1:%1%2"_s.arg(m_server->serverPort()).arg(pathAndQuery));
}

void ToneServer::setIcy(const QByteArray &name, const QByteArray &title) {
    m_icyName = name;
    m_icyTitle = title;
}

void ToneServer::setLivePacing(double burstSeconds, double pace) {
    m_burstSeconds = burstSeconds;
    m_pace = pace;
}

void ToneServer::goOffAir(int milliseconds) {
    m_offAirUntilMs = QDateTime::currentMSecsSinceEpoch() + milliseconds;
    for (Client &client : m_clients) {
        if (client.live) {
            client.live = false;
            client.socket->abort();
        }
    }
}

int ToneServer::liveListeners() const {
    int count = 0;
    for (const Client &client : m_clients)
        count += client.live ? 1 : 0;
    return count;
}

void ToneServer::accept() {
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        Client client;
        client.socket = socket;
        m_clients.insert(socket, client);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        // Queued: a socket can close while the list of clients is being walked.
        connect(
            socket, &QTcpSocket::disconnected, this,
            [this, socket] {
                m_clients.remove(socket);
                socket->deleteLater();
            },
            Qt::QueuedConnection);
    }
}

void ToneServer::readRequest(QTcpSocket *socket) {
    auto it = m_clients.find(socket);
    if (it == m_clients.end() || it->live)
        return;
    it->request += socket->readAll();
    const qsizetype end = it->request.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QByteArray head = it->request.left(end);
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    const QByteArray path = requestLine.value(1);
    const QString bare =
        QString::fromLatin1(path.left(path.indexOf('?') < 0 ? path.size() : path.indexOf('?')));
    ++m_requests[bare];
    m_lastRequests[bare] = head;
    it->request.clear();
    if (const auto page = m_pages.constFind(bare); page != m_pages.cend())
        reply(socket, page->status, page->type, page->body);
    else
        respond(*it, path, head.toLower());
}

void ToneServer::setPage(const QString &path, const QByteArray &status, const QByteArray &type,
                         const QByteArray &body) {
    m_pages.insert(path, {status, type, body});
}

void ToneServer::respond(Client &client, const QByteArray &path, const QByteArray &headers) {
    QTcpSocket *socket = client.socket;
    const QByteArray live = url(u"/live.mp3"_s).toEncoded();
    if (path == "/live.mp3" && QDateTime::currentMSecsSinceEpoch() < m_offAirUntilMs) {
        reply(socket, "503 Service Unavailable", "text/plain", "off the air");
    } else if (path == "/live.mp3") {
        client.live = true;
        client.icy = headers.contains("icy-metadata: 1");
        client.untilMeta = MetaInterval;
        client.startedMs = QDateTime::currentMSecsSinceEpoch();
        QByteArray head = "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: " + m_icyName +
                          "\r\nicy-br: 128\r\nCache-Control: no-cache\r\n";
        if (client.icy)
            head += "icy-metaint: " + QByteArray::number(MetaInterval) + "\r\n";
        socket->write(head + "\r\n");
        sendLive(client, qint64(m_burstSeconds * BytesPerSecond));
    } else if (path == "/file.mp3") {
        reply(socket, "200 OK", "audio/mpeg", m_fileAudio);
    } else if (path == "/list.pls" || path == "/self.pls" || path == "/loop.pls" ||
               path.startsWith("/chain.pls?n=")) {
        // Each lists one address: the live station, itself, the asx that lists it back, or
        // the next link of a chain without end.
        const QString next = path == "/list.pls"   ? u"/live.mp3"_s
                             : path == "/self.pls" ? u"/self.pls"_s
                             : path == "/loop.pls"
                                 ? u"/loop.asx"_s
                                 : u"/chain.pls?n=%1"_s.arg(path.mid(13).toInt() + 1);
        reply(socket, "200 OK", "audio/x-scpls",
              "[playlist]\nNumberOfEntries=1\nFile1=" + url(next).toEncoded() +
                  "\nLength1=-1\nVersion=2\n");
    } else if (path == "/list.m3u") {
        reply(socket, "200 OK", "audio/x-mpegurl", "#EXTM3U\n#EXTINF:-1,Tone\n" + live + "\n");
    } else if (path == "/self.asx" || path == "/loop.asx") {
        const QString next = path == "/self.asx" ? u"/self.asx"_s : u"/loop.pls"_s;
        reply(socket, "200 OK", "video/x-ms-asf",
              "<asx version=\"3.0\"><entry><ref href=\"" + url(next).toEncoded() +
                  "\"/></entry></asx>\r\n");
    } else if (path == "/dead.pls") {
        QByteArray list = "[playlist]\nNumberOfEntries=5000\n";
        for (int i = 1; i <= 5000; ++i)
            list += "File" + QByteArray::number(i) + '=' + url(u"/dead?n=%1"_s.arg(i)).toEncoded() +
                    '\n';
        reply(socket, "200 OK", "audio/x-scpls", list);
    } else if (path == "/list.asx" || path.startsWith("/station?")) {
        reply(socket, "200 OK", "video/x-ms-asf",
              "<ASX version=\"3.0\"><Title>Tone</Title><Entry><Ref href=\"" + live +
                  "\"/></Entry></ASX>\r\n");
    } else if (path.startsWith("/reference?")) {
        // Served the way Windows Media servers do, which sends the engine down mmsh://.
        reply(socket, "200 OK", "video/x-ms-asf", "[Reference]\r\nRef1=" + live + "\r\n");
    } else if (path.startsWith("/hls/")) {
        const QString name = QString::fromLatin1(path.mid(5));
        const QByteArray body = name.contains(u'/')
                                    ? QByteArray()
                                    : TestFiles::read(QDir(m_dir).filePath(u"hls/"_s + name));
        if (body.isEmpty())
            reply(socket, "404 Not Found", "text/plain", "not found");
        else
            reply(socket, "200 OK",
                  name.endsWith(u".m3u8"_s) ? "application/vnd.apple.mpegurl" : "video/mp2t", body);
    } else if (path == "/garbage") {
        reply(socket, "200 OK", "text/html",
              "<!DOCTYPE html>\n<html><body><p>This is no radio.</p></body></html>\n");
    } else if (path == "/stall") {
        // Keep the connection open and say nothing.
    } else {
        reply(socket, "404 Not Found", "text/plain", "not found");
    }
}

void ToneServer::reply(QTcpSocket *socket, const QByteArray &status, const QByteArray &type,
                       const QByteArray &body) {
    socket->write("HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

void ToneServer::feedLive() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (Client &client : m_clients) {
        if (!client.live)
            continue;
        const qint64 due = qint64(m_burstSeconds * BytesPerSecond +
                                  (now - client.startedMs) * m_pace * BytesPerSecond / 1000);
        sendLive(client, due - client.sent);
    }
}

void ToneServer::sendLive(Client &client, qint64 bytes) {
    while (bytes > 0) {
        const qint64 offset = client.sent % m_liveAudio.size();
        qint64 chunk = std::min({bytes, m_liveAudio.size() - offset, client.untilMeta});
        if (!client.icy)
            chunk = std::min(bytes, m_liveAudio.size() - offset);
        client.socket->write(m_liveAudio.constData() + offset, chunk);
        client.sent += chunk;
        bytes -= chunk;
        client.untilMeta -= chunk;
        if (client.icy && client.untilMeta == 0) {
            client.socket->write(titleBlock());
            client.untilMeta = MetaInterval;
        }
    }
}

QByteArray ToneServer::titleBlock() const {
    QByteArray text = "StreamTitle='" + m_icyTitle + "';StreamUrl='';";
    const qsizetype blocks = (text.size() + 15) / 16;
    text.append(QByteArray(blocks * 16 - text.size(), '\0'));
    return char(blocks) + text;
}
