#include "programrun.h"

#include "testfiles.h"
#include "twips.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString ExecutableName = u"sintonet-valdren"_s;
const QString WindowName = u"^Sintonet Valdren$"_s;

} // namespace

ProgramRun::ProgramRun(const DesktopSession &desktop)
    : m_desktop(desktop) {}

ProgramRun::~ProgramRun() {
    if (running())
        killNow();
    killGroup();
}

QString ProgramRun::settingsFile() const {
    return m_folder.filePath(u"program/"_s + ExecutableName + u".ini"_s);
}

QString ProgramRun::catalogueFile() const {
    return m_folder.filePath(u"program/RadioStore.mdb"_s);
}

bool ProgramRun::prepare(const QByteArray &catalogue) {
    const QString program = m_folder.filePath(u"program"_s);
    return m_folder.isValid() &&
           TestFiles::copyProgramFolder(QStringLiteral(SV_PROGRAM_DIR), program) &&
           TestFiles::write(catalogueFile(), catalogue);
}

bool ProgramRun::start(const QProcessEnvironment &extra, const QStringList &unset) {
    QProcessEnvironment environment = m_desktop.environment();
    environment.insert(extra);
    for (const QString &name : unset)
        environment.remove(name);
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(m_desktop.home());
    m_process.setStandardOutputFile(m_folder.filePath(u"output.log"_s), QIODevice::Append);
    m_process.setStandardErrorFile(m_folder.filePath(u"error.log"_s), QIODevice::Append);
    // A group of its own, so that the web engine's helpers can be ended with it.
    m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
    m_process.start(m_folder.filePath(u"program/"_s + ExecutableName), {});
    if (!m_process.waitForStarted(15000)) {
        qWarning("the program did not start: %s", qPrintable(m_process.errorString()));
        return false;
    }
    m_pid = m_process.processId();
    return true;
}

bool ProgramRun::running() const {
    return m_process.state() != QProcess::NotRunning;
}

DesktopSession::Window ProgramRun::window() const {
    if (!running())
        return {};
    const QList<DesktopSession::Window> found =
        m_desktop.findWindows({u"--all"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(m_pid),
                               u"--name"_s, WindowName});
    // Native windows inside the main window may carry its name too: the main
    // window holds them all.
    DesktopSession::Window main;
    for (const DesktopSession::Window &w : found) {
        if (w.geometry.width() * w.geometry.height() >
            main.geometry.width() * main.geometry.height())
            main = w;
    }
    return main;
}

bool ProgramRun::waitForWindow(int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    while (window().id.isEmpty()) {
        if (deadline.hasExpired() || !running())
            return false;
        QTest::qWait(50);
    }
    return true;
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
    const bool ended = m_process.waitForFinished(timeoutMs);
    // The web engine's helpers do not outlive the program.
    if (ended)
        killGroup();
    // An unexpected end says why: the program's own last words.
    if (ended && (m_process.exitStatus() != QProcess::NormalExit || m_process.exitCode() != 0)) {
        QFile log(m_folder.filePath(u"error.log"_s));
        if (log.open(QIODevice::ReadOnly))
            qWarning("the program ended with %d; its standard error ends:\n%s",
                     m_process.exitCode(), log.readAll().right(4000).constData());
    }
    return ended;
}

int ProgramRun::exitCode() const {
    return m_process.exitCode();
}

QProcess::ExitStatus ProgramRun::exitStatus() const {
    return m_process.exitStatus();
}

void ProgramRun::killNow() {
    if (m_pid <= 0)
        return;
    ::kill(pid_t(m_pid), SIGKILL);
    m_process.waitForFinished(15000);
    killGroup();
}

void ProgramRun::killGroup() {
    if (m_pid > 0)
        ::kill(-pid_t(m_pid), SIGKILL);
}

QByteArray ProgramRun::errorOutput() const {
    return TestFiles::read(m_folder.filePath(u"error.log"_s));
}
