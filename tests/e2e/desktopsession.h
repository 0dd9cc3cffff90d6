#pragma once

#include "twips.h"

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

#define E2E_TRY_COMPARE(actual, expected, timeoutMs)                                               \
    do {                                                                                           \
        (void)QTest::qWaitFor([&] { return (actual) == (expected); }, timeoutMs);                  \
        QCOMPARE(actual, expected);                                                                \
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
    // What a tool printed; empty when it failed or took too long.
    QByteArray run(const QString &tool, const QStringList &arguments) const;

private:
    bool startHelper(const QString &program, const QStringList &arguments,
                     const std::function<bool()> &ready);

    QTemporaryDir m_home;
    QStringList m_busesBefore;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

// Where the window's controls were designed, from its top-left corner.
namespace Designed {
inline const QRect cmdGoTray = Twips::rect(2640, 60, 195, 195);
inline const QRect cmdCloseApp = Twips::rect(3120, 60, 195, 195);
inline const QRect cboRadios = Twips::rect(180, 420, 1815, 315);
inline const QRect imgConectar = Twips::rect(2040, 420, 1395, 315);
inline const QRect ImgCambiar = Twips::rect(240, 780, 1035, 285);
inline const QRect FX = Twips::rect(140, 1380, 3315, 1215);
inline const QRect Command1Closed = Twips::rect(1860, 2640, 1515, 255);
inline const QRect cboPaises = Twips::rect(4920, 420, 2115, 315);
inline const QRect Propaganda = Twips::rect(3780, 1380, 3255, 1215);
} // namespace Designed

// The built program, copied with its folder into a folder of its own (so that the settings it
// writes stay there), run on a test desktop and driven through its window as a person would.
class ProgramRun {
public:
    explicit ProgramRun(const DesktopSession &desktop)
        : m_desktop(desktop) {}
    // Whatever is still running is killed, with every process it started.
    ~ProgramRun() { killNow(); }

    bool prepare(const QByteArray &catalogue);
    QString settingsFile() const { return file("sintonet-valdren.ini"); }
    QString catalogueFile() const { return file("RadioStore.mdb"); }

    // Starts the program in this environment (a desktop's, as a rule) and waits for its window;
    // says why not, with the program's last words.
    bool start(const QProcessEnvironment &environment);
    bool running() const { return m_process.state() != QProcess::NotRunning; }

    // The program's windows on the screen, these search options and pattern added.
    QList<DesktopSession::Window> windows(const QStringList &search) const;
    // The program's main window while it is on the screen: its id and place.
    DesktopSession::Window window() const;
    // Where a control designed at this place is on the screen.
    QRect controlRect(const QRect &designed) const;
    bool clickControl(const QRect &designed) const;

    // True once ended with exit code 0; any other end says why, with the program's last words.
    bool waitForExit(int timeoutMs);
    // SIGKILL at once; then whatever the program started goes too.
    void killNow();

private:
    QString file(const char *name) const;
    // Says why, with the end of the program's standard error.
    bool fail(const QByteArray &why) const;

    const DesktopSession &m_desktop;
    QTemporaryDir m_folder;
    QProcess m_process;
    qint64 m_pid = 0;
};
