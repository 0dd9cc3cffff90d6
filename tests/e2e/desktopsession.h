#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

// A desktop of the test's own: a virtual X server on a free display, a window
// manager and a tray host (no session bus), all stopped again when
// the session goes. Programs started with environment() run on it and write
// nothing outside the session's home folder.
class DesktopSession {
public:
    struct Parts {
        bool trayHost = true;
    };

    // A window as the X server sees it.
    struct Window {
        QString id;
        QRect geometry; // on the screen
    };

    DesktopSession();
    ~DesktopSession();
    DesktopSession(const DesktopSession &) = delete;
    DesktopSession &operator=(const DesktopSession &) = delete;

    // False, with a warning saying what failed, when a part does not come up.
    bool start(const Parts &parts);

    QString home() const { return m_home.path(); }
    QProcessEnvironment environment() const;

    // Runs a tool on this desktop and returns what it printed; an empty result
    // and *ok false when it failed or took longer than the timeout.
    QByteArray run(const QString &tool, const QStringList &arguments, bool *ok = nullptr,
                   int timeoutMs = 15000) const;

    // Mapped windows whose class matches the pattern (a regular expression).
    QList<Window> visibleWindows(const QString &classPattern) const;
    // Windows that xdotool's search finds with these arguments.
    QList<Window> findWindows(const QStringList &searchArguments) const;

    // The bounding box of a window's shape, relative to the window.
    QRect shapeExtents(const QString &id) const;
    // Real pointer input, through the X server's test extension: one click or several.
    bool click(QPoint at, int times = 1) const;
    // Starts a click and returns at once; the process runs until the click is sent.
    std::unique_ptr<QProcess> startClick(QPoint at) const;

    // Bus daemons (and their launchers) running for this desktop's display:
    // none of its programs should have started one.
    QStringList busesStartedHere() const;

    // What the screen shows in the rectangle; a null image when the grab failed.
    QImage grab(const QRect &area) const;

private:
    bool startProcess(QProcess &process, const QString &program, const QStringList &arguments);
    bool startServer();
    // Waits for a helper to be ready; says why not, with its log, when it is not.
    bool waitUntilReady(QProcess &process, const QString &log,
                        const std::function<bool()> &ready) const;
    Window window(const QString &id) const;
    void stopAll();

    QTemporaryDir m_home;
    QStringList m_busesBefore;
    QString m_display;
    // Stopped in reverse order of starting.
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
