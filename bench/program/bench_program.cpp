// The whole program against its peers on this machine, each figure taken in
// the same run, in turns or side by side, and printed as a Markdown table:
//
//   launch    launch to the window drawn (catalogue listed)   vs Goodvibes
//   click     click on "Conectar" to the first sound          vs mpv command line
//   play      CPU while playing, display turning               vs mpv command line
//             memory while playing (Pss and Uss)               vs Goodvibes
//             process tree 40 s after the options panel closed vs the same before it opened
//             the panel's page drawn, and the window's stalls   (own limits)
//   alone     memory while playing, each player by itself      vs Goodvibes, and libmpv
//                                                               alone (bench_libmpv)
//   catalogue 50,000 stations: open, list, fill, look up       vs mdb-export (bench_catalogue)
//
// It runs the real program: a copy of the program folder in a temporary
// folder, its catalogue holding a station served on 127.0.0.1 by this
// benchmark, under the X server of DISPLAY (an Xvfb; scripts/bench.sh starts
// one, and a session bus) which it watches as another client and clicks on
// through XTEST. Sound goes through mpv's "pcm" output to a file where the
// first sound is looked for, and to the "null" output (GStreamer's fakesink
// for Goodvibes) while playing.
//
//   bench_program [--program DIR] [--runs N] [--play-runs N] [--seconds S] [phase ...]

#include "cataloguecsv.h"
#include "processstats.h"
#include "toneserver.h"
#include "wavcapture.h"
#include "xwatch.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

constexpr double Audible = 0.01;
constexpr int TimeoutMs = 20000;
// The window's "Conectar" caption and its "Opciones >>" button, in window
// pixels: the middle of lblCon, and of Command1 with the panel closed.
const QPoint ConectarInWindow(182, 35);
const QPoint OpcionesInWindow(174, 184);
// Command1 once the panel is open, and the advertising box, in window pixels.
const QPoint OpcionesOpenInWindow(601, 184);
const QPoint AdvertInWindow(252, 92);
const QSize AdvertSize(217, 81);
const QString Country = u"Pruebas"_s;
const QString Station = u"Tono local"_s;

// Runs the event loop until done() or the timeout; false on the timeout.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = TimeoutMs, int pollMs = 5) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(pollMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void settle(int milliseconds) {
    waitUntil([] { return false; }, milliseconds, milliseconds);
}

struct Spread {
    double median = 0, low = 0, high = 0;
};

Spread spread(QList<double> values) {
    Spread s;
    if (values.isEmpty())
        return s;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    s.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    s.low = values.first();
    s.high = values.last();
    return s;
}

struct Row {
    Row(const QString &figure, const QString &unit, const QString &peer)
        : figure(figure)
        , unit(unit)
        , peer(peer) {}

    QString figure;
    QString unit;
    QString peer;
    QList<double> ours;
    QList<double> theirs;
    double maxRatio = 1.0;    // goal: ours / theirs at most this
    bool strictRatio = false; // goal: below it, not at most
    double oursLimit = 0;     // goal: ours under this (0: none)
    QString goal;
    QString notes;
};

// The memory goals against Goodvibes, the same side by side and with each player by itself.
Row memoryRow(const QString &figure, bool proportional) {
    Row row(figure, u"MiB"_s, u"Goodvibes"_s);
    row.maxRatio = proportional ? 0.6 : 0.85;
    row.goal = proportional ? u"≤ 0.6 ×"_s : u"≤ 0.85 ×"_s;
    return row;
}

QString number(double value, int decimals = 1) {
    return QString::number(value, 'f', decimals);
}

QString withSpread(const QList<double> &values, int decimals) {
    if (values.isEmpty())
        return u"—"_s;
    const Spread s = spread(values);
    return u"%1 (%2–%3)"_s.arg(number(s.median, decimals), number(s.low, decimals),
                               number(s.high, decimals));
}

