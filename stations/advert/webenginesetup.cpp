#include "webenginesetup.h"

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace WebEngineSetup {

namespace {
const char DisableSandbox[] = "QTWEBENGINE_DISABLE_SANDBOX";
}

QString prepare(bool runningAsRoot) {
    // Set in the program, the variable reaches every helper it starts, and
    // the notice is written once, not at every opening.
    if (!runningAsRoot || qgetenv(DisableSandbox) == "1")
        return QString();
    qputenv(DisableSandbox, "1");
    return u"sintonet-valdren: se ejecuta como root; el panel web se abre sin el aislamiento "
           u"(sandbox) del motor web, que no admite root."_s;
}

void prepareBeforeApplication() {
    const QString notice = prepare(geteuid() == 0);
    if (!notice.isEmpty())
        std::fprintf(stderr, "%s\n", notice.toLocal8Bit().constData());
}

} // namespace WebEngineSetup
