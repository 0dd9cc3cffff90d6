#pragma once

#include <QDBusConnection>

// The desktop's session bus, when one is running; a connection that is not
// connected otherwise. Unlike QDBusConnection::sessionBus() it never starts a
// bus: without a named address libdbus would launch a bus daemon of its own
// ("autolaunch"), which outlives the program and serves nobody.
QDBusConnection runningSessionBus();
