#include "startuptrace.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr int HeartbeatMs = 5;
constexpr int WatchSeconds = 5;

qint64 monotonicMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

} // namespace

StartupTrace::StartupTrace()
    : m_enabled(requested()) {
    mark("main");
}

bool StartupTrace::requested() {
    return qgetenv("SINTONET_TRACE_STARTUP") == "1";
}

void StartupTrace::mark(const char *step) {
    if (m_enabled)
        m_steps.append({step, monotonicMicroseconds()});
}

void StartupTrace::watchFirstPaint(QWidget *window) {
    if (!m_enabled || !window)
        return;
    m_window = window;
    window->installEventFilter(this);
}

bool StartupTrace::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_window && event->type() == QEvent::Paint && m_after.isEmpty()) {
        m_window->removeEventFilter(this);
        // The flush to the screen follows at once, in this same call.
        mark("painted");
        m_heartbeat.setInterval(HeartbeatMs);
        m_heartbeat.setTimerType(Qt::PreciseTimer);
        connect(&m_heartbeat, &QTimer::timeout, this, &StartupTrace::beat);
        startWatch("the first paint");
        QTimer::singleShot(0, this, &StartupTrace::writeSteps);
        // What a click sets off (the options panel's page) is watched as well.
        QCoreApplication::instance()->installEventFilter(this);
    } else if (event->type() == QEvent::MouseButtonPress && !m_heartbeat.isActive()) {
        startWatch("a click at " + QByteArray::number(monotonicMicroseconds()));
    }
    return QObject::eventFilter(watched, event);
}

void StartupTrace::startWatch(const QByteArray &after) {
    m_after = after;
    m_longestMs = 0;
    m_sinceBeat.start();
    m_watching.start();
    m_heartbeat.start();
}

void StartupTrace::writeSteps() {
    QByteArray line = "sintonet-valdren: startup";
    for (const auto &[step, at] : std::as_const(m_steps))
        line += ' ' + QByteArray(step) + '=' + QByteArray::number(at);
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

void StartupTrace::beat() {
    m_longestMs = std::max(m_longestMs, m_sinceBeat.elapsed() - HeartbeatMs);
    m_sinceBeat.start();
    if (m_watching.elapsed() < WatchSeconds * 1000)
        return;
    m_heartbeat.stop();
    std::fprintf(stderr, "sintonet-valdren: blocked longest=%lld ms after %s, over %d s\n",
                 static_cast<long long>(m_longestMs), m_after.constData(), WatchSeconds);
    std::fflush(stderr);
}
