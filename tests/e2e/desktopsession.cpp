#include "desktopsession.h"

#include "testfiles.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <csignal>
#include <ranges>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Window = DesktopSession::Window;

DesktopSession::~DesktopSession() {
    // The tray host goes before the window manager; whatever does not end is killed below.
    for (const auto &process : m_processes | std::views::reverse) {
        process->terminate();
        process->waitForFinished(5000);
    }
    // A bus that a program under test launched would outlive the test.
    for (const QString &bus : busesStartedHere())
        ::kill(bus.section(u' ', 1).toInt(), SIGTERM);
}

QProcessEnvironment DesktopSession::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The program must choose its platform as it would on a desktop.
    for (const QString &name : {u"QT_QPA_PLATFORM"_s, u"WAYLAND_DISPLAY"_s, u"SESSION_MANAGER"_s})
        environment.remove(name);
    environment.insert(u"HOME"_s, m_home.path());
    for (const QString &kind : {u"CONFIG"_s, u"CACHE"_s, u"DATA"_s})
        environment.insert(u"XDG_%1_HOME"_s.arg(kind), m_home.filePath(kind.toLower()));
    // Private, as a runtime folder must be.
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_home.path());
    // No session bus: the program goes on without its media controls. The helpers of the
    // desktop get an address that cannot be reached, so that none of them launches a bus.
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path=/nonexistent"_s);
    return environment;
}

bool DesktopSession::startHelper(const QString &program, const QStringList &arguments,
                                 const std::function<bool()> &ready) {
    QProcess &process = *m_processes.emplace_back(std::make_unique<QProcess>());
    const QString log = m_home.filePath(program + u".log"_s);
    process.setProcessEnvironment(environment());
    process.setWorkingDirectory(m_home.path());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(log);
    process.start(program, arguments);
    bool up = false;
    (void)QTest::qWaitFor([&] { return (up = ready()) || process.state() == QProcess::NotRunning; },
                          30000);
    if (!up)
        qWarning("%s did not come up (%s): %s", qPrintable(program),
                 qPrintable(process.errorString()), TestFiles::read(log).left(2000).constData());
    return up;
}

bool DesktopSession::start(bool trayHost) {
    if (!m_home.isValid() || !qGuiApp)
        return false;
    // A bus left running for an earlier server of the same number is not this desktop's.
    m_busesBefore = busesStartedHere();

    // The manager names itself on the root window early in its start; a window mapped before
    // it takes charge is never shown, so a probe window has to come up first.
    if (!startHelper(u"openbox"_s, {u"--sm-disable"_s}, [this] {
            if (!run(u"xprop"_s, {u"-root"_s, u"_NET_SUPPORTING_WM_CHECK"_s}).contains("window id"))
                return false;
            QWindow probe;
            probe.resize(40, 40);
            probe.show();
            return QTest::qWaitForWindowExposed(&probe, 3000);
        }))
        return false;
    return !trayHost ||
           startHelper(
               u"trayer"_s,
               {u"--edge"_s, u"top"_s, u"--align"_s, u"right"_s, u"--widthtype"_s, u"request"_s,
                u"--height"_s, u"32"_s, u"--SetDockType"_s, u"true"_s},
               [this] {
                   return !findWindows({u"--onlyvisible"_s, u"--class"_s, u"^trayer$"_s}).isEmpty();
               });
}

QByteArray DesktopSession::run(const QString &tool, const QStringList &arguments) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(tool, arguments);
    // An unfinished tool is killed by the process's end.
    return process.waitForFinished(15000) && process.exitStatus() == QProcess::NormalExit &&
                   process.exitCode() == 0
               ? process.readAllStandardOutput()
               : QByteArray();
}

QList<Window> DesktopSession::findWindows(const QStringList &searchArguments) const {
    static const QRegularExpression shell(
        u"X=(-?\\d+)\\nY=(-?\\d+)\\nWIDTH=([1-9]\\d*)\\nHEIGHT=([1-9]\\d*)"_s);
    QList<Window> found;
    // xdotool gives up at the first window that goes while it walks the tree (the web engine's
    // come and go as it starts); asked again, it walks the windows that stay.
    QByteArray ids;
    for (int attempt = 0; attempt < 100; ++attempt) {
        QProcess search;
        search.setProcessEnvironment(environment());
        search.start(u"xdotool"_s, QStringList{u"search"_s} + searchArguments);
        if (!search.waitForFinished(15000))
            break;
        ids = search.readAllStandardOutput();
        if (!search.readAllStandardError().contains("X Error"))
            break;
    }
    for (const QString &id : QString::fromLatin1(ids).split(u'\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = shell.match(
            QString::fromLatin1(run(u"xdotool"_s, {u"getwindowgeometry"_s, u"--shell"_s, id})));
        // A window may go between the search and the look at it.
        if (m.hasMatch())
            found.append({id, QRect(m.captured(1).toInt(), m.captured(2).toInt(),
                                    m.captured(3).toInt(), m.captured(4).toInt())});
    }
    return found;
}

