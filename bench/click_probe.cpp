// SPDX-License-Identifier: GPL-3.0-or-later
// click_probe [-n COUNT] [-w WARMUP] [-q QUIET_MS] [-p X,Y] [-r WIDTHxHEIGHT] [-m] [-v]
//             WINDOW [X,Y]
//
// Clicks at X,Y (pixels from the top-left corner of WINDOW's client area) COUNT times (default
// 30) and reports how long after each button release the window was last drawn into: the time
// of the last DAMAGE notification before the window stayed quiet for QUIET_MS (default 300).
// Prints one summary line: clicks=N median_ms= min_ms= max_ms=, plus the median number of
// damage notifications and damaged pixels per click; -v also prints each click and its damage
// rectangles on standard error.
//
//   -w WARMUP  untimed clicks first (default 1): the first click moves the keyboard focus to the
//              button, and while a line edit has it its blinking cursor never lets the window
//              go quiet.
//   -p X,Y     an untimed click at X,Y before every click, e.g. drawing a curve before each
//              timed clear, so that each clear has something to erase.
//   -m         moves the pointer instead of clicking, and times from each move: to X,Y, then
//              3 pixels further right each time, back to X after 100 moves (moves=N).
//   -r WxH     first moves the window to the screen's top-left corner, resizes it and waits
//              until it has been redrawn. Damage is only reported for the window's visible
//              parts, so the window must fit on the screen.
//
// The clicks come from the XTEST extension, straight to the X server, so the probe works
// without a window manager. Each click is made in steps, each waited out until the window is
// quiet: the pointer moves to the button (hover highlight), the button is pressed (sunken look),
// then released; only what follows the release is timed.
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Generous, for a loaded machine: a program that is merely slow must not fail the run.
constexpr double FirstUpdateTimeoutMs = 20000;
constexpr double BusyTimeoutMs = 60000;
// A resized window is drawn by the server and then by the program; their gap can be long.
constexpr double ResizeQuietMs = 1000;

xcb_connection_t *connection = nullptr;
xcb_window_t root = XCB_NONE;
xcb_window_t window = XCB_NONE;
uint8_t damageNotify = 0;
bool verbose = false;

double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "click_probe: %s\n", message.c_str());
    std::exit(1);
}

struct Damage
{
    double atMs; // From the release, when the notification was read.
    xcb_rectangle_t area;
};

// The next event, or nullptr once the deadline (on nowMs's clock) has passed.
xcb_generic_event_t *nextEvent(double deadline)
{
    const int fd = xcb_get_file_descriptor(connection);
    for (;;) {
        if (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_DESTROY_NOTIFY || type == XCB_UNMAP_NOTIFY)
                fail("the program's window went away");
            if (type == 0)
                fail("X error " +
                     std::to_string(reinterpret_cast<xcb_generic_error_t *>(event)->error_code));
            return event;
        }
        if (xcb_connection_has_error(connection))
            fail("lost the connection to the X server");
        const double left = deadline - nowMs();
        if (left <= 0)
            return nullptr;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, static_cast<int>(left) + 1);
    }
}

// Collects damage until none has come for quietMs. With waitForFirst, waits up to
// FirstUpdateTimeoutMs for the first notification and returns none if it never comes.
std::vector<Damage> collect(double quietMs, bool waitForFirst, double since)
{
    std::vector<Damage> damage;
    const double start = nowMs();
    for (;;) {
        const double last = damage.empty() ? start : since + damage.back().atMs;
        double deadline = last + quietMs;
        if (damage.empty() && waitForFirst)
            deadline = start + FirstUpdateTimeoutMs;
        if (deadline - start > BusyTimeoutMs)
            fail("the window did not stay quiet for " + std::to_string(int(quietMs)) +
                 " ms within " + std::to_string(int(BusyTimeoutMs / 1000)) + " s");
        xcb_generic_event_t *event = nextEvent(deadline);
        if (!event)
            return damage;
        if ((event->response_type & 0x7f) == damageNotify) {
            const auto *notify = reinterpret_cast<xcb_damage_notify_event_t *>(event);
            damage.push_back({nowMs() - since, notify->area});
        }
        std::free(event);
    }
}

