// What the status display costs on the platform it runs on (run it under
// xvfb-run, or on a desktop, for a real window system):
//   bench_display [seconds]
// prints the median cost of one tick, then the CPU share of this process while it
// does nothing but animate the display, for the given time (10 s by default), once
// with the designed two-second rests and once turning without rests.

#include "picturebox.h"
#include "randomgenerator.h"
#include "session.h"
#include "statusdisplay.h"
#include "twips.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

qint64 cpuNanoseconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

double medianMicroseconds(std::vector<qint64> &nanoseconds) {
    std::sort(nanoseconds.begin(), nanoseconds.end());
    return double(nanoseconds[nanoseconds.size() / 2]) / 1000.0;
}

void settle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Median cost of one tick, in this thread's CPU time (which other busy processes on the
// machine do not inflate) and in wall time.
template<typename Tick> void measureTick(const char *what, int count, Tick tick) {
    std::vector<qint64> cpu, wall;
    cpu.reserve(count);
    wall.reserve(count);
    QElapsedTimer clock;
    for (int n = 0; n < count; ++n) {
        const qint64 cpu0 = cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID);
        clock.start();
        tick();
        wall.push_back(clock.nsecsElapsed());
        cpu.push_back(cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID) - cpu0);
    }
    std::printf("median tick, %-20s CPU %6.1f us, wall %6.1f us (%d ticks)\n", what,
                medianMicroseconds(cpu), medianMicroseconds(wall), count);
}

void animate(StatusDisplay &display, const char *what, int seconds) {
    int ticks = 0;
    const auto counter = QObject::connect(&display.Timer1, &QTimer::timeout, [&] { ++ticks; });
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    QElapsedTimer wall;
    const qint64 cpu0 = cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID);
    wall.start();
    display.start();
    loop.exec();
    const double cpu = double(cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0) / 1e9;
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    display.cut();
    QObject::disconnect(counter);
    std::printf("%-34s %6.1f s  %6d ticks (%5.1f/s)  CPU %6.3f s = %5.2f %% of one core\n", what,
                elapsed, ticks, ticks / elapsed, cpu, 100.0 * cpu / elapsed);
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10;

    Session state;
    state.setShown(u"Argentina"_s, u"Radio Continental AM 590"_s);
    QWidget window;
    window.resize(Twips::size(3705, 3000));
    auto *fx = new PictureBox(&window);
    fx->move(Twips::point(140, 1380));
    RandomGenerator random;
    random.Randomize();
    StatusDisplay display(state, fx, random);
    window.show();
    settle(500);

    std::printf("platform %s, tick interval %d ms, picture %dx%d px\n",
                qPrintable(QGuiApplication::platformName()), StatusDisplay::TickInterval,
                fx->width(), fx->height());

    const int count = 5000;
    measureTick("warming up:", 200, [&] { display.Dibujador(); });
    measureTick("drawing only:", count, [&] { display.Dibujador(); });
    measureTick("drawn and shown:", count, [&] {
        display.Dibujador();
        fx->repaint();
    });
    display.cut();
    settle(200);

    animate(display, "animation with 2 s rests:", seconds);
    display.Timer2.setInterval(0);
    animate(display, "animation turning without rests:", seconds);
    return 0;
}
