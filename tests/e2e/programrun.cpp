#include "programrun.h"

#include "eventually.h"
#include "testfiles.h"
#include "twips.h"

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

bool ProgramRun::prepare(const QByteArray &catalogue) {
    return m_folder.isValid() &&
           TestFiles::copyProgramFolder(QStringLiteral(SV_PROGRAM_DIR),
                                        m_folder.filePath(u"program"_s)) &&
           TestFiles::write(catalogueFile(), catalogue);
}

bool ProgramRun::start(const QProcessEnvironment &extra, const QStringList &unset) {
    QProcessEnvironment environment = m_desktop.environment();
    environment.insert(extra);
    for (const QString &name : unset)
        environment.remove(name);
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(m_desktop.home());
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(m_folder.filePath(u"error.log"_s), QIODevice::Append);
    // A group of its own, so that the web engine's helpers can be ended with it.
    m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
    m_process.start(m_folder.filePath(u"program/sintonet-valdren"_s), {});
    if (!m_process.waitForStarted(15000)) {
        qWarning("the program did not start: %s", qPrintable(m_process.errorString()));
        return false;
    }
    m_pid = m_process.processId();
    return true;
}

DesktopSession::Window ProgramRun::window() const {
    if (!running())
        return {};
    // Native windows inside the main window may carry its name too: the main window holds
    // them all.
    DesktopSession::Window main;
    for (const DesktopSession::Window &w :
         m_desktop.findWindows({u"--all"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(m_pid),
                                u"--name"_s, u"^Sintonet Valdren$"_s})) {
        if (w.geometry.width() * w.geometry.height() >
            main.geometry.width() * main.geometry.height())
            main = w;
    }
    return main;
}

bool ProgramRun::waitForWindow(int timeoutMs) const {
    return eventually([this] { return !running() || !window().id.isEmpty(); }, timeoutMs) &&
           running();
}

QRect ProgramRun::controlRect(const QRect &twips) const {
    return Twips::rect(twips.x(), twips.y(), twips.width(), twips.height())
        .translated(window().geometry.topLeft());
}

bool ProgramRun::clickControl(const QRect &twips) const {
    return !window().id.isEmpty() && m_desktop.click(controlCentre(twips));
}

bool ProgramRun::waitForExit(int timeoutMs) {
    if (!running())
        return true;
    if (!m_process.waitForFinished(timeoutMs))
        return false;
    // The web engine's helpers do not outlive the program.
    ::kill(-pid_t(m_pid), SIGKILL);
    if (m_process.exitStatus() != QProcess::NormalExit || m_process.exitCode() != 0)
        qWarning("the program ended with %d; its standard error ends:\n%s", m_process.exitCode(),
                 errorOutput().right(4000).constData());
    return true;
}

void ProgramRun::killNow() {
    if (m_pid <= 0)
        return;
    if (running())
        ::kill(pid_t(m_pid), SIGKILL);
    m_process.waitForFinished(15000);
    ::kill(-pid_t(m_pid), SIGKILL);
}

QByteArray ProgramRun::errorOutput() const {
    return TestFiles::read(m_folder.filePath(u"error.log"_s));
}
