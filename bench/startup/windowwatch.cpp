// Starts a program on the X display and times its first window from the outside:
//   bench_window_watch [--hold MS] [--timeout MS] -- program [arguments...]
// prints one line "mapped <ms> painted <ms> peak <KiB>": the time from the launch to the first
// top-level window being mapped, to that window showing more than one colour in its top
// left corner (its menu bar painted), and, with --hold, the process's peak resident memory
// (VmHWM) MS milliseconds after the launch. The program is ended afterwards.
// Exit status 1 when no painted window came within the timeout.
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// True when the top left of the window (where a menu bar's first titles are) holds more
// than one colour. A small strip, so that asking often does not slow the X server down for
// the program being timed.
bool painted(xcb_connection_t* c, xcb_window_t w) {
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr);
    if (!g) return false;
    const uint16_t width = g->width < 240 ? g->width : 240, height = g->height < 24 ? g->height : 24;
    free(g);
    if (width == 0 || height == 0) return false;
    xcb_get_image_reply_t* img = xcb_get_image_reply(
        c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, width, height, ~0u), nullptr);
    if (!img) return false;
    const int bytes = xcb_get_image_data_length(img);
    const uint32_t* px = reinterpret_cast<const uint32_t*>(xcb_get_image_data(img));
    bool varied = false;
    for (int i = 1; i < bytes / 4 && !varied; ++i) varied = (px[i] & 0xFFFFFF) != (px[0] & 0xFFFFFF);
    free(img);
    return varied;
}

long peakKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

void end(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

int main(int argc, char** argv) {
    int hold = 0, timeout = 20000, first = -1;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--hold") && i + 1 < argc) hold = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--timeout") && i + 1 < argc) timeout = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--")) { first = i + 1; break; }
    }
    if (first < 0 || first >= argc) {
        std::fprintf(stderr, "usage: %s [--hold MS] [--timeout MS] -- program [arguments...]\n", argv[0]);
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    const Clock::time_point t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[first], argv + first);
        _exit(127);
    }
    xcb_window_t window = 0;
    double mapped = -1, shown = -1;
    while (shown < 0 && msSince(t0) < timeout) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            if ((e->response_type & 0x7F) == XCB_MAP_NOTIFY && !window) {
                auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
                if (!m->override_redirect) {
                    window = m->window;
                    mapped = msSince(t0);
                }
            }
            free(e);
        }
        if (window && painted(c, window)) shown = msSince(t0);
        else std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (waitpid(pid, nullptr, WNOHANG) == pid) break;
    }
    long peak = -1;
    if (shown >= 0 && hold > 0) {
        while (msSince(t0) < hold) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        peak = peakKib(pid);
    }
    end(pid);
    xcb_disconnect(c);
    std::printf("mapped %.1f painted %.1f peak %ld\n", mapped, shown, peak);
    return shown >= 0 ? 0 : 1;
}
