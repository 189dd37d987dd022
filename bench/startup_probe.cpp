// SPDX-License-Identifier: GPL-3.0-or-later
// startup_probe PROGRAM [ARGS...]
//
// Starts PROGRAM on $DISPLAY and reports how long it took to map its first top-level window
// (map_ms) and to draw into it for the first time (paint_ms), both from just before the fork,
// then stops it with SIGTERM and reports its peak resident set size (maxrss_kib). Meant for a
// private X server with no window manager, where every top-level window is the program's own.
//
// Every top-level window gets a Damage object as soon as it is created, before it can be mapped
// or drawn into, so the first drawing cannot slip past unseen.
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double TimeoutMs = 20000;

double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

[[noreturn]] void fail(const char *message, pid_t child = 0)
{
    std::fprintf(stderr, "startup_probe: %s\n", message);
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    std::exit(1);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: startup_probe PROGRAM [ARGS...]\n");
        return 2;
    }

    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection))
        fail("cannot connect to $DISPLAY");
    fcntl(xcb_get_file_descriptor(connection), F_SETFD, FD_CLOEXEC);

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;

    const xcb_query_extension_reply_t *damage = xcb_get_extension_data(connection, &xcb_damage_id);
    if (!damage || !damage->present)
        fail("the X server has no DAMAGE extension");
    const uint8_t damageNotify = damage->first_event + XCB_DAMAGE_NOTIFY;
    // The extension must be told which version we speak before it can be used.
    std::free(xcb_damage_query_version_reply(
        connection,
        xcb_damage_query_version(connection, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));

    // Creation and mapping of the root's children, in place (checked) before the program starts.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    std::unique_ptr<xcb_generic_error_t, decltype(&std::free)> error(
        xcb_request_check(connection, xcb_change_window_attributes_checked(
                                          connection, root, XCB_CW_EVENT_MASK, &mask)),
        &std::free);
    if (error)
        fail("cannot watch the root window");

    const double start = nowMs();
    const pid_t child = fork();
    if (child < 0)
        fail("fork failed");
    if (child == 0) {
        dup2(STDERR_FILENO, STDOUT_FILENO); // Our standard output is for the result line only.
        execvp(argv[1], argv + 1);
        std::perror(argv[1]);
        _exit(127);
    }

    double mapMs = -1;
    double paintMs = -1;
    xcb_window_t window = XCB_NONE;
    const int fd = xcb_get_file_descriptor(connection);
    while (paintMs < 0) {
        const double left = TimeoutMs - (nowMs() - start);
        if (left <= 0)
            fail(mapMs < 0 ? "timed out waiting for a window to be mapped"
                           : "timed out waiting for the window to be drawn",
                 child);
        pollfd p{fd, POLLIN, 0};
        // Wake now and then to notice a program that ended without showing anything.
        poll(&p, 1, left < 100 ? static_cast<int>(left) + 1 : 100);
        if (waitpid(child, nullptr, WNOHANG) == child)
            fail("the program ended before showing a window");

        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            const double at = nowMs() - start;
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                const auto *created = reinterpret_cast<xcb_create_notify_event_t *>(event);
                xcb_damage_create(connection, xcb_generate_id(connection), created->window,
                                  XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(connection);
            } else if (type == XCB_MAP_NOTIFY && window == XCB_NONE) {
                const auto *mapped = reinterpret_cast<xcb_map_notify_event_t *>(event);
                if (!mapped->override_redirect) {
                    window = mapped->window;
                    mapMs = at;
                }
            } else if (type == damageNotify && window != XCB_NONE) {
                if (reinterpret_cast<xcb_damage_notify_event_t *>(event)->drawable == window)
                    paintMs = at;
            }
            // Errors (type 0) can only be about windows that went away before we saw them.
            std::free(event);
        }
        if (xcb_connection_has_error(connection))
            fail("lost the connection to the X server", child);
    }

    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    std::printf("map_ms=%.1f paint_ms=%.1f maxrss_kib=%ld\n", mapMs, paintMs, usage.ru_maxrss);
    xcb_disconnect(connection);
    return 0;
}