QString readAllText(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeText(const QString &path, const QByteArray &text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

bool copyFolder(const QString &from, const QString &to) {
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString relative = QDir(from).relativeFilePath(file);
        if (relative.endsWith(u".ini"_s) && !relative.contains(u'/'))
            continue; // the settings are the benchmark's own
        const QString target = QDir(to).filePath(relative);
        QDir().mkpath(QFileInfo(target).path());
        QFile::remove(target);
        if (!QFile::copy(file, target))
            return false;
        QFile::setPermissions(target, QFile::permissions(file));
    }
    return true;
}

// One running program; ended (and its helpers waited for) when it goes.
class Running {
public:
    Running(const QString &program, const QStringList &arguments, const QProcessEnvironment &env,
            bool keepErrors = false)
        : m_keepErrors(keepErrors) {
        m_process.setProcessEnvironment(env);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        if (!keepErrors)
            m_process.setStandardErrorFile(QProcess::nullDevice());
        QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
                         [this] { m_errors += m_process.readAllStandardError(); });
        m_startedAt = XWatch::now();
        m_process.start(program, arguments);
        m_process.waitForStarted(5000);
    }
    ~Running() { end(); }

    qint64 pid() const { return m_process.processId(); }
    qint64 startedAt() const { return m_startedAt; }
    bool running() const { return m_process.state() == QProcess::Running; }
    const QByteArray &errors() const { return m_errors; }

    void end() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        if (m_keepErrors)
            m_errors += m_process.readAllStandardError();
        const QList<qint64> helpers = ProcessStats::descendants(pid());
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
        waitUntil(
            [&] {
                return std::none_of(helpers.begin(), helpers.end(),
                                    [](qint64 p) { return QFile::exists(u"/proc/%1"_s.arg(p)); });
            },
            5000, 20);
        for (qint64 helper : helpers)
            ::kill(pid_t(helper), SIGKILL);
    }

private:
    QProcess m_process;
    bool m_keepErrors;
    QByteArray m_errors;
    qint64 m_startedAt = 0;
};

class Bench {
public:
    QString programSource;
    int runs = 10;
    int playRuns = 3;
    int playSeconds = 60;

    bool prepare();
    void launch();
    void click();
    void play();
    void alone();
    void catalogue();
    void printTable(double loadBefore) const;

private:
    std::unique_ptr<Running> startOurs(const QString &mpvOptions, bool trace);
    std::unique_ptr<Running> startGoodvibes(bool autoplay);
    QProcessEnvironment baseEnvironment() const;
    void writeGoodvibesSettings(bool autoplay);
    bool waitPainted(XWatch &x, Running &program);
    QPoint conectar(XWatch &x);

    QTemporaryDir m_dir;
    std::unique_ptr<ToneServer> m_server;
    QString m_stream;
    QString m_program;
    QString m_goodvibesHome;
    XWatch *m_x = nullptr;
    QList<Row> m_rows;
    QStringList m_notes;

public:
    void setX(XWatch *x) { m_x = x; }
};

bool Bench::prepare() {
    if (!m_dir.isValid())
        return false;
    m_server = std::make_unique<ToneServer>(m_dir.filePath(u"tone"_s));
    QDir().mkpath(m_dir.filePath(u"tone"_s));
    // As an Icecast server does by default: a burst of a few seconds on connecting, then real time.
    m_server->setLivePacing(4.0, 1.0);
    if (!m_server->start())
        return false;
    m_stream = m_server->url(u"/live.mp3"_s).toString();

    m_program = m_dir.filePath(u"program"_s);
    if (!copyFolder(programSource, m_program)) {
        std::fprintf(stderr, "bench: cannot copy %s\n", qPrintable(programSource));
        return false;
    }
    // The shipped stations and the local one, which start-up selects.
    QByteArray csv = readAllText(QStringLiteral(SV_SOURCE_DIR "/data/radios.csv")).toUtf8();
    if (!csv.endsWith('\n'))
        csv += '\n';
    csv += (Country + u',' + Station + u',' + m_stream + u",WMP\n"_s).toUtf8();
    try {
        CatalogueCsv::toWriter(csv).writeFile(QDir(m_program).filePath(u"RadioStore.mdb"_s));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench: catalogue: %s\n", e.what());
        return false;
    }
    writeText(QDir(m_program).filePath(u"sintonet-valdren.ini"_s),
              "[General]\nLastCountry=" + Country.toUtf8() + "\nLastRadio=" + Station.toUtf8() +
                  "\nAutoconnect=0\nStatus=Normal\nNumberType=Red\n");

    m_goodvibesHome = m_dir.filePath(u"goodvibes"_s);
    writeText(m_goodvibesHome + u"/.local/share/goodvibes/stations.xml"_s,
              "<Stations>\n  <Station>\n    <uri>" + m_stream.toUtf8() + "</uri>\n    <name>" +
                  Station.toUtf8() + "</name>\n  </Station>\n</Stations>\n");
    QDir().mkpath(m_dir.filePath(u"runtime"_s));
    QFile::setPermissions(m_dir.filePath(u"runtime"_s),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return true;
}

QProcessEnvironment Bench::baseEnvironment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(u"QT_QPA_PLATFORM"_s);
    env.remove(u"SINTONET_MPV_OPTIONS"_s);
    env.remove(u"SINTONET_TRACE_STARTUP"_s);
    env.insert(u"XDG_RUNTIME_DIR"_s, m_dir.filePath(u"runtime"_s));
    return env;
}

