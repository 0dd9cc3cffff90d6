#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <utility>

class QWidget;

// What start-up costs, for the benchmarks. With SINTONET_TRACE_STARTUP=1 in the
// environment the program writes to standard error, once its window has first
// been painted, one line of steps on the monotonic clock (CLOCK_MONOTONIC,
// microseconds), so that a launcher can set them against the moment it
// started the process:
//   sintonet-valdren: startup main=... app=... loaded=... painted=...
// and, some seconds later, the longest time the user interface could not
// answer in that while:
//   sintonet-valdren: blocked longest=<ms> after the first paint, over <s> s
// Each later mouse press starts such a watch again, written as
//   sintonet-valdren: blocked longest=<ms> after a click at <us>, over <s> s
// Without the variable nothing is measured or written.
class StartupTrace : public QObject {
    Q_OBJECT

public:
    // Notes "main": make it first thing in main().
    StartupTrace();

    static bool requested();

    // Notes a step with the time now.
    void mark(const char *step);
    // Notes "painted" when the window's first paint begins (its flush to the
    // screen follows in the same call), then watches the event loop for a while.
    void watchFirstPaint(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startWatch(const QByteArray &after);
    void writeSteps();
    void beat();

    bool m_enabled;
    QList<std::pair<const char *, qint64>> m_steps;
    QPointer<QWidget> m_window;
    QTimer m_heartbeat;
    QElapsedTimer m_sinceBeat;
    QElapsedTimer m_watching;
    qint64 m_longestMs = 0;
    QByteArray m_after;
};