// Waits until the X server has carried out every request sent so far, including fake input,
// which it has then delivered to the program's connection.
void waitForServer()
{
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

void fakeInput(uint8_t type, uint8_t detail, int16_t x = 0, int16_t y = 0)
{
    xcb_test_fake_input(connection, type, detail, XCB_CURRENT_TIME, root, x, y, 0);
    waitForServer();
}

// Damage on the window and on any native child windows (Qt normally makes none); reported
// rectangle by rectangle, so no request is needed to re-arm it.
void watchDamage(xcb_window_t target)
{
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, target),
                                        nullptr),
        &std::free);
    if (!attributes)
        fail("no such window");
    if (attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY)
        return; // Is never drawn into and cannot have a Damage object.
    xcb_damage_create(connection, xcb_generate_id(connection), target,
                      XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, target), nullptr), &std::free);
    if (!tree)
        return;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
        watchDamage(children[i]);
}

xcb_get_geometry_reply_t geometry()
{
    xcb_get_geometry_reply_t *reply =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr);
    if (!reply)
        fail("cannot read the window's geometry");
    const xcb_get_geometry_reply_t copy = *reply;
    std::free(reply);
    return copy;
}

void resize(uint16_t width, uint16_t height, double quietMs)
{
    // No window manager: the request is carried out as it stands.
    const uint32_t values[] = {0, 0, width, height};
    xcb_configure_window(connection, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    xcb_flush(connection);
    const double deadline = nowMs() + FirstUpdateTimeoutMs;
    for (bool done = false; !done;) {
        xcb_generic_event_t *event = nextEvent(deadline);
        if (!event)
            fail("the window was not resized");
        if ((event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY) {
            const auto *configure = reinterpret_cast<xcb_configure_notify_event_t *>(event);
            done = configure->window == window && configure->width == width &&
                   configure->height == height;
        }
        std::free(event);
    }
    if (collect(std::max(quietMs, ResizeQuietMs), true, nowMs()).empty())
        fail("the window was not redrawn after the resize");
}

struct Point
{
    int x = -1;
    int y = -1;
};

Point parsePoint(const char *text)
{
    Point p;
    if (std::sscanf(text, "%d,%d", &p.x, &p.y) != 2 || p.x < 0 || p.y < 0)
        fail(std::string("not a position X,Y: ") + text);
    return p;
}

void movePointer(Point p)
{
    // Relative to the client area, wherever the window is (without a window manager, nothing
    // frames it, but it need not be at the screen's corner).
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> at(
        xcb_translate_coordinates_reply(
            connection,
            xcb_translate_coordinates(connection, window, root, int16_t(p.x), int16_t(p.y)),
            nullptr),
        &std::free);
    if (!at)
        fail("cannot place the pointer");
    fakeInput(XCB_MOTION_NOTIFY, 0, at->dst_x, at->dst_y);
}

// One click at p; returns the damage that followed the release, timed from it.
std::vector<Damage> click(Point p, double quietMs)
{
    movePointer(p);
    collect(quietMs, false, nowMs());
    fakeInput(XCB_BUTTON_PRESS, 1);
    collect(quietMs, false, nowMs());
    fakeInput(XCB_BUTTON_RELEASE, 1);
    // The program gets the release with our reply. If we are slower to wake than it is to draw,
    // its updates are already waiting for us and count as at 0 ms: with two cores for the
    // server, the program and us, the shortest times are at the clock's mercy.
    const double released = nowMs();
    std::vector<Damage> damage = collect(quietMs, true, released);
    if (damage.empty())
        fail("nothing was drawn after a click at " + std::to_string(p.x) + "," +
             std::to_string(p.y) + " (is a button there?)");
    return damage;
}

// One move of the pointer to p; returns the damage that followed it, timed from it.
std::vector<Damage> move(Point p, double quietMs)
{
    movePointer(p);
    const double moved = nowMs();
    std::vector<Damage> damage = collect(quietMs, true, moved);
    if (damage.empty())
        fail("nothing was drawn after a move to " + std::to_string(p.x) + "," +
             std::to_string(p.y) + " (is measuring on?)");
    return damage;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char *argv[])
{
    int count = 30;
    int warmup = 1;
    double quietMs = 300;
    Point prepare;
    unsigned width = 0;
    unsigned height = 0;
    bool moves = false;
    for (int option; (option = getopt(argc, argv, "n:w:q:p:r:mv")) != -1;) {
        switch (option) {
        case 'n':
            count = std::atoi(optarg);
            break;
        case 'w':
            warmup = std::atoi(optarg);
            break;
        case 'q':
            quietMs = std::atof(optarg);
            break;
        case 'p':
            prepare = parsePoint(optarg);
            break;
        case 'r':
            if (std::sscanf(optarg, "%ux%u", &width, &height) != 2 || !width || !height ||
                width > 32767 || height > 32767)
                fail(std::string("not a size WIDTHxHEIGHT: ") + optarg);
            break;
        case 'm':
            moves = true;
            break;
        case 'v':
            verbose = true;
            break;
        default:
            return 2;
        }
    }
    const bool clicks = count > 0 || warmup > 0;
    if (argc - optind != (clicks ? 2 : 1) || count < 0 || warmup < 0 || quietMs <= 0) {
        std::fprintf(stderr, "usage: click_probe [-n COUNT] [-w WARMUP] [-q QUIET_MS] [-p X,Y] "
                             "[-r WIDTHxHEIGHT] [-m] [-v] WINDOW [X,Y]\n");
        return 2;
    }
    window = static_cast<xcb_window_t>(std::strtoul(argv[optind], nullptr, 0));
    const Point target = clicks ? parsePoint(argv[optind + 1]) : Point{};

    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        fail("cannot connect to $DISPLAY");
    const xcb_query_extension_reply_t *damage = xcb_get_extension_data(connection, &xcb_damage_id);
    if (!damage || !damage->present)
        fail("the X server has no DAMAGE extension");
    damageNotify = damage->first_event + XCB_DAMAGE_NOTIFY;
    const xcb_query_extension_reply_t *test = xcb_get_extension_data(connection, &xcb_test_id);
    if (!test || !test->present)
        fail("the X server has no XTEST extension");
    // The extension must be told which version we speak before it can be used.
    std::free(xcb_damage_query_version_reply(
        connection,
        xcb_damage_query_version(connection, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));

    root = geometry().root;
    // To notice a resize being done, and the program ending.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, window, XCB_CW_EVENT_MASK, &mask);
    watchDamage(window);
    waitForServer();

    if (width)
        resize(uint16_t(width), uint16_t(height), quietMs);
    else
        collect(quietMs, false, nowMs()); // Whatever the program was doing, let it finish.

    std::vector<double> lastMs;
    std::vector<double> events;
    std::vector<double> pixels;
    for (int i = -warmup; i < count; ++i) {
        if (prepare.x >= 0)
            click(prepare, quietMs);
        constexpr int MoveStep = 3;
        constexpr int MovesAcross = 100;
        const int across = (i + warmup) % MovesAcross * MoveStep;
        const std::vector<Damage> damage =
            moves ? move({target.x + across, target.y}, quietMs) : click(target, quietMs);
        if (i < 0)
            continue;
        double area = 0;
        for (const Damage &d : damage)
            area += double(d.area.width) * d.area.height;
        lastMs.push_back(damage.back().atMs);
        events.push_back(double(damage.size()));
        pixels.push_back(area);
        if (verbose) {
            std::fprintf(stderr, "%s %d: first_ms=%.1f last_ms=%.1f damage=%zu pixels=%.0f:",
                         moves ? "move" : "click", i + 1, damage.front().atMs, damage.back().atMs,
                         damage.size(), area);
            for (const Damage &d : damage)
                std::fprintf(stderr, " %ux%u+%d+%d@%.1f", d.area.width, d.area.height, d.area.x,
                             d.area.y, d.atMs);
            std::fprintf(stderr, "\n");
        }
    }

    const xcb_get_geometry_reply_t size = geometry();
    std::printf("window=%ux%u", size.width, size.height);
    if (!lastMs.empty())
        std::printf(" %s=%zu median_ms=%.1f min_ms=%.1f max_ms=%.1f damage_median=%.0f "
                    "pixels_median=%.0f",
                    moves ? "moves" : "clicks", lastMs.size(), median(lastMs),
                    *std::min_element(lastMs.begin(), lastMs.end()),
                    *std::max_element(lastMs.begin(), lastMs.end()), median(events),
                    median(pixels));
    std::printf("\n");
    xcb_disconnect(connection);
    return 0;
}
