// The soak: the real main window and its two players through many connect,
// cut and change cycles against loopback stations of which many fail (connection
// refused, 404, a server that never answers, a web page, a station that drops
// while playing), with volume changes and options-panel animations in between.
// Only the message boxes and the web panel are stand-ins.
//
// It reports the longest stalls of the user-interface thread (the gaps of a
// 10 ms heartbeat timer, the options panel's slides included), telling the program's own stalls
// from a loaded machine's, the resident memory at start and end, and checks that both players still
// play a tone at the end.
//
//   sv-soak [--cycles N] [--max-gap-ms M] [--seed S]
//
// Exits 0 when every cycle ran, no stall of the program's own exceeded M
// (default 100 ms), every connection to the stations was let go and both
// players were heard at the end.

#include "cataloguepassword.h"
#include "catalogueschema.h"
#include "connectaction.h"
#include "jetwriter.h"
#include "mainwindow.h"
#include "optionspanel.h"
#include "standins.h"
#include "stationlists.h"
#include "streamplayer.h"
#include "toneserver.h"
#include "updownarrows.h"
#include "urlopener.h"
#include "volumecontrol.h"
#include "wavcapture.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMetaEnum>
#include <QRandomGenerator>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/syscall.h>
#include <thread>
#include <time.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

class NoOpener : public UrlOpener {
public:
    void openUrl(const QUrl &) override {}
};

// Notes how long the user-interface thread was kept from its events: the
// gaps between the ticks of a 10 ms timer. Once a gap passes 60 ms, a watcher
// thread looks at what the thread is doing, which tells the program's stalls
// from the machine's: a thread asleep in the event loop's poll, or ready but
// given no processor, waits on a loaded machine; a thread blocked in any
// other call, or computing, is held up by the program itself.
class Heartbeat : public QObject {
public:
    enum class Cause { Machine, Blocked, Busy };
    struct Gap {
        qint64 ms = 0;
        Cause cause = Cause::Machine;
        QString where;
    };

    Heartbeat()
        : m_thread(gettid()) {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { beat(); });
        m_clock.start();
        m_last = m_clock.elapsed();
        m_lastCpuMs = threadCpuMs();
        m_timer.start();
        m_watcher = std::thread([this] { watch(); });
    }
    ~Heartbeat() override {
        m_stop = true;
        m_watcher.join();
    }

    // The longest gaps, longest first, and the longest the program caused.
    QList<Gap> longestGaps() const { return m_gaps; }
    Gap longestOfTheProgram() const { return m_program; }
    int gapsOverFifty() const { return m_over50; }
    QString phase;

    static QString describe(const Gap &gap) {
        static const char *const causes[] = {"waiting for the machine", "blocked", "busy"};
        return u"%1 ms (%2; %3)"_s.arg(gap.ms).arg(gap.where).arg(
            QString::fromLatin1(causes[int(gap.cause)]));
    }

private:
    static double threadCpuMs() {
        timespec cpu{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
        return cpu.tv_sec * 1000.0 + cpu.tv_nsec / 1e6;
    }

    // What the kernel says the thread does: 0 computing or ready to run,
    // 1 asleep in poll, 2 in any other call.
    int look() const {
        QFile file(u"/proc/self/task/%1/syscall"_s.arg(m_thread));
        if (!file.open(QIODevice::ReadOnly))
            return 0;
        const QByteArray first = file.readAll().split(' ').value(0).trimmed();
        if (first == "running")
            return 0;
        const long call = first.toLong();
        return call == SYS_poll || call == SYS_ppoll ? 1 : 2;
    }

    void watch() {
        while (!m_stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const qint64 last = m_lastBeat;
            if (m_clock.elapsed() - last > 60 && m_lookedAt != last) {
                m_looked = look();
                m_lookedAt = last;
            }
        }
    }

    void beat() {
        const qint64 now = m_clock.elapsed();
        const double cpuMs = threadCpuMs();
        Gap gap;
        gap.ms = now - m_last;
        gap.where = phase;
        const bool busy = cpuMs - m_lastCpuMs >= gap.ms / 2.0;
        const int looked = m_lookedAt == m_last ? m_looked.load() : 0;
        gap.cause = looked == 2 ? Cause::Blocked : busy ? Cause::Busy : Cause::Machine;
        if (m_gaps.size() < 5 || gap.ms > m_gaps.last().ms) {
            auto at = std::find_if(m_gaps.begin(), m_gaps.end(),
                                   [&gap](const Gap &g) { return g.ms < gap.ms; });
            m_gaps.insert(at, gap);
            if (m_gaps.size() > 5)
                m_gaps.removeLast();
        }
        if (gap.cause != Cause::Machine && gap.ms > m_program.ms)
            m_program = gap;
        if (gap.ms > 50)
            ++m_over50;
        m_last = now;
        m_lastBeat = now;
        m_lastCpuMs = cpuMs;
    }

    const pid_t m_thread;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    double m_lastCpuMs = 0;
    QList<Gap> m_gaps;
    Gap m_program;
    int m_over50 = 0;
    std::atomic<qint64> m_lastBeat{0};
    std::atomic<qint64> m_lookedAt{-1};
    std::atomic<int> m_looked{0};
    std::atomic<bool> m_stop{false};
    std::thread m_watcher;
};