void Bench::writeGoodvibesSettings(bool autoplay) {
    // GLib's keyfile settings backend: no settings daemon needed. The custom
    // output is GStreamer's fakesink, paced like a sound card.
    writeText(m_goodvibesHome + u"/.config/glib-2.0/settings/keyfile"_s,
              "[io/gitlab/Goodvibes/Core]\npipeline-enabled=true\n"
              "pipeline-string='fakesink sync=true'\nautoplay=" +
                  QByteArray(autoplay ? "true" : "false") + "\nstation-uri='" + m_stream.toUtf8() +
                  "'\n");
}

std::unique_ptr<Running> Bench::startOurs(const QString &mpvOptions, bool trace) {
    QProcessEnvironment env = baseEnvironment();
    if (!mpvOptions.isEmpty())
        env.insert(u"SINTONET_MPV_OPTIONS"_s, mpvOptions);
    if (trace)
        env.insert(u"SINTONET_TRACE_STARTUP"_s, u"1"_s);
    auto program = std::make_unique<Running>(QDir(m_program).filePath(u"sintonet-valdren"_s),
                                             QStringList(), env, true);
    m_x->watchProcess(program->pid());
    return program;
}

std::unique_ptr<Running> Bench::startGoodvibes(bool autoplay) {
    writeGoodvibesSettings(autoplay);
    QProcessEnvironment env = baseEnvironment();
    env.insert(u"HOME"_s, m_goodvibesHome);
    env.insert(u"XDG_CONFIG_HOME"_s, m_goodvibesHome + u"/.config"_s);
    env.insert(u"XDG_DATA_HOME"_s, m_goodvibesHome + u"/.local/share"_s);
    env.insert(u"XDG_CACHE_HOME"_s, m_goodvibesHome + u"/.cache"_s);
    env.insert(u"GSETTINGS_BACKEND"_s, u"keyfile"_s);
    auto program = std::make_unique<Running>(u"goodvibes"_s, QStringList(), env);
    m_x->watchProcess(program->pid());
    return program;
}

bool Bench::waitPainted(XWatch &x, Running &program) {
    return waitUntil([&] { return x.paintedAt() != 0 || !program.running(); }) &&
           x.paintedAt() != 0;
}

QPoint Bench::conectar(XWatch &x) {
    return x.windowRect().topLeft() + ConectarInWindow;
}

