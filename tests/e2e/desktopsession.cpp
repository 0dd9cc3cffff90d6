#include "desktopsession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QRegularExpression>
#include <QThread>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

constexpr int StartTimeoutMs = 30000;

} // namespace

bool DesktopSession::waitUntilReady(QProcess &process, const QString &log,
                                    const std::function<bool()> &ready) const {
    QDeadlineTimer deadline(StartTimeoutMs);
    while (!ready()) {
        if (process.waitForFinished(0) || deadline.hasExpired()) {
            QFile file(m_home.filePath(log));
            file.open(QIODevice::ReadOnly);
            qWarning("%s did not come up on %s (%s, exit code %d): %s",
                     qPrintable(process.program()), qPrintable(m_display),
                     process.state() == QProcess::NotRunning ? "ended" : "still starting",
                     process.exitCode(), file.readAll().left(2000).constData());
            return false;
        }
        QThread::msleep(20);
    }
    return true;
}

DesktopSession::DesktopSession() = default;

DesktopSession::~DesktopSession() {
    stopAll();
}

QProcessEnvironment DesktopSession::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The program must choose its platform as it would on a desktop.
    environment.remove(u"QT_QPA_PLATFORM"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    environment.remove(u"SESSION_MANAGER"_s);
    environment.insert(u"DISPLAY"_s, m_display);
    environment.insert(u"HOME"_s, m_home.path());
    environment.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
    environment.insert(u"XDG_CACHE_HOME"_s, m_home.filePath(u"cache"_s));
    environment.insert(u"XDG_DATA_HOME"_s, m_home.filePath(u"data"_s));
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_home.filePath(u"runtime"_s));
    // No session bus: the program goes on without its media controls. The
    // helpers of the desktop get an address that cannot be reached, so that
    // none of them launches a bus for the display.
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path=/nonexistent"_s);
    return environment;
}

bool DesktopSession::startProcess(QProcess &process, const QString &program,
                                  const QStringList &arguments) {
    process.setProcessEnvironment(environment());
    process.setWorkingDirectory(m_home.path());
    process.start(program, arguments);
    if (!process.waitForStarted(StartTimeoutMs)) {
        qWarning("%s did not start: %s", qPrintable(program), qPrintable(process.errorString()));
        return false;
    }
    return true;
}

bool DesktopSession::start(const Parts &parts) {
    if (!m_home.isValid())
        return false;
    QDir home(m_home.path());
    for (const QString &folder : {u"config"_s, u"cache"_s, u"data"_s, u"runtime"_s})
        home.mkpath(folder);
    QFile::setPermissions(m_home.filePath(u"runtime"_s),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!startServer())
        return false;
    // A bus left running for an earlier server of the same number is not this desktop's.
    m_busesBefore = busesStartedHere();

    auto &manager = m_processes.emplace_back(std::make_unique<QProcess>());
    manager->setStandardOutputFile(QProcess::nullDevice());
    manager->setStandardErrorFile(m_home.filePath(u"openbox.log"_s));
    if (!startProcess(*manager, u"openbox"_s, {u"--sm-disable"_s}))
        return false;
    // The manager names itself on the root window early in its start; a
    // window mapped before it takes charge is never shown, so a probe window
    // has to come up first.
    if (!waitUntilReady(*manager, u"openbox.log"_s, [this] {
            bool shown = false;
            if (run(u"xprop"_s, {u"-root"_s, u"_NET_SUPPORTING_WM_CHECK"_s}).contains("window id"))
                run(QStringLiteral(SV_E2E_GRAB), {u"--probe"_s}, &shown);
            return shown;
        }))
        return false;

    if (parts.trayHost) {
        auto &tray = m_processes.emplace_back(std::make_unique<QProcess>());
        tray->setStandardOutputFile(QProcess::nullDevice());
        tray->setStandardErrorFile(m_home.filePath(u"trayer.log"_s));
        if (!startProcess(*tray, u"trayer"_s,
                          {u"--edge"_s, u"top"_s, u"--align"_s, u"right"_s, u"--widthtype"_s,
                           u"request"_s, u"--height"_s, u"32"_s, u"--SetDockType"_s, u"true"_s}))
            return false;
        if (!waitUntilReady(*tray, u"trayer.log"_s,
                            [this] { return !visibleWindows(u"^trayer$"_s).isEmpty(); }))
            return false;
    }
    return true;
}

bool DesktopSession::startServer() {
    // Other X servers may run beside ours, some without a lock file: a display
    // is taken only when neither its lock nor its socket exists, and the
    // server's own lock settles a race with one starting at the same time.
    const int base = 200 + int(QCoreApplication::applicationPid() % 500);
    for (int display = base; display < base + 40; ++display) {
        const QString number = QString::number(display);
        if (QFile::exists(u"/tmp/.X%1-lock"_s.arg(number)) ||
            QFile::exists(u"/tmp/.X11-unix/X%1"_s.arg(number)))
            continue;
        auto server = std::make_unique<QProcess>();
        server->setStandardErrorFile(m_home.filePath(u"xvfb.log"_s), QIODevice::Append);
        // The server writes its display number once it accepts clients. It
        // must not reset when its last client leaves: a client connecting at
        // that moment (the window manager, after a look with xprop) is cut off.
        // A white desktop tells what lies outside a window's outline.
        if (!startProcess(*server, u"Xvfb"_s,
                          {u":"_s + number, u"-displayfd"_s, u"1"_s, u"-noreset"_s, u"-wr"_s,
                           u"-screen"_s, u"0"_s, u"1280x1024x24"_s, u"-nolisten"_s, u"tcp"_s}))
            return false;
        QByteArray said;
        QDeadlineTimer deadline(StartTimeoutMs);
        while (!said.contains('\n') && server->state() == QProcess::Running &&
               !deadline.hasExpired()) {
            server->waitForReadyRead(100);
            said += server->readAllStandardOutput();
        }
        if (said.trimmed() == number.toLatin1()) {
            m_display = u":"_s + number;
            m_processes.push_back(std::move(server));
            return true;
        }
        server->kill();
        server->waitForFinished(5000);
    }
    qWarning("Xvfb did not come up");
    return false;
}

