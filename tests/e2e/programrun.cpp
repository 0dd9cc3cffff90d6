#include "programrun.h"

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
    m_process.setWorkingDirectory(environment.value(u"HOME"_s));
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(m_folder.filePath(u"error.log"_s), QIODevice::Append);
    // A group of its own, so that the web engine's helpers can be ended with it.
    m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
    m_process.start(m_folder.filePath(u"program/sintonet-valdren"_s), {});
    if (!m_process.waitForStarted(15000))
        return fail("it did not start: " + m_process.errorString().toUtf8());
    m_pid = m_process.processId();
    return (QTest::qWaitFor([this] { return !running() || !window().id.isEmpty(); }, 30000) &&
            running()) ||
           fail("no window came up");
}

QList<DesktopSession::Window> ProgramRun::windows(const QStringList &search) const {
    return m_desktop.findWindows(
        QStringList{u"--all"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(m_pid)} + search);
}

DesktopSession::Window ProgramRun::window() const {
    if (!running())
        return {};
    // Native windows inside the main window may carry its name too: the main window holds
    // them all.
    DesktopSession::Window main;
    for (const DesktopSession::Window &w : windows({u"--name"_s, u"^Sintonet Valdren$"_s})) {
        if (w.geometry.width() * w.geometry.height() >
            main.geometry.width() * main.geometry.height())
            main = w;
    }
    return main;
}

QRect ProgramRun::controlRect(const QRect &twips) const {
    return Twips::rect(twips.x(), twips.y(), twips.width(), twips.height())
        .translated(window().geometry.topLeft());
}

bool ProgramRun::clickControl(const QRect &twips) const {
    return !window().id.isEmpty() && m_desktop.click(controlRect(twips).center());
}

bool ProgramRun::waitForExit(int timeoutMs) {
    if (m_pid <= 0 || (running() && !m_process.waitForFinished(timeoutMs)))
        return false;
    // The web engine's helpers do not outlive the program.
    ::kill(-pid_t(m_pid), SIGKILL);
    return (m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0) ||
           fail("the program ended with " + QByteArray::number(m_process.exitCode()));
}

void ProgramRun::killNow() {
    if (m_pid <= 0)
        return;
    if (running())
        ::kill(pid_t(m_pid), SIGKILL);
    m_process.waitForFinished(15000);
    ::kill(-pid_t(m_pid), SIGKILL);
}

bool ProgramRun::fail(const QByteArray &why) const {
    qWarning("%s; its standard error ends:\n%s", why.constData(),
             TestFiles::read(m_folder.filePath(u"error.log"_s)).right(4000).constData());
    return false;
}