// Launch to the window drawn, ours and Goodvibes in turns.
void Bench::launch() {
    std::printf("launch: %d runs of each, in turns\n", runs);
    std::fflush(stdout);
    Row row(u"launch to the window shown (drawn, catalogue listed)"_s, u"ms"_s, u"Goodvibes"_s);
    row.maxRatio = 0.5;
    row.oursLimit = 300;
    row.goal = u"≤ 0.5 × and < 300 ms"_s;
    QList<double> mapped, traceMain, tracePainted, blocked;
    // The first of each fills the disk cache and Goodvibes' plug-in registry.
    for (int run = -1; run < runs; ++run) {
        {
            auto ours = startOurs(QString(), true);
            if (waitPainted(*m_x, *ours) && run >= 0) {
                row.ours.append((m_x->paintedAt() - ours->startedAt()) / 1e6);
                mapped.append((m_x->mappedAt() - ours->startedAt()) / 1e6);
            }
            // The trace's second line comes 5 s after the paint, if the program writes it.
            waitUntil([&] { return ours->errors().contains("blocked longest="); }, 7000, 20);
            const QString errors = QString::fromUtf8(ours->errors());
            const auto startup =
                QRegularExpression(u"startup main=(\\d+).*painted=(\\d+)"_s).match(errors);
            if (startup.hasMatch() && run >= 0) {
                traceMain.append((startup.captured(1).toLongLong() * 1000 - ours->startedAt()) /
                                 1e6);
                tracePainted.append((startup.captured(2).toLongLong() * 1000 - ours->startedAt()) /
                                    1e6);
            }
            const auto block =
                QRegularExpression(u"blocked longest=(\\d+) ms after the first paint"_s)
                    .match(errors);
            if (block.hasMatch() && run >= 0)
                blocked.append(block.captured(1).toDouble());
        }
        {
            auto peer = startGoodvibes(false);
            if (waitPainted(*m_x, *peer) && run >= 0)
                row.theirs.append((m_x->paintedAt() - peer->startedAt()) / 1e6);
        }
        settle(300);
        if (run >= 0) {
            std::printf("  run %2d: ours %7.1f ms, Goodvibes %7.1f ms\n", run + 1,
                        row.ours.value(row.ours.size() - 1),
                        row.theirs.value(row.theirs.size() - 1));
            std::fflush(stdout);
        }
    }
    row.notes = u"ours mapped at %1 ms"_s.arg(withSpread(mapped, 0));
    if (!traceMain.isEmpty())
        row.notes += u"; its own trace: main() at %1 ms, painted at %2 ms"_s.arg(
            withSpread(traceMain, 0), withSpread(tracePainted, 0));
    if (!blocked.isEmpty())
        row.notes += u"; longest freeze in the 5 s after: %1 ms"_s.arg(withSpread(blocked, 0));
    m_rows.append(row);
}

// Click on "Conectar" to the first sound in the file, against the mpv command
// line started on the same stream, in turns.
void Bench::click() {
    std::printf("click: %d runs of each, in turns\n", runs);
    std::fflush(stdout);
    Row row(u"click on \"Conectar\" to the first sound, local stream"_s, u"ms"_s,
            u"mpv --no-video URL"_s);
    row.maxRatio = 1.0;
    row.oursLimit = 100;
    row.goal = u"≤ 1.0 × and < 100 ms"_s;
    const QString oursBase = m_dir.filePath(u"click.wav"_s);
    const QString oursFile = m_dir.filePath(u"click.MediaPlayer1.wav"_s);
    const QString cliFile = m_dir.filePath(u"cli.wav"_s);
    const auto firstSound = [](const QString &file, qint64 from) -> std::optional<double> {
        std::optional<double> at;
        waitUntil(
            [&] {
                if (WavCapture::read(file).firstSoundAbove(Audible) < 0)
                    return false;
                at = (XWatch::now() - from) / 1e6;
                return true;
            },
            10000, 2);
        return at;
    };
    const auto silent = [this] {
        return waitUntil([this] { return m_server->liveListeners() == 0; });
    };

    auto ours = startOurs(u"ao=pcm,ao-pcm-file="_s + oursBase, false);
    if (!waitPainted(*m_x, *ours)) {
        m_notes << u"click: the program's window never showed"_s;
        return;
    }
    // Whatever start-up leaves to do after the window shows is done by then.
    settle(6000);
    const QPoint at = conectar(*m_x);
    int failures = 0;
    for (int run = 0; run < runs; ++run) {
        QFile::remove(oursFile);
        const qint64 clickedAt = XWatch::now();
        m_x->click(at);
        if (const auto ms = firstSound(oursFile, clickedAt))
            row.ours.append(*ms);
        else
            ++failures;
        if (m_server->liveListeners() > 0)
            m_x->click(at); // "Cortar"
        silent();
        settle(300);

        QFile::remove(cliFile);
        {
            Running mpv(u"mpv"_s,
                        {u"--no-config"_s, u"--really-quiet"_s, u"--no-video"_s, u"--ao=pcm"_s,
                         u"--ao-pcm-file="_s + cliFile, m_stream},
                        baseEnvironment());
            if (const auto ms = firstSound(cliFile, mpv.startedAt()))
                row.theirs.append(*ms);
            else
                ++failures;
        }
        silent();
        settle(300);
        std::printf("  run %2d: ours %7.1f ms, mpv %7.1f ms\n", run + 1,
                    row.ours.value(row.ours.size() - 1), row.theirs.value(row.theirs.size() - 1));
        std::fflush(stdout);
    }
    if (failures)
        row.notes = u"%1 runs without sound"_s.arg(failures);
    m_rows.append(row);
}

