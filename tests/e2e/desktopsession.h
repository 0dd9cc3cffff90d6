#pragma once

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <vector>

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

    QString home() const { return m_home.path(); }
    QProcessEnvironment environment() const;

    // Runs a tool on this desktop and returns what it printed; an empty result when it failed
    // or took too long.
    QByteArray run(const QString &tool, const QStringList &arguments) const;

    QList<Window> findWindows(const QStringList &searchArguments) const;
    // The bounding box of a window's shape, relative to the window.
    QRect shapeExtents(const QString &id) const;
    // Real pointer input, through the X server's test extension: one click or several, sent
    // before click() returns, or while the process startClick() returns runs.
    bool click(QPoint at, int times = 1) const;
    std::unique_ptr<QProcess> startClick(QPoint at, int times = 1) const;

    // Bus daemons (and their launchers) running for this desktop's display: none of its
    // programs should have started one.
    QStringList busesStartedHere() const;

    QImage grab(const QRect &area) const;

private:
    // Starts a helper and waits until it is ready; says why not, with its log, when it is not.
    bool startHelper(const QString &program, const QStringList &arguments,
                     const std::function<bool()> &ready);

    QTemporaryDir m_home;
    QStringList m_busesBefore;
    // Stopped in reverse order of starting.
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
