#pragma once

#include <QString>

// What the web engine reads once, when it starts in the page's helper: it must
// be in place before the QApplication is constructed, in the program (whose
// environment the helper inherits) or in the helper started by hand.
namespace WebEngineSetup {

// For main(), before the QApplication: prepares the engine for the user the
// program runs as, and tells on standard error when the sandbox is switched off.
void prepareBeforeApplication();

// The same for a given user. The engine's sandbox refuses to start as root
// and the panel then stays blank, so for root it is switched off; everyone
// else keeps it. Returns the notice to show, empty when nothing was switched off.
QString prepare(bool runningAsRoot);

} // namespace WebEngineSetup