void DesktopSession::stopAll() {
    while (!m_processes.empty()) {
        QProcess &process = *m_processes.back();
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000)) {
                process.kill();
                process.waitForFinished(5000);
            }
        }
        m_processes.pop_back();
    }
    // A bus that a program under test launched would outlive the test.
    for (const QString &bus : busesStartedHere())
        ::kill(bus.section(u' ', 1).toInt(), SIGTERM);
}

QByteArray DesktopSession::run(const QString &tool, const QStringList &arguments, bool *ok,
                               int timeoutMs) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(tool, arguments);
    const bool finished = process.waitForFinished(timeoutMs);
    if (!finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    const bool succeeded =
        finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (ok)
        *ok = succeeded;
    return succeeded ? process.readAllStandardOutput() : QByteArray();
}

QList<DesktopSession::Window> DesktopSession::visibleWindows(const QString &classPattern) const {
    return findWindows({u"--onlyvisible"_s, u"--class"_s, classPattern});
}

QList<DesktopSession::Window>
DesktopSession::findWindows(const QStringList &searchArguments) const {
    QList<Window> found;
    const QByteArray ids = run(u"xdotool"_s, QStringList{u"search"_s} + searchArguments);
    for (const QByteArray &id : ids.split('\n')) {
        if (id.trimmed().isEmpty())
            continue;
        const Window w = window(QString::fromLatin1(id.trimmed()));
        // A window may go between the search and the look at it.
        if (w.geometry.isValid())
            found.append(w);
    }
    return found;
}

DesktopSession::Window DesktopSession::window(const QString &id) const {
    Window w;
    w.id = id;
    bool ok = false;
    const QByteArray shell = run(u"xdotool"_s, {u"getwindowgeometry"_s, u"--shell"_s, id}, &ok);
    if (!ok)
        return w;
    QHash<QByteArray, int> values;
    for (const QByteArray &line : shell.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            values.insert(line.left(eq), line.mid(eq + 1).toInt());
    }
    w.geometry =
        QRect(values.value("X"), values.value("Y"), values.value("WIDTH"), values.value("HEIGHT"));
    return w;
}

QRect DesktopSession::shapeExtents(const QString &id) const {
    // Without a window, xwininfo would wait for one to be clicked.
    if (id.isEmpty())
        return QRect();
    const QString info = QString::fromUtf8(run(u"xwininfo"_s, {u"-shape"_s, u"-id"_s, id}));
    static const QRegularExpression extents(
        u"Window shape extents:\\s+(\\d+)x(\\d+)\\+(-?\\d+)\\+(-?\\d+)"_s);
    const QRegularExpressionMatch m = extents.match(info);
    if (!m.hasMatch())
        return QRect();
    return QRect(m.captured(3).toInt(), m.captured(4).toInt(), m.captured(1).toInt(),
                 m.captured(2).toInt());
}

bool DesktopSession::click(QPoint at, int times) const {
    bool ok = false;
    run(u"xdotool"_s,
        {u"mousemove"_s, QString::number(at.x()), QString::number(at.y()), u"click"_s,
         u"--repeat"_s, QString::number(times), u"--delay"_s, u"80"_s, u"1"_s},
        &ok);
    return ok;
}

std::unique_ptr<QProcess> DesktopSession::startClick(QPoint at) const {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment());
    process->start(u"xdotool"_s, {u"mousemove"_s, QString::number(at.x()), QString::number(at.y()),
                                  u"click"_s, u"1"_s});
    return process;
}

QImage DesktopSession::grab(const QRect &area) const {
    const QString file = m_home.filePath(u"grab.png"_s);
    QFile::remove(file);
    bool ok = false;
    run(QStringLiteral(SV_E2E_GRAB),
        {QString::number(area.x()), QString::number(area.y()), QString::number(area.width()),
         QString::number(area.height()), file},
        &ok);
    if (!ok) {
        qWarning("grabbing the screen failed");
        return QImage();
    }
    return QImage(file).convertToFormat(QImage::Format_RGB32);
}

QStringList DesktopSession::busesStartedHere() const {
    QStringList found;
    const QByteArray display = "DISPLAY=" + m_display.toUtf8();
    const QStringList pids = QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        QFile command(u"/proc/%1/comm"_s.arg(pid));
        QFile environ(u"/proc/%1/environ"_s.arg(pid));
        if (!command.open(QIODevice::ReadOnly) || !environ.open(QIODevice::ReadOnly))
            continue;
        const QByteArray name = command.readAll().trimmed();
        if (!name.startsWith("dbus-"))
            continue;
        const QString bus = QString::fromUtf8(name) + u' ' + pid;
        if (environ.readAll().split('\0').contains(display) && !m_busesBefore.contains(bus))
            found.append(bus);
    }
    return found;
}