int DesktopSession::shapeWidth(const QString &id) const {
    static const QRegularExpression extents(u"Window shape extents:\\s+(\\d+)x"_s);
    // Without a window, xwininfo would wait for one to be clicked.
    const QByteArray info = id.isEmpty() ? "" : run(u"xwininfo"_s, {u"-shape"_s, u"-id"_s, id});
    return extents.match(QString::fromUtf8(info)).captured(1).toInt();
}

bool DesktopSession::click(QPoint at, int times) const {
    const std::unique_ptr<QProcess> process = startClick(at, times);
    return process->waitForFinished(15000) && process->exitStatus() == QProcess::NormalExit &&
           process->exitCode() == 0;
}

std::unique_ptr<QProcess> DesktopSession::startClick(QPoint at, int times) const {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->start(u"xdotool"_s,
                   {u"mousemove"_s, QString::number(at.x()), QString::number(at.y()), u"click"_s,
                    u"--repeat"_s, QString::number(times), u"--delay"_s, u"80"_s, u"1"_s});
    return process;
}

QImage DesktopSession::grab(const QRect &area) const {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QStringList DesktopSession::busesStartedHere() const {
    QStringList found;
    const QByteArray display = "DISPLAY=" + qgetenv("DISPLAY");
    for (const QString &pid : QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QByteArray name = TestFiles::read(u"/proc/%1/comm"_s.arg(pid)).trimmed();
        const QString bus = QString::fromUtf8(name) + u' ' + pid;
        if (name.startsWith("dbus-") && !m_busesBefore.contains(bus) &&
            TestFiles::read(u"/proc/%1/environ"_s.arg(pid)).split('\0').contains(display))
            found.append(bus);
    }
    return found;
}

bool ProgramRun::prepare(const QByteArray &catalogue) {
    return m_folder.isValid() &&
           TestFiles::copyProgramFolder(QStringLiteral(SV_PROGRAM_DIR),
                                        m_folder.filePath(u"program"_s)) &&
           TestFiles::write(catalogueFile(), catalogue);
}

QString ProgramRun::file(const char *name) const {
    return m_folder.filePath(u"program/"_s + QLatin1StringView(name));
}

bool ProgramRun::start(const QProcessEnvironment &environment) {
    m_process.setProcessEnvironment(environment);
    m_process.setWorkingDirectory(environment.value(u"HOME"_s));
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(m_folder.filePath(u"error.log"_s), QIODevice::Append);
    // A group of its own, so that the web engine's helpers can be ended with it.
    m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
    m_process.start(file("sintonet-valdren"), {});
    if (!m_process.waitForStarted(15000))
        return fail("it did not start: " + m_process.errorString().toUtf8());
    m_pid = m_process.processId();
    return (QTest::qWaitFor([this] { return !running() || !window().id.isEmpty(); }, 30000) &&
            running()) ||
           fail("no window came up");
}

QList<Window> ProgramRun::windows(const QStringList &search) const {
    return m_desktop.findWindows(
        QStringList{u"--all"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(m_pid)} + search);
}

Window ProgramRun::window() const {
    // Native windows inside the main window may carry its name too: the main window holds
    // them all.
    const QList<Window> found =
        running() ? windows({u"--name"_s, u"^Sintonet Valdren$"_s}) : QList<Window>();
    const auto main = std::ranges::max_element(
        found, {}, [](const Window &w) { return w.geometry.width() * w.geometry.height(); });
    return main == found.end() ? Window() : *main;
}

QRect ProgramRun::controlRect(const QRect &designed) const {
    return designed.translated(window().geometry.topLeft());
}

bool ProgramRun::clickControl(const QRect &designed) const {
    return !window().id.isEmpty() && m_desktop.click(controlRect(designed).center());
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
    m_process.kill();
    m_process.waitForFinished(15000);
    ::kill(-pid_t(m_pid), SIGKILL);
}

bool ProgramRun::fail(const QByteArray &why) const {
    qWarning("%s; its standard error ends:\n%s", why.constData(),
             TestFiles::read(m_folder.filePath(u"error.log"_s)).right(4000).constData());
    return false;
}
