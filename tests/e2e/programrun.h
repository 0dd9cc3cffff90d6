#pragma once

#include "desktopsession.h"

// Where the window's controls were designed, in twips from its top-left corner.
namespace Designed {
inline const QRect cmdGoTray(2640, 60, 195, 195);
inline const QRect cmdCloseApp(3120, 60, 195, 195);
inline const QRect cboRadios(180, 420, 1815, 315);
inline const QRect imgConectar(2040, 420, 1395, 315);
inline const QRect ImgCambiar(240, 780, 1035, 285);
inline const QRect FX(140, 1380, 3315, 1215);
inline const QRect Command1Closed(1860, 2640, 1515, 255);
inline const QRect cboPaises(4920, 420, 2115, 315);
inline const QRect Propaganda(3780, 1380, 3255, 1215);
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
    QString settingsFile() const {
        return m_folder.filePath(QStringLiteral("program/sintonet-valdren.ini"));
    }
    QString catalogueFile() const {
        return m_folder.filePath(QStringLiteral("program/RadioStore.mdb"));
    }

    // Starts the program and waits for its window; says why not, with the program's last
    // words. The variables are added to the desktop's environment, those in unset taken out.
    bool start(const QProcessEnvironment &extra = {}, const QStringList &unset = {});
    bool running() const { return m_process.state() != QProcess::NotRunning; }

    // The program's windows on the screen, these search options and pattern added.
    QList<DesktopSession::Window> windows(const QStringList &search) const;
    // The program's main window while it is on the screen: its id and place.
    DesktopSession::Window window() const;
    // Where a control placed at this designed rectangle is on the screen.
    QRect controlRect(const QRect &twips) const;
    bool clickControl(const QRect &twips) const;

    // True once ended with exit code 0; any other end says why, with the program's last words.
    bool waitForExit(int timeoutMs);
    // SIGKILL at once; then whatever the program started goes too.
    void killNow();

private:
    // Says why, with the end of the program's standard error.
    bool fail(const QByteArray &why) const;

    const DesktopSession &m_desktop;
    QTemporaryDir m_folder;
    QProcess m_process;
    qint64 m_pid = 0;
};
