#include "sessionbus.h"

#include <QFileInfo>
#include <QString>

using namespace Qt::StringLiterals;

QDBusConnection runningSessionBus() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return QDBusConnection::sessionBus();
    // The bus that systemd and dbus-broker start for a login session lives at
    // this fixed place; desktops that use it do not always name it.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString socket = runtime + u"/bus"_s;
    if (!runtime.isEmpty() && QFileInfo(socket).exists() && !QFileInfo(socket).isFile() &&
        !QFileInfo(socket).isDir())
        return QDBusConnection::connectToBus(u"unix:path="_s + socket, u"sintonet-session"_s);
    return QDBusConnection(u"sintonet-no-bus"_s);
}