// Ours (connected by a click, the display turning), the mpv command line and
// Goodvibes play the same stream side by side; CPU over the period and
// memory at its end. Then the options panel is opened on ours: the time from
// the click to the page drawn in its box, the longest the window could not
// answer meanwhile, and the memory of our whole process tree with the panel
// open and 40 s after it was closed again.
void Bench::play() {
    std::printf("play: %d runs of %d s, the three side by side\n", playRuns, playSeconds);
    std::fflush(stdout);
    Row cpu(u"CPU over %1 s while playing, display turning"_s.arg(playSeconds), u"% of one core"_s,
            u"mpv --no-video URL"_s);
    cpu.maxRatio = 2.0;
    cpu.oursLimit = 3.0;
    cpu.goal = u"≤ 2 × and < 3 %"_s;
    Row pss = memoryRow(u"memory while playing, proportional (Pss), own process"_s, true);
    Row uss = memoryRow(u"memory while playing, private (Uss), own process"_s, false);
    Row tree(u"process tree (Pss, helpers included) 40 s after the options panel closed"_s,
             u"MiB"_s, u"the same before it opened"_s);
    tree.maxRatio = 1.2;
    tree.goal = u"≤ 1.2 ×"_s;
    Row page(u"click on \"Opciones >>\" to the page drawn in its box"_s, u"ms"_s, u"—"_s);
    page.oursLimit = 1500;
    page.goal = u"< 1500 ms"_s;
    Row stall(u"longest the window could not answer, 5 s from that click"_s, u"ms"_s, u"—"_s);
    stall.oursLimit = 50.001;
    stall.goal = u"≤ 50 ms"_s;
    QList<double> goodvibesCpu, mpvMiB, oursRss, gvRss, treeOpen, helpersAfter;
    for (int run = 0; run < playRuns; ++run) {
        // Traced: the watch of the window's answers runs for 5 s after each
        // click only, well before and after the CPU is measured.
        auto ours = startOurs(u"ao=null"_s, true);
        if (!waitPainted(*m_x, *ours)) {
            m_notes << u"play: the program's window never showed"_s;
            return;
        }
        settle(6000);
        const uint32_t oursWindow = m_x->window();
        m_x->click(conectar(*m_x));
        const bool oursPlays = waitUntil([this] { return m_server->liveListeners() >= 1; });
        Running mpv(
            u"mpv"_s,
            {u"--no-config"_s, u"--really-quiet"_s, u"--no-video"_s, u"--ao=null"_s, m_stream},
            baseEnvironment());
        const bool mpvPlays = waitUntil([this] { return m_server->liveListeners() >= 2; });
        auto goodvibes = startGoodvibes(true);
        const bool allPlay = waitUntil([this] { return m_server->liveListeners() >= 3; });
        if (!oursPlays || !mpvPlays || !allPlay) {
            m_notes << u"play: run %1: not all three played"_s.arg(run + 1);
            continue;
        }
        // Past the burst of the first seconds, which each decodes at once.
        settle(6000);
        const double ours0 = ProcessStats::cpuSeconds(ours->pid());
        const double mpv0 = ProcessStats::cpuSeconds(mpv.pid());
        const double gv0 = ProcessStats::cpuSeconds(goodvibes->pid());
        const qint64 start = XWatch::now();
        settle(playSeconds * 1000);
        const double wall = (XWatch::now() - start) / 1e9;
        const double oursCpu = 100 * (ProcessStats::cpuSeconds(ours->pid()) - ours0) / wall;
        const double mpvCpu = 100 * (ProcessStats::cpuSeconds(mpv.pid()) - mpv0) / wall;
        const double gvCpu = 100 * (ProcessStats::cpuSeconds(goodvibes->pid()) - gv0) / wall;
        cpu.ours.append(oursCpu);
        cpu.theirs.append(mpvCpu);
        goodvibesCpu.append(gvCpu);

        const auto treePss = [&] {
            double sum = ProcessStats::proportionalKiB(ours->pid()) / 1024.0;
            for (qint64 pid : ProcessStats::descendants(ours->pid()))
                sum += ProcessStats::proportionalKiB(pid) / 1024.0;
            return sum;
        };
        pss.ours.append(ProcessStats::proportionalKiB(ours->pid()) / 1024.0);
        pss.theirs.append(ProcessStats::proportionalKiB(goodvibes->pid()) / 1024.0);
        uss.ours.append(ProcessStats::privateKiB(ours->pid()) / 1024.0);
        uss.theirs.append(ProcessStats::privateKiB(goodvibes->pid()) / 1024.0);
        oursRss.append(ProcessStats::residentKiB(ours->pid()) / 1024.0);
        gvRss.append(ProcessStats::residentKiB(goodvibes->pid()) / 1024.0);
        mpvMiB.append(ProcessStats::residentKiB(mpv.pid()) / 1024.0);
        const double treeBefore = treePss();

        // Goodvibes' window came later, at the same place: ours goes on top first.
        m_x->raise(oursWindow);
        settle(200);
        const QRect window = m_x->windowRect(oursWindow);
        const QRect box(window.topLeft() + AdvertInWindow, AdvertSize);
        const qint64 clickedAt = XWatch::now();
        m_x->click(window.topLeft() + OpcionesInWindow);
        if (waitUntil([&] { return m_x->colours(box) >= 8; }, TimeoutMs, 2))
            page.ours.append((XWatch::now() - clickedAt) / 1e6);
        else
            m_notes << u"play: run %1: the page never showed in the panel"_s.arg(run + 1);
        const QRegularExpression clickStall(u"blocked longest=(\\d+) ms after a click at (\\d+)"_s);
        waitUntil(
            [&] {
                auto it = clickStall.globalMatch(QString::fromUtf8(ours->errors()));
                while (it.hasNext()) {
                    const auto m = it.next();
                    if (m.captured(2).toLongLong() * 1000 >= clickedAt) {
                        stall.ours.append(m.captured(1).toDouble());
                        return true;
                    }
                }
                return false;
            },
            8000, 50);
        settle(int(std::max<qint64>(0, 10000 - (XWatch::now() - clickedAt) / 1000000)));
        treeOpen.append(treePss());
        m_x->click(window.topLeft() + OpcionesOpenInWindow);
        settle(40000 + 400);
        tree.ours.append(treePss());
        tree.theirs.append(treeBefore);
        helpersAfter.append(ProcessStats::descendants(ours->pid()).size());
        std::printf("  run %d: CPU ours %.2f %%, mpv %.2f %%, Goodvibes %.2f %%; Pss/Uss ours "
                    "%.1f/%.1f MiB, Goodvibes %.1f/%.1f MiB; tree %.1f, open %.1f, after %.1f MiB;"
                    " page %.0f ms, stall %.0f ms\n",
                    run + 1, oursCpu, mpvCpu, gvCpu, pss.ours.last(), uss.ours.last(),
                    pss.theirs.last(), uss.theirs.last(), treeBefore, treeOpen.last(),
                    tree.ours.last(), page.ours.value(page.ours.size() - 1),
                    stall.ours.value(stall.ours.size() - 1));
        std::fflush(stdout);
        goodvibes.reset();
        ours.reset();
        waitUntil([this] { return m_server->liveListeners() == 0; });
    }
    cpu.notes = u"Goodvibes: %1 %"_s.arg(withSpread(goodvibesCpu, 2));
    uss.notes =
        u"resident (VmRSS, shared pages counted whole): ours %1 MiB, Goodvibes %2 MiB;"
        u" mpv %3 MiB"_s.arg(withSpread(oursRss, 1), withSpread(gvRss, 1), withSpread(mpvMiB, 1));
    tree.notes =
        u"with the panel open, 10 s after the click: %1 MiB; helper processes left 40 s"
        u" after it closed: %2"_s.arg(withSpread(treeOpen, 1), withSpread(helpersAfter, 0));
    m_rows << cpu << pss << uss << tree << page << stall;
}