qint64 residentKiB() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Lets events run until the condition holds or the time is up.
bool waitFor(const std::function<bool()> &condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void pause(int ms) {
    waitFor([] { return false; }, ms);
}

struct Station {
    QString country;
    QString name;
    std::optional<QString> url;
    QString kind;
    int weight;          // how often it is picked
    bool silent = false; // the server never answers
};

bool hearsTone(const QString &path) {
    const WavCapture wav = WavCapture::read(path);
    if (wav.seconds() < 1.0)
        return false;
    return wav.toneAmplitude(ToneServer::ToneHz, wav.seconds() - 1.0, wav.seconds()) > 0.05;
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption cyclesOption(u"cycles"_s, u"Connect/cut/change cycles."_s, u"n"_s,
                                          u"1000"_s);
    const QCommandLineOption gapOption(
        u"max-gap-ms"_s, u"Longest stall of the program's own allowed."_s, u"ms"_s, u"100"_s);
    const QCommandLineOption seedOption(u"seed"_s, u"Seed of the cycle plan."_s, u"n"_s, u"11"_s);
    parser.addOptions({cyclesOption, gapOption, seedOption});
    parser.process(app);
    const int cycles = parser.value(cyclesOption).toInt();
    const int maxGapMs = parser.value(gapOption).toInt();
    QRandomGenerator random(parser.value(seedOption).toUInt());

    QTemporaryDir work;
    const QString audio = work.filePath(u"audio"_s);
    QDir().mkpath(audio);
    QDir().mkpath(work.filePath(u"program"_s));
    ToneServer server(audio);
    if (!server.start())
        return 2;
    // A port nobody listens on: the connection is refused.
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const quint16 refusedPort = closed.serverPort();
    closed.close();
    qputenv("SINTONET_MPV_OPTIONS", "ao=pcm,ao-pcm-file=" + QFile::encodeName(audio) + "/out.wav");

    const auto at = [&server](const QString &path) { return server.url(path).toString(); };
    const QList<Station> stations = {
        {u"Pruebas"_s, u"Tono"_s, at(u"/live.mp3"_s), u"WMP"_s, 6},
        {u"Pruebas"_s, u"Lista PLS"_s, at(u"/list.pls"_s), u"RP"_s, 4},
        {u"Pruebas"_s, u"Lista M3U"_s, at(u"/list.m3u"_s), u"WMP"_s, 2},
        {u"Pruebas"_s, u"Lista ASX"_s, at(u"/station?id=7"_s), u"RP"_s, 2},
        {u"Pruebas"_s, u"HLS"_s, at(u"/hls/index.m3u8"_s), u"RP"_s, 1},
        {u"Pruebas"_s, u"Archivo"_s, at(u"/file.mp3"_s), u"WMP"_s, 1},
        {u"Pruebas"_s, u"Perdida"_s, at(u"/missing"_s), u"WMP"_s, 3},
        {u"Pruebas"_s, u"Muda"_s, at(u"/stall"_s), u"RP"_s, 3, true},
        {u"Pruebas"_s, u"Basura"_s, at(u"/garbage"_s), u"WMP"_s, 3},
        {u"Pruebas"_s, u"Rechazada"_s, u"http://127.0.0.1:%1/radio"_s.arg(refusedPort), u"RP"_s, 3},
        {u"Pruebas"_s, u"Sin direcci\u00f3n"_s, std::nullopt, u"WMP"_s, 1},
        {u"Otra"_s, u"Tono Lejano"_s, at(u"/live.mp3"_s), u"RP"_s, 2},
    };
    JetWriter writer(QString::fromUtf16(CataloguePassword));
    writer.addTable(CatalogueSchema::Paises, {CatalogueSchema::Paises});
    writer.addTable(CatalogueSchema::Radios, CatalogueSchema::RadiosColumns());
    writer.addRow(CatalogueSchema::Paises, {u"Otra"_s});
    writer.addRow(CatalogueSchema::Paises, {u"Pruebas"_s});
    for (const Station &s : stations)
        writer.addRow(CatalogueSchema::Radios, {s.country, s.name, s.url, s.kind});
    const ProgramFolder folder(work.filePath(u"program"_s), u"sv"_s);
    writer.writeFile(folder.catalogueFile());

    NoOpener opener;
    // Answers every message box at once, as a person clicking "Aceptar" would.
    RecordingMessages messages;
    Main::Outside outside;
    outside.makeAdvertisingPanel = [](QWidget *parent) { return new RecordingPanel(parent); };
    outside.urlOpener = &opener;
    outside.messages = &messages;
    Main window(folder, outside);
    window.Form_Load();
    window.showAsLoaded();
    // A person sees the window before the first click; meanwhile the player
    // engine's library loads in the background, as it does in the program.
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "sv-soak: the window did not come on screen\n");
    pause(1000);
    const qint64 rssAtStart = residentKiB();

    Heartbeat heartbeat;
    int weights = 0;
    for (const Station &s : stations)
        weights += s.weight;
    const auto pickStation = [&]() -> const Station & {
        int n = random.bounded(weights);
        for (const Station &s : stations) {
            if ((n -= s.weight) < 0)
                return s;
        }
        return stations.first();
    };
    const auto select = [&](const Station &s) {
        QComboBox *countries = window.ui().cboPaises;
        if (countries->currentText() != s.country)
            window.stations().selectCountry(countries->findText(s.country));
        window.ui().cboRadios->setCurrentIndex(window.ui().cboRadios->findText(s.name));
    };
    const auto playerOf = [&](const Station &s) {
        return s.kind == u"RP"_s ? window.RealAudio1 : window.MediaPlayer1;
    };
    // Waits until the station's player has come to rest: playing, failed,
    // stopped; a silent server is left waiting a little while.
    const auto settle = [&](const Station &s) {
        StreamPlayer *player = playerOf(s);
        const int patience = s.silent ? 150 : 3000;
        waitFor(
            [player] {
                const StreamPlayer::State st = player->state();
                return st == StreamPlayer::State::Playing || st == StreamPlayer::State::Failed ||
                       st == StreamPlayer::State::Stopped;
            },
            patience);
    };
    const auto animatePanel = [&] {
        OptionsPanel &panel = window.optionsPanel();
        panel.Command1_Click();
        waitFor([&panel] { return !panel.isSliding(); }, 5000);
    };

    // The station is back on air once this long has passed since it went off.
    QElapsedTimer onAirAgain;
    int offAirFor = 0;
    int played = 0;
    int failed = 0; // connected, but nothing played
    int drops = 0;
    int changes = 0;
    int volumeChanges = 0;
    int animations = 0;
    qint64 rssAfterWarmUp = -1;
    QElapsedTimer clock;
    clock.start();
    std::fprintf(stdout, "sv-soak: %d cycles, seed %s\n", cycles,
                 qPrintable(parser.value(seedOption)));
    std::fflush(stdout);

    for (int cycle = 1; cycle <= cycles; ++cycle) {
        const Station &first = pickStation();
        heartbeat.phase = u"cycle %1: connect %2"_s.arg(cycle).arg(first.name);
        select(first);
        window.connectAction().imgConectar_Click();
        settle(first);
        StreamPlayer *player = playerOf(first);
        if (player->state() == StreamPlayer::State::Playing)
            ++played;
        else if (player->state() == StreamPlayer::State::Failed)
            ++failed;

        if (player->state() == StreamPlayer::State::Playing && random.bounded(3) == 0) {
            heartbeat.phase = u"cycle %1: listen to %2"_s.arg(cycle).arg(first.name);
            pause(int(random.bounded(50, 400)));
        }
        if (random.bounded(3) == 0) {
            heartbeat.phase = u"cycle %1: volume"_s.arg(cycle);
            if (random.bounded(2) == 0) {
                window.volume().mnuVol_Click(random.bounded(11));
            } else {
                // The arrows answer only while a station is connected.
                UpDownArrows *arrows = window.Scroll1;
                const QPoint upper(arrows->width() / 2, arrows->height() / 4);
                const QPoint lower(arrows->width() / 2, arrows->height() * 3 / 4);
                QTest::mouseClick(arrows, Qt::LeftButton, {}, random.bounded(2) ? upper : lower);
            }
            ++volumeChanges;
        }
        if (player->state() == StreamPlayer::State::Playing && random.bounded(5) == 0) {
            heartbeat.phase = u"cycle %1: drop %2"_s.arg(cycle).arg(first.name);
            offAirFor = int(random.bounded(100, 600));
            server.goOffAir(offAirFor);
            onAirAgain.start();
            pause(int(random.bounded(50, 700)));
            ++drops;
        }
        if (random.bounded(2) == 0 && window.connectAction().connected()) {
            const Station &second = pickStation();
            heartbeat.phase = u"cycle %1: change to %2"_s.arg(cycle).arg(second.name);
            select(second);
            window.connectAction().ImgCambiar_Click();
            settle(second);
            ++changes;
        }
        if (cycle % 25 == 0) {
            heartbeat.phase = u"cycle %1: options panel"_s.arg(cycle);
            animatePanel();
            ++animations;
        }
        heartbeat.phase = u"cycle %1: cut"_s.arg(cycle);
        if (window.connectAction().connected() && random.bounded(4) != 0)
            window.connectAction().imgConectar_Click();
        pause(int(random.bounded(0, 40)));

        if (cycle == qMin(50, cycles))
            rssAfterWarmUp = residentKiB();
        if (cycle % 100 == 0 || cycle == cycles) {
            std::fprintf(stdout,
                         "  cycle %4d  %6.1f s  RSS %lld KiB  longest gap %lld ms "
                         "(of the program's own %lld ms)  open connections %d\n",
                         cycle, clock.elapsed() / 1000.0, residentKiB(),
                         heartbeat.longestGaps().value(0).ms, heartbeat.longestOfTheProgram().ms,
                         server.openConnections());
            std::fflush(stdout);
        }
    }

    heartbeat.phase = u"end: cut"_s;
    if (window.connectAction().connected())
        window.connectAction().imgConectar_Click();
    // Every connection, the never-answering ones included, must be let go.
    const bool letGo = waitFor([&] { return server.openConnections() == 0; }, 10000);
    const qint64 rssAtEnd = residentKiB();

    // Both players still play, once the station is on air again.
    heartbeat.phase = u"end: both players"_s;
    if (onAirAgain.isValid())
        pause(int(qMax<qint64>(0, offAirFor - onAirAgain.elapsed())) + 50);
    QFile::remove(audio + u"/out.MediaPlayer1.wav"_s);
    QFile::remove(audio + u"/out.RealAudio1.wav"_s);
    window.volume().mnuVol_Click(0); // step 10
    select(stations.at(0));
    window.connectAction().imgConectar_Click();
    const bool mediaPlayerHeard =
        waitFor([&] { return hearsTone(audio + u"/out.MediaPlayer1.wav"_s); }, 20000);
    const StreamPlayer::State mediaPlayerState = window.MediaPlayer1->state();
    select(stations.at(1));
    window.connectAction().ImgCambiar_Click();
    const bool realAudioHeard =
        waitFor([&] { return hearsTone(audio + u"/out.RealAudio1.wav"_s); }, 20000);
    const StreamPlayer::State realAudioState = window.RealAudio1->state();
    window.connectAction().imgConectar_Click();

    const Heartbeat::Gap own = heartbeat.longestOfTheProgram();
    const bool gapOk = own.ms <= maxGapMs;
    QStringList gaps;
    for (const Heartbeat::Gap &gap : heartbeat.longestGaps())
        gaps.append(Heartbeat::describe(gap));
    const bool passed = gapOk && letGo && mediaPlayerHeard && realAudioHeard;
    std::fprintf(
        stdout,
        "sv-soak: %d cycles in %.0f s (%d played, %d did not, %d drops mid-play, "
        "%d changes, %d volume changes, %d panel animations, %d message boxes)\n"
        "  longest UI-thread gap of the program's own making: %s\n"
        "  longest gaps of all: %s; gaps over 50 ms: %d\n"
        "  RSS: %lld KiB at start, %lld KiB after warm-up, %lld KiB at end\n"
        "  connections let go: %s; MediaPlayer1 heard: %s (%s); RealAudio1 heard: %s (%s)\n"
        "  result: %s\n",
        cycles, clock.elapsed() / 1000.0, played, failed, drops, changes, volumeChanges, animations,
        int(messages.shown.size()),
        own.ms ? qPrintable(Heartbeat::describe(own)) : "none over 10 ms",
        qPrintable(gaps.join(u", "_s)), heartbeat.gapsOverFifty(), rssAtStart, rssAfterWarmUp,
        rssAtEnd, letGo ? "yes" : "NO", mediaPlayerHeard ? "yes" : "NO",
        QMetaEnum::fromType<StreamPlayer::State>().valueToKey(int(mediaPlayerState)),
        realAudioHeard ? "yes" : "NO",
        QMetaEnum::fromType<StreamPlayer::State>().valueToKey(int(realAudioState)),
        passed ? "PASS" : "FAIL");
    return passed ? 0 : 1;
}
