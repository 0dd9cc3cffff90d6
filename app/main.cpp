#include "dialogmessages.h"
#include "fonts.h"
#include "mainwindow.h"
#include "sessionbus.h"
#include "startuptrace.h"
#include "webenginesetup.h"
#include "x11underwayland.h"

#include <QApplication>

#include <clocale>
#include <cstdio>
#include <exception>

using namespace Qt::StringLiterals;

namespace {

// Qt's own message for a missing display is a page about platform plugins.
bool displayAvailable() {
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char *argv[]) {
    StartupTrace trace;
    if (!displayAvailable()) {
        std::fputs("sintonet-valdren: no hay pantalla gráfica (DISPLAY y WAYLAND_DISPLAY vacías); "
                   "sin pantalla, arránquelo con: xvfb-run -a ./sintonet-valdren\n",
                   stderr);
        return 2;
    }

    preferX11UnderWayland();
    WebEngineSetup::prepareBeforeApplication();
    keepSessionBusFromStarting();
    QApplication app(argc, argv);
    trace.mark("app");
    QGuiApplication::setDesktopFileName(u"sintonet-valdren"_s);
    // The window may sit in the tray while another window closes: the program
    // ends only through its own close paths.
    app.setQuitOnLastWindowClosed(false);
    // libmpv parses numbers with the C locale and refuses to start under any other.
    std::setlocale(LC_NUMERIC, "C");
    installFontSubstitutions();

    Main window(ProgramFolder::ofRunningExecutable());
    QObject::connect(&window, &Main::programEnded, &app, &QCoreApplication::exit,
                     Qt::QueuedConnection);
    try {
        window.Form_Load();
    } catch (const std::exception &error) {
        // Start-up cannot go on (the catalogue cannot be read): say why, here and on screen.
        std::fprintf(stderr, "sintonet-valdren: %s\n", error.what());
        DialogMessages(nullptr).show(QString::fromUtf8(error.what()), u"Sintonet Valdren"_s,
                                     UserMessages::Icon::Critical);
        return 1;
    }
    trace.mark("loaded");
    trace.watchFirstPaint(&window);
    window.showAsLoaded();
    return app.exec();
}
