#pragma once

#include <mpv/client.h>

#include <QByteArray>
#include <QList>

#include <functional>
#include <future>
#include <utility>

// The engine's client API, looked up when the program runs instead of when it
// starts: libmpv and the hundred-odd libraries it needs take longer to load
// than the rest of start-up together. Loaded once per process, in the
// background, by the one thread that also makes the engines.
struct MpvLibrary {
    decltype(&mpv_create) create;
    decltype(&mpv_initialize) initialize;
    decltype(&mpv_set_option_string) setOptionString;
    decltype(&mpv_error_string) errorString;
    decltype(&mpv_observe_property) observeProperty;
    decltype(&mpv_set_wakeup_callback) setWakeupCallback;
    decltype(&mpv_wait_event) waitEvent;
    decltype(&mpv_command_async) commandAsync;
    decltype(&mpv_set_property_async) setPropertyAsync;
    decltype(&mpv_get_property_async) getPropertyAsync;
    decltype(&mpv_destroy) destroy;
    decltype(&mpv_terminate_destroy) terminateDestroy;

    // Starts loading the library in the background if nobody has yet.
    static void preload();
    // The library, loaded now if need be: waits for a load in progress.
    // Null when libmpv cannot be loaded (the reason went to the log).
    static const MpvLibrary *get();

    using Options = QList<std::pair<QByteArray, QByteArray>>;
    // Makes and starts an engine in the background, loading the library
    // first if need be: the given options, then the chosen ones, which win.
    // A chosen option the engine refuses is logged after `chosenBy` and
    // skipped. The engine is null when it cannot be made or started.
    static std::future<mpv_handle *> startEngine(Options options, Options chosen,
                                                 QByteArray chosenBy);
};