// Memory with no other player beside: side by side, the players share the pages of the
// libraries they both map, and each one's proportional share falls with the others running.
void Bench::alone() {
    constexpr int Seconds = 20;
    std::printf("alone: %d runs of %d s, each player by itself\n", playRuns, Seconds);
    std::fflush(stdout);
    Row pss = memoryRow(u"memory while playing alone, proportional (Pss), own process"_s, true);
    Row uss = memoryRow(u"memory while playing alone, private (Uss), own process"_s, false);
    // Not ours: what any player on this libmpv holds, set against the goals above.
    Row floorPss = memoryRow(u"libmpv by itself playing the station (bench_libmpv), Pss"_s, true);
    floorPss.goal = u"(the Pss goal: ≤ 0.6 ×)"_s;
    Row floorUss = memoryRow(u"libmpv by itself playing the station (bench_libmpv), Uss"_s, false);
    floorUss.goal = u"(the Uss goal: ≤ 0.85 ×)"_s;
    const auto measure = [this](Running &player, QList<double> &pssOf, QList<double> &ussOf) {
        if (!waitUntil([this] { return m_server->liveListeners() >= 1; })) {
            m_notes << u"alone: a player never asked for the station"_s;
            return;
        }
        settle(Seconds * 1000);
        pssOf.append(ProcessStats::proportionalKiB(player.pid()) / 1024.0);
        ussOf.append(ProcessStats::privateKiB(player.pid()) / 1024.0);
        player.end();
        waitUntil([this] { return m_server->liveListeners() == 0; });
    };
    for (int run = 0; run < playRuns; ++run) {
        auto ours = startOurs(u"ao=null"_s, false);
        if (!waitPainted(*m_x, *ours)) {
            m_notes << u"alone: the program's window never showed"_s;
            return;
        }
        m_x->click(conectar(*m_x));
        measure(*ours, pss.ours, uss.ours);
        measure(*startGoodvibes(true), pss.theirs, uss.theirs);
        Running libmpv(QCoreApplication::applicationDirPath() + u"/bench_libmpv"_s, {m_stream},
                       baseEnvironment());
        measure(libmpv, floorPss.ours, floorUss.ours);
        floorPss.theirs = pss.theirs;
        floorUss.theirs = uss.theirs;
        std::printf("  run %d: Pss/Uss ours %.1f/%.1f MiB, Goodvibes %.1f/%.1f MiB, libmpv"
                    " alone %.1f/%.1f MiB\n",
                    run + 1, pss.ours.value(run), uss.ours.value(run), pss.theirs.value(run),
                    uss.theirs.value(run), floorPss.ours.value(run), floorUss.ours.value(run));
        std::fflush(stdout);
    }
    m_rows << pss << uss << floorPss << floorUss;
}

