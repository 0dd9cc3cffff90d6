// Time from "open" to the first sound of a live stream served on 127.0.0.1,
// for the StreamPlayer component and for the mpv command-line player, taken
// in turns in one run. All write their sound through mpv's "pcm" output; the
// first sample louder than -40 dBFS in the file counts as the first sound.
//
// The command line pays for starting a process each time; so that the
// engine's own part can be compared too, a third row sends "loadfile" to an
// mpv that is already running (--idle, over its IPC socket).
//
//   bench_player [runs]      (default 15 runs of each)

#include "streamplayer.h"
#include "toneserver.h"
#include "wavcapture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr int TimeoutMs = 10000;
constexpr double Audible = 0.01;

// Waits, polling every 2 ms without spinning, until the file holds sound.
std::optional<double> millisecondsToSound(const QString &path, const QElapsedTimer &clock) {
    QEventLoop loop;
    QTimer poll;
    std::optional<double> result;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (WavCapture::read(path).firstSoundAbove(Audible) >= 0) {
            result = clock.nsecsElapsed() / 1e6;
            loop.quit();
        } else if (clock.elapsed() > TimeoutMs) {
            loop.quit();
        }
    });
    poll.start(2);
    loop.exec();
    return result;
}

void waitUntil(const std::function<bool()> &done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < TimeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

struct Summary {
    double median, low, high, q1, q3;
};

Summary summarize(QList<double> values) {
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) {
        const double index = q * (values.size() - 1);
        const auto lower = qsizetype(index);
        const auto upper = std::min(lower + 1, values.size() - 1);
        return values[lower] + (index - lower) * (values[upper] - values[lower]);
    };
    return {at(0.5), values.first(), values.last(), at(0.25), at(0.75)};
}

void print(const char *name, const Summary &s) {
    std::printf("%-22s median %7.1f ms   IQR %6.1f..%6.1f   min %6.1f   max %6.1f\n", name,
                s.median, s.q1, s.q3, s.low, s.high);
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;

    QTemporaryDir dir;
    ToneServer server(dir.path());
    // As an Icecast server does by default: a burst of a few seconds on
    // connecting, then real time.
    server.setLivePacing(4.0, 1.0);
    if (!dir.isValid() || !server.start())
        return 1;
    const QString stream = server.url(u"/live.mp3"_s).toString();

    const QString oursFile = dir.filePath(u"ours.MediaPlayer1.wav"_s);
    const QString cliFile = dir.filePath(u"cli.wav"_s);
    qputenv("SINTONET_MPV_OPTIONS",
            "ao=pcm,ao-pcm-file=" + QFile::encodeName(dir.filePath(u"ours.wav"_s)));
    // Made once, as the program makes its components at start-up.
    StreamPlayer player(u"MediaPlayer1"_s, VolumeScale::mediaPlayer());

    const QString idleFile = dir.filePath(u"idle.wav"_s);
    const QString socketPath = dir.filePath(u"mpv.sock"_s);
    QProcess idleMpv;
    idleMpv.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    idleMpv.start(u"mpv"_s, {u"--no-config"_s, u"--really-quiet"_s, u"--idle=yes"_s, u"--vid=no"_s,
                             u"--ao=pcm"_s, u"--ao-pcm-file="_s + idleFile,
                             u"--input-ipc-server="_s + socketPath});
    QLocalSocket ipc;
    waitUntil([&] {
        ipc.connectToServer(socketPath);
        return ipc.waitForConnected(50);
    });
    const auto send = [&](const QByteArray &json) {
        ipc.write(json + '\n');
        ipc.flush();
    };

    QList<double> ours, cli, idle;
    int failures = 0;
    for (int run = 0; run < runs; ++run) {
        QFile::remove(oursFile);
        QElapsedTimer clock;
        clock.start();
        player.open(stream);
        if (const auto ms = millisecondsToSound(oursFile, clock))
            ours.append(*ms);
        else
            ++failures;
        player.stop();
        waitUntil([&] { return server.liveListeners() == 0; });

        QFile::remove(cliFile);
        QProcess mpv;
        mpv.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        clock.start();
        mpv.start(u"mpv"_s, {u"--no-config"_s, u"--really-quiet"_s, u"--vid=no"_s, u"--ao=pcm"_s,
                             u"--ao-pcm-file="_s + cliFile, stream});
        if (const auto ms = millisecondsToSound(cliFile, clock))
            cli.append(*ms);
        else
            ++failures;
        mpv.kill();
        mpv.waitForFinished();
        waitUntil([&] { return server.liveListeners() == 0; });

        QFile::remove(idleFile);
        clock.start();
        send(R"({"command":["loadfile",")" + stream.toUtf8() + R"("]})");
        if (const auto ms = millisecondsToSound(idleFile, clock))
            idle.append(*ms);
        else
            ++failures;
        send(R"({"command":["stop"]})");
        waitUntil([&] { return server.liveListeners() == 0; });
    }
    send(R"({"command":["quit"]})");
    idleMpv.waitForFinished();
    if (ours.isEmpty() || cli.isEmpty() || idle.isEmpty()) {
        std::printf("no sound captured (%d failures)\n", failures);
        return 1;
    }

    const Summary a = summarize(ours), b = summarize(cli), c = summarize(idle);
    std::printf("open to first sound, live MP3 on 127.0.0.1, %d runs each, %d failed\n", runs,
                failures);
    print("StreamPlayer", a);
    print("mpv command line", b);
    print("mpv --idle, IPC", c);
    std::printf("ratio of medians, StreamPlayer / mpv command line: %.2f  (goal <= 1.00)\n",
                a.median / b.median);
    std::printf("ratio of medians, StreamPlayer / mpv --idle:       %.2f\n", a.median / c.median);
    return 0;
}
