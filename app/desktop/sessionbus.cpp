#include "sessionbus.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

bool isSocket(const QString &path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode);
}

} // namespace

void keepSessionBusFromStarting() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    // systemd and dbus-broker put a login session's bus here, and desktops
    // that use it do not always name it.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString socket = runtime + u"/bus"_s;
    if (!runtime.isEmpty() && isSocket(socket))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + QFile::encodeName(socket));
    else
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}