// bench_catalogue times our reader against mdb-export and writes its runs on a line of its own.
void Bench::catalogue() {
    std::printf("catalogue: bench_catalogue\n");
    std::fflush(stdout);
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment env = baseEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationDirPath() + u"/../catalogue/bench_catalogue"_s);
    process.waitForFinished(600000);
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    Row row(u"catalogue of 50,000 stations: open, list, fill, look up"_s, u"ms"_s,
            u"mdb-export of both tables"_s);
    row.maxRatio = 1.0;
    row.strictRatio = true;
    row.oursLimit = 100;
    row.goal = u"< 1 × and < 100 ms"_s;
    const QStringList lines = output.split(u'\n');
    for (const QString &line : lines) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() == 4 && fields[0] == u"BENCH"_s && fields[1] == u"catalogue"_s) {
            for (const QString &v : fields[2].split(u','))
                row.ours.append(v.toDouble());
            for (const QString &v : fields[3].split(u','))
                row.theirs.append(v.toDouble());
        }
    }
    if (row.ours.isEmpty())
        m_notes << u"catalogue: bench_catalogue gave no figures"_s;
    else
        m_rows.append(row);
}

double loadAverage() {
    return readAllText(u"/proc/loadavg"_s).section(u' ', 0, 0).toDouble();
}

