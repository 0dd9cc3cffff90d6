#pragma once

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

// Unlike QTRY_*, which counts only its own waits, these count the time the condition takes:
// the conditions here run X tools and grab the screen, a good part of a second on a busy machine.
#define E2E_TRY_VERIFY(condition, timeoutMs)                                                       \
    QVERIFY2(QTest::qWaitFor([&] { return bool(condition); }, timeoutMs), #condition)

// Compares the last value looked at, so that a failure shows it.
#define E2E_TRY_COMPARE(actual, expected, timeoutMs)                                               \
    do {                                                                                           \
        auto e2eLast = (actual);                                                                   \
        (void)QTest::qWaitFor([&] { return (e2eLast = (actual)) == (expected); }, timeoutMs);      \
        QCOMPARE(e2eLast, expected);                                                               \
    } while (false)

// A desktop of the test's own on the X server the test runs on: a window manager and a tray
// host (no session bus), stopped again when the session goes. Programs started with
// environment() run on it and write nothing outside the session's home folder.
class DesktopSession {
public:
    struct Window {
        QString id;
        QRect geometry; // on the screen
    };

    ~DesktopSession();
    // False, with a warning saying what failed, when a part does not come up.
    bool start(bool trayHost);
    QProcessEnvironment environment() const;

    QList<Window> findWindows(const QStringList &searchArguments) const;
    // The width of the bounding box of a window's shape.
    int shapeWidth(const QString &id) const;
    // Real pointer input, through the X server's test extension: one click or several, sent
    // before click() returns, or while the process startClick() returns runs.
    bool click(QPoint at, int times = 1) const;
    std::unique_ptr<QProcess> startClick(QPoint at, int times = 1) const;
    QImage grab(const QRect &area) const;

    // Bus daemons (and their launchers) running for this desktop's display: none of its
    // programs should have started one.
    QStringList busesStartedHere() const;

private:
    // What a tool printed; empty when it failed or took too long.
    QByteArray run(const QString &tool, const QStringList &arguments) const;
    bool startHelper(const QString &program, const QStringList &arguments,
                     const std::function<bool()> &ready);

    QTemporaryDir m_home;
    QStringList m_busesBefore;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
