#pragma once

// Names the session bus for everything in the process that uses it (Qt's
// accessibility bridge and tray among them, and the media controls) when the
// environment does not: the login session's bus at its fixed place when it is
// there, otherwise an address that cannot be reached. Left unnamed, libdbus
// would launch a bus daemon of its own ("autolaunch"), which outlives the
// program and serves nobody. Call it before the QApplication is made.
void keepSessionBusFromStarting();