void Bench::printTable(double loadBefore) const {
    const QString cpuModel = [] {
        const QStringList lines = readAllText(u"/proc/cpuinfo"_s).split(u'\n');
        for (const QString &line : lines)
            if (line.startsWith(u"model name"_s))
                return line.section(u':', 1).trimmed();
        return u"?"_s;
    }();
    const qint64 memoryKiB = readAllText(u"/proc/meminfo"_s)
                                 .section(u'\n', 0, 0)
                                 .section(u':', 1)
                                 .trimmed()
                                 .section(u' ', 0, 0)
                                 .toLongLong();
    std::printf("\n## %s\n\n", qPrintable(QDateTime::currentDateTime().toString(Qt::ISODate)));
    std::printf("Machine: %s, %d cores, %.1f GiB; %s; load average %.2f before, %.2f after.\n\n",
                qPrintable(cpuModel), int(std::thread::hardware_concurrency()),
                memoryKiB / 1048576.0, qPrintable(QSysInfo::prettyProductName()), loadBefore,
                loadAverage());
    std::printf("| Figure | Ours: median (min–max) | Peer | Peer: median (min–max) | Ratio of "
                "medians (per-run min–max) | Goal | Met |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (const Row &row : m_rows) {
        const Spread a = spread(row.ours);
        const Spread b = spread(row.theirs);
        QList<double> ratios;
        for (qsizetype i = 0; i < std::min(row.ours.size(), row.theirs.size()); ++i)
            if (row.theirs[i] > 0)
                ratios.append(row.ours[i] / row.theirs[i]);
        const Spread r = spread(ratios);
        const double ratio = b.median > 0 ? a.median / b.median : 0;
        const bool ratioMet = row.strictRatio ? ratio < row.maxRatio : ratio <= row.maxRatio;
        const bool limitMet = row.oursLimit <= 0 || a.median < row.oursLimit;
        const int decimals = row.unit.startsWith(u'%') ? 2 : 1;
        const QString ratioText =
            row.theirs.isEmpty()
                ? u"—"_s
                : u"%1 (%2–%3)"_s.arg(number(ratio, 2), number(r.low, 2), number(r.high, 2));
        std::printf("| %s, %s | %s | %s | %s | %s | %s | %s |\n", qPrintable(row.figure),
                    qPrintable(row.unit), qPrintable(withSpread(row.ours, decimals)),
                    qPrintable(row.peer), qPrintable(withSpread(row.theirs, decimals)),
                    qPrintable(ratioText), qPrintable(row.goal),
                    !row.ours.isEmpty() && ratioMet && limitMet ? "yes" : "**no**");
    }
    std::printf("\n");
    for (const Row &row : m_rows)
        if (!row.notes.isEmpty())
            std::printf("- %s: %s\n", qPrintable(row.figure), qPrintable(row.notes));
    for (const QString &note : m_notes)
        std::printf("- %s\n", qPrintable(note));
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    Bench bench;
    bench.programSource = QStringLiteral(SV_PROGRAM_DIR);
    QStringList phases;
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        const QString value = arguments.value(i + 1);
        if (a == u"--program"_s)
            bench.programSource = value, ++i;
        else if (a == u"--runs"_s)
            bench.runs = std::max(1, value.toInt()), ++i;
        else if (a == u"--play-runs"_s)
            bench.playRuns = std::max(1, value.toInt()), ++i;
        else if (a == u"--seconds"_s)
            bench.playSeconds = std::max(1, value.toInt()), ++i;
        else
            phases << a;
    }
    if (phases.isEmpty())
        phases = {u"launch"_s, u"click"_s, u"play"_s, u"alone"_s, u"catalogue"_s};

    const double loadBefore = loadAverage();
    XWatch x;
    if (!x.isValid())
        return 1;
    bench.setX(&x);
    if (!bench.prepare())
        return 1;
    for (const QString &phase : std::as_const(phases)) {
        if (phase == u"launch"_s)
            bench.launch();
        else if (phase == u"click"_s)
            bench.click();
        else if (phase == u"play"_s)
            bench.play();
        else if (phase == u"alone"_s)
            bench.alone();
        else if (phase == u"catalogue"_s)
            bench.catalogue();
        else
            std::fprintf(stderr, "bench: unknown phase %s\n", qPrintable(phase));
    }
    bench.printTable(loadBefore);
    return 0;
}
