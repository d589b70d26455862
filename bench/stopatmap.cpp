// Preloaded into a program (LD_PRELOAD) to end it the moment it asks the X server to map its
// window, so that a profiler started with it counts start-up and nothing after. Used by
// bench/run.sh --profile; does nothing unless BENCH_STOP_AT_MAP is set.

#include <xcb/xcb.h>

#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>

extern "C" xcb_void_cookie_t xcb_map_window(xcb_connection_t *connection, xcb_window_t window)
{
    using MapWindow = xcb_void_cookie_t (*)(xcb_connection_t *, xcb_window_t);
    static const auto next = reinterpret_cast<MapWindow>(dlsym(RTLD_NEXT, "xcb_map_window"));
    const xcb_void_cookie_t cookie = next(connection, window);
    if (std::getenv("BENCH_STOP_AT_MAP")) {
        xcb_flush(connection);
        // At once: no handler of the program runs after its window is mapped.
        _exit(0);
    }
    return cookie;
}
