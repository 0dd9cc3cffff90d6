// The floor under any player built on this machine's libmpv: the library by itself playing one
// address, with no window, no toolkit and nothing else loaded. The benchmark reads its memory
// beside ours and Goodvibes'.
//
//   bench_libmpv URL
#include <mpv/client.h>

#include <cstdio>

int main(int argc, char *argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_libmpv URL\n");
        return 2;
    }
    mpv_handle *mpv = mpv_create();
    if (!mpv)
        return 1;
    // The program's own engine options, those that bear on what the engine holds.
    const char *const options[][2] = {
        {"vid", "no"},
        {"audio-display", "no"},
        {"ao", "null"},
        {"ytdl", "no"},
        {"load-scripts", "no"},
        {"osd-font-provider", "none"},
        {"cache", "yes"},
        {"cache-secs", "20"},
        {"demuxer-max-bytes", "2MiB"},
        {"input-default-bindings", "no"},
        {"demuxer-max-back-bytes", "64KiB"},
    };
    for (const auto &option : options)
        mpv_set_option_string(mpv, option[0], option[1]);
    if (mpv_initialize(mpv) < 0)
        return 1;
    const char *command[] = {"loadfile", argv[1], nullptr};
    mpv_command(mpv, command);
    // Until the benchmark ends it (or the stream does).
    for (;;) {
        const mpv_event *event = mpv_wait_event(mpv, -1);
        if (event->event_id == MPV_EVENT_SHUTDOWN || event->event_id == MPV_EVENT_END_FILE)
            break;
    }
    mpv_terminate_destroy(mpv);
    return 0;
}
