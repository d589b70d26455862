// Starts a windowed program on the X display named by DISPLAY and measures it from outside,
// so the program needs no change to be measured: time from spawn until its top-level window
// is mapped, processor time until then, processor time over an idle span after that, and peak
// memory. Then it asks the window to close, as a window manager's close button would.
//
//   bench_startup [--idle SECONDS] [--timeout SECONDS] -- PROGRAM [ARGUMENTS...]
//
// Prints one line of key=value figures on stdout; exits non-zero when the window never shows.

#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

volatile pid_t g_child = 0;

// A watcher that is stopped, or that overruns its own deadline, takes its program with it, so
// no stray copy holds the program's single-copy lock for the next run.
void stopWithChild(int)
{
    if (g_child > 0)
        kill(g_child, SIGKILL);
    _exit(1);
}

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// utime + stime of the whole process, threads that have ended included; whole clock ticks.
double statCpuMs(pid_t pid)
{
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    // The command name may hold blanks; the fields after it are counted from its ')'.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::strtoull(field.c_str(), nullptr, 10);
        if (i == 15)
            stime = std::strtoull(field.c_str(), nullptr, 10);
    }
    return double(utime + stime) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// Run time of the live threads in nanoseconds: fine-grained, unlike the clock ticks.
double schedCpuMs(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR *dir = opendir(tasks.c_str());
    if (!dir)
        return 0;
    double total = 0;
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const std::string line = readFile(tasks + "/" + entry->d_name + "/schedstat");
        total += double(std::strtoull(line.c_str(), nullptr, 10)) / 1e6;
    }
    closedir(dir);
    return total;
}

// Neither source alone is right: ticks miss short bursts, live threads miss ended ones.
double cpuMs(pid_t pid)
{
    const double ticks = statCpuMs(pid);
    const double sched = schedCpuMs(pid);
    return ticks > sched ? ticks : sched;
}

long peakRssKb(pid_t pid)
{
    std::istringstream status(readFile("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

xcb_atom_t atom(xcb_connection_t *x, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            x, xcb_intern_atom(x, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

long windowPid(xcb_connection_t *x, xcb_window_t window, xcb_atom_t pidAtom)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
            x, xcb_get_property(x, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    long pid = -1;
    if (reply && xcb_get_property_value_length(reply) == 4)
        pid = long(*static_cast<const uint32_t *>(xcb_get_property_value(reply)));
    std::free(reply);
    return pid;
}

bool exited(pid_t pid, int &status)
{
    return waitpid(pid, &status, WNOHANG) == pid;
}

// Waits up to `ms` for the child to end; true when it did.
bool waitForExit(pid_t pid, int ms, int &status)
{
    for (int waited = 0; waited < ms; waited += 10) {
        if (exited(pid, status))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return exited(pid, status);
}

int usage()
{
    std::fprintf(
            stderr,
            "usage: bench_startup [--idle SECONDS] [--timeout SECONDS] -- PROGRAM [ARGS...]\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    double idleSeconds = 0;
    double timeoutSeconds = 15;
    int first = 1;
    for (; first < argc; ++first) {
        const std::string arg = argv[first];
        if (arg == "--") {
            ++first;
            break;
        }
        if (first + 1 >= argc)
            return usage();
        if (arg == "--idle")
            idleSeconds = std::atof(argv[++first]);
        else if (arg == "--timeout")
            timeoutSeconds = std::atof(argv[++first]);
        else
            return usage();
    }
    if (first >= argc)
        return usage();

    std::signal(SIGTERM, stopWithChild);
    std::signal(SIGINT, stopWithChild);
    std::signal(SIGALRM, stopWithChild);
    // Every step below is bounded; this is the bound on the whole, the X server's replies
    // included.
    alarm(unsigned(timeoutSeconds + idleSeconds + 20));

    int screenNumber = 0;
    xcb_connection_t *x = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "bench_startup: cannot open the display\n");
        return 2;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;
    // Every top-level window that is mapped is reported to the root's substructure listeners,
    // the same notice a window manager gets.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t pidAtom = atom(x, "_NET_WM_PID");
    const xcb_atom_t protocolsAtom = atom(x, "WM_PROTOCOLS");
    const xcb_atom_t deleteAtom = atom(x, "WM_DELETE_WINDOW");
    xcb_flush(x);

    pid_t pid = 0;
    const Clock::time_point start = Clock::now();
    if (posix_spawn(&pid, argv[first], nullptr, nullptr, argv + first, environ) != 0) {
        std::fprintf(stderr, "bench_startup: cannot start %s: %s\n", argv[first],
                     std::strerror(errno));
        return 2;
    }
    g_child = pid;

    int status = 0;
    xcb_window_t window = XCB_WINDOW_NONE;
    double mappedMs = -1;
    double startupCpuMs = 0;
    pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
    while (window == XCB_WINDOW_NONE && msSince(start) < timeoutSeconds * 1000) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(x)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
                const double at = msSince(start);
                const double cpu = cpuMs(pid);
                // The program sets its process id on the window before it maps it.
                if (windowPid(x, map->window, pidAtom) == pid) {
                    window = map->window;
                    mappedMs = at;
                    startupCpuMs = cpu;
                }
            }
            std::free(event);
        }
        if (window != XCB_WINDOW_NONE)
            break;
        if (xcb_connection_has_error(x) || exited(pid, status)) {
            std::fprintf(stderr, "bench_startup: %s ended before its window showed\n", argv[first]);
            return 1;
        }
        poll(&fd, 1, 20);
    }
    if (window == XCB_WINDOW_NONE) {
        std::fprintf(stderr, "bench_startup: no window within %.0f s\n", timeoutSeconds);
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        g_child = 0;
        return 1;
    }

    double idleCpuMs = 0;
    double idleWallMs = 0;
    if (idleSeconds > 0) {
        const double before = schedCpuMs(pid);
        const Clock::time_point idleStart = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
        idleCpuMs = schedCpuMs(pid) - before;
        idleWallMs = msSince(idleStart);
    }
    const long hwmKb = peakRssKb(pid);

    xcb_client_message_event_t close{};
    close.response_type = XCB_CLIENT_MESSAGE;
    close.format = 32;
    close.window = window;
    close.type = protocolsAtom;
    close.data.data32[0] = deleteAtom;
    close.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(x, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&close));
    xcb_flush(x);
    bool closed = waitForExit(pid, 5000, status);
    if (!closed) {
        kill(pid, SIGTERM);
        if (!waitForExit(pid, 2000, status)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
    }
    g_child = 0;
    xcb_disconnect(x);

    std::printf("mapped_ms=%.1f startup_cpu_ms=%.1f idle_wall_ms=%.0f idle_cpu_ms=%.3f "
                "hwm_kb=%ld closed=%d\n",
                mappedMs, startupCpuMs, idleWallMs, idleCpuMs, hwmKb, closed ? 1 : 0);
    return 0;
}
