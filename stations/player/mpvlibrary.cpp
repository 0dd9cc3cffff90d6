#include "mpvlibrary.h"

#include <QtGlobal>

#include <deque>
#include <dlfcn.h>
#include <mutex>
#include <thread>

namespace {

// The names libmpv of this client API is installed under.
constexpr const char *LibraryNames[] = {
#if MPV_CLIENT_API_VERSION >= MPV_MAKE_VERSION(2, 0)
    "libmpv.so.2",
#endif
    "libmpv.so.1",
    "libmpv.so",
};

std::once_flag loading;
const MpvLibrary *loaded = nullptr;

// One thread does the work, made before any of it starts: a thread made
// while the library loads would wait for the load to end (the C library
// sets up a new thread under the same lock as a loading library), and the
// user interface with it.
struct Jobs {
    std::mutex mutex;
    std::deque<std::packaged_task<mpv_handle *()>> waiting;
    bool working = false;
};

// Never destroyed: the thread may still be leaving while the process ends.
Jobs &jobs() {
    static auto *jobs = new Jobs;
    return *jobs;
}

void work() {
    Jobs &queue = jobs();
    for (;;) {
        std::packaged_task<mpv_handle *()> job;
        {
            const std::lock_guard lock(queue.mutex);
            if (queue.waiting.empty()) {
                queue.working = false;
                return;
            }
            job = std::move(queue.waiting.front());
            queue.waiting.pop_front();
        }
        job();
    }
}

// Whoever waits for the work waits on its future, never on the thread.
void enqueue(std::packaged_task<mpv_handle *()> job) {
    Jobs &queue = jobs();
    const std::lock_guard lock(queue.mutex);
    queue.waiting.push_back(std::move(job));
    if (!queue.working) {
        queue.working = true;
        std::thread(work).detach();
    }
}

template<typename Function> bool resolve(void *handle, Function &function, const char *name) {
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

const MpvLibrary *load() {
    void *handle = nullptr;
    for (const char *name : LibraryNames) {
        // Never unloaded: the engine's threads live as long as the process.
        handle = dlopen(name, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (handle)
            break;
    }
    if (!handle) {
        qWarning("libmpv cannot be loaded: %s", dlerror());
        return nullptr;
    }
    static MpvLibrary library;
    const bool complete = resolve(handle, library.create, "mpv_create") &&
                          resolve(handle, library.initialize, "mpv_initialize") &&
                          resolve(handle, library.setOptionString, "mpv_set_option_string") &&
                          resolve(handle, library.errorString, "mpv_error_string") &&
                          resolve(handle, library.observeProperty, "mpv_observe_property") &&
                          resolve(handle, library.setWakeupCallback, "mpv_set_wakeup_callback") &&
                          resolve(handle, library.waitEvent, "mpv_wait_event") &&
                          resolve(handle, library.commandAsync, "mpv_command_async") &&
                          resolve(handle, library.setPropertyAsync, "mpv_set_property_async") &&
                          resolve(handle, library.getPropertyAsync, "mpv_get_property_async") &&
                          resolve(handle, library.destroy, "mpv_destroy") &&
                          resolve(handle, library.terminateDestroy, "mpv_terminate_destroy");
    if (!complete) {
        qWarning("libmpv lacks part of its client API: %s", dlerror());
        return nullptr;
    }
    return &library;
}

} // namespace

const MpvLibrary *MpvLibrary::get() {
    std::call_once(loading, [] { loaded = load(); });
    return loaded;
}

void MpvLibrary::preload() {
    static std::once_flag asked;
    std::call_once(asked, [] {
        enqueue(std::packaged_task<mpv_handle *()>([]() -> mpv_handle * {
            get();
            return nullptr;
        }));
    });
}

std::future<mpv_handle *> MpvLibrary::startEngine(Options options, Options chosen,
                                                  QByteArray chosenBy) {
    std::packaged_task<mpv_handle *()> job([options = std::move(options),
                                            chosen = std::move(chosen),
                                            chosenBy = std::move(chosenBy)]() -> mpv_handle * {
        const MpvLibrary *mpv = get();
        mpv_handle *engine = mpv ? mpv->create() : nullptr;
        if (!engine)
            return nullptr;
        for (const auto &[option, value] : options)
            mpv->setOptionString(engine, option.constData(), value.constData());
        for (const auto &[option, value] : chosen) {
            const int error = mpv->setOptionString(engine, option.constData(), value.constData());
            if (error < 0)
                qWarning("%s: %s=%s: %s", chosenBy.constData(), option.constData(),
                         value.constData(), mpv->errorString(error));
        }
        if (mpv->initialize(engine) < 0) {
            mpv->terminateDestroy(engine);
            return nullptr;
        }
        return engine;
    });
    std::future<mpv_handle *> engine = job.get_future();
    enqueue(std::move(job));
    return engine;
}
