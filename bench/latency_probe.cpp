// SPDX-License-Identifier: GPL-3.0-or-later
// latency_probe [-n TRIES] [-d SINK] [-i IDLE_MS] NAME PROGRAM [NAME PROGRAM ...]
//
// How long after a key the sound server has what the key asked for. Starts each PROGRAM (one
// of them latency_reference, the others vibraton), records the monitor of SINK (default
// "vibraton") all the time with parec, and works each program through its window with real
// keys (XTEST), TRIES rounds (default 20), the programs taking turns round by round:
//
//   Ctrl+1 from silence   first:  the key to the first sample of sound;
//   Ctrl+2 while it plays switch: the key to the first sample at 440 Hz, after the old sound
//                                 has faded out (the silent samples between the two);
//   Escape                stop:   the key to the last sample of sound;
//
// then IDLE_MS (default 1500) of silence, so that a program closes its output before the next
// round. A round with no sound, or a sound at the wrong pitch, is counted, and the program is
// started again. Prints the median, minimum and maximum of each figure for each program in ms,
// then each program's medians less the first program's (the reference).
//
// Then each program but the first has its window closed five times while Ctrl+1 plays (the
// window manager's request, WM_DELETE_WINDOW): the time to the last sound and to the end of the
// process, and whether the sound faded out (its peaks over the last 30 ms falling, the last
// 5 ms under a tenth of the level before) rather than being cut off.
//
// Times: a sample's time is when parec delivered it less the time the samples after it take
// to play, at the earliest seen within a second of it; each key's is when it was sent. So the
// recorder's own delay is in every figure alike, and cancels in the differences.
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <numbers>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Rate = 48000;
// Digital silence is exactly 0; the fades' first and last samples are a few units.
constexpr int Loud = 4;
// Between a faded-out sound and the next there are a few dozen samples under Loud; within a
// sound, at most one at each zero crossing.
constexpr std::size_t Gap = 8;
constexpr double WaitMs = 2500;
constexpr double HoldMs = 300;

double nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void sleepMs(double ms)
{
    std::this_thread::sleep_for(std::chrono::microseconds(std::int64_t(ms * 1000)));
}

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "latency_probe: %s\n", message.c_str());
    std::exit(1);
}

// The monitor's samples as parec delivers them, with when each piece arrived.
class Recording
{
public:
    explicit Recording(const std::string &sink)
    {
        int out[2];
        if (pipe(out) != 0)
            fail("pipe failed");
        m_parec = fork();
        if (m_parec == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            const std::string device = "--device=" + sink + ".monitor";
            execlp("parec", "parec", device.c_str(), "--raw", "--format=s16le", "--rate=48000",
                   "--channels=1", "--latency-msec=2", nullptr);
            _exit(127);
        }
        close(out[1]);
        m_reader = std::thread([this, fd = out[0]] { read(fd); });
    }

    ~Recording()
    {
        kill(m_parec, SIGTERM);
        waitpid(m_parec, nullptr, 0);
        m_reader.join();
    }

    std::size_t size()
    {
        std::lock_guard lock(m_mutex);
        return m_samples.size();
    }

    // The first index from `from` on where found(samples, index) holds, waiting for samples
    // until the deadline.
    template <typename Found>
    std::optional<std::size_t> find(std::size_t from, double deadline, Found found)
    {
        std::unique_lock lock(m_mutex);
        for (std::size_t i = from;;) {
            for (; i < m_samples.size(); ++i)
                if (found(m_samples, i))
                    return i;
            if (nowMs() > deadline || m_ended)
                return std::nullopt;
            m_arrived.wait_for(lock, std::chrono::milliseconds(20));
        }
    }

    void waitFor(std::size_t count, double deadline)
    {
        std::unique_lock lock(m_mutex);
        while (m_samples.size() < count && nowMs() < deadline && !m_ended)
            m_arrived.wait_for(lock, std::chrono::milliseconds(20));
    }

    // When sample i was heard, on nowMs()'s clock.
    double timeOf(std::size_t i)
    {
        std::lock_guard lock(m_mutex);
        double earliest = INFINITY;
        for (const Piece &piece : m_pieces)
            if (piece.end > i && piece.end <= i + Rate)
                earliest = std::min(earliest, piece.arrivedMs - double(piece.end - i) * 1e3 / Rate);
        return earliest;
    }

    std::vector<std::int16_t> samples(std::size_t from, std::size_t count)
    {
        std::lock_guard lock(m_mutex);
        from = std::min(from, m_samples.size());
        count = std::min(count, m_samples.size() - from);
        return {m_samples.begin() + std::ptrdiff_t(from),
                m_samples.begin() + std::ptrdiff_t(from + count)};
    }

private:
    struct Piece
    {
        double arrivedMs;
        std::size_t end; // Samples delivered so far.
    };

    void read(int fd)
    {
        std::vector<char> buffer(1 << 16);
        std::vector<char> partial;
        for (;;) {
            const ssize_t got = ::read(fd, buffer.data(), buffer.size());
            const double at = nowMs();
            if (got <= 0 && errno == EINTR)
                continue;
            std::lock_guard lock(m_mutex);
            if (got <= 0) {
                m_ended = true;
                m_arrived.notify_all();
                return;
            }
            partial.insert(partial.end(), buffer.begin(), buffer.begin() + got);
            const std::size_t whole = partial.size() / 2;
            for (std::size_t k = 0; k < whole; ++k)
                m_samples.push_back(
                    std::int16_t(std::uint16_t(std::uint8_t(partial[2 * k])) |
                                 std::uint16_t(std::uint8_t(partial[2 * k + 1])) << 8));
            partial.erase(partial.begin(), partial.begin() + std::ptrdiff_t(whole * 2));
            m_pieces.push_back({at, m_samples.size()});
            m_arrived.notify_all();
        }
    }

    pid_t m_parec = -1;
    std::thread m_reader;
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<std::int16_t> m_samples;
    std::vector<Piece> m_pieces;
    bool m_ended = false;
};

bool loud(const std::vector<std::int16_t> &s, std::size_t i)
{
    return std::abs(int(s[i])) >= Loud;
}

// The amplitude of one pitch in the samples (Goertzel's filter).
double strengthAt(const std::vector<std::int16_t> &samples, double pitch)
{
    const double k = 2 * std::cos(2 * std::numbers::pi * pitch / Rate);
    double previous = 0, beforePrevious = 0;
    for (const std::int16_t sample : samples) {
        const double current = sample + k * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    const double power =
        previous * previous + beforePrevious * beforePrevious - k * previous * beforePrevious;
    return 2 * std::sqrt(std::max(power, 0.0)) / double(std::max<std::size_t>(samples.size(), 1));
}

class Keyboard
{
public:
    explicit Keyboard(xcb_connection_t *connection)
        : m_connection(connection)
    {
        const xcb_setup_t *setup = xcb_get_setup(connection);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t *mapping = xcb_get_keyboard_mapping_reply(
            connection,
            xcb_get_keyboard_mapping(connection, setup->min_keycode, std::uint8_t(count)), nullptr);
        if (!mapping)
            fail("no keyboard mapping");
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(mapping);
        for (int i = 0; i < count; ++i)
            m_keysyms.push_back(
                {xcb_keycode_t(setup->min_keycode + i), syms[i * mapping->keysyms_per_keycode]});
        std::free(mapping);
    }

    // Presses and releases the key (with Ctrl); returns when it was sent.
    double press(xcb_keysym_t keysym, bool control)
    {
        const xcb_keycode_t key = code(keysym);
        const xcb_keycode_t ctrl = code(0xffe3);
        if (control)
            fake(XCB_KEY_PRESS, ctrl);
        fake(XCB_KEY_PRESS, key);
        fake(XCB_KEY_RELEASE, key);
        if (control)
            fake(XCB_KEY_RELEASE, ctrl);
        const double at = nowMs();
        xcb_flush(m_connection);
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        return at;
    }

private:
    xcb_keycode_t code(xcb_keysym_t keysym) const
    {
        for (const auto &[key, sym] : m_keysyms)
            if (sym == keysym)
                return key;
        fail("no key for keysym " + std::to_string(keysym));
    }
    void fake(std::uint8_t type, xcb_keycode_t key)
    {
        xcb_test_fake_input(m_connection, type, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }

    xcb_connection_t *m_connection;
    std::vector<std::pair<xcb_keycode_t, xcb_keysym_t>> m_keysyms;
};

struct Figures
{
    std::vector<double> first, change, stop;
    int rounds = 0, unheard = 0, wrongPitch = 0, restarts = 0;
    std::vector<double> closeLast, closeEnd;
    int closes = 0, faded = 0;
};

class Target
{
public:
    Target(std::string name, std::string program, xcb_connection_t *connection)
        : name(std::move(name))
        , m_program(std::move(program))
        , m_connection(connection)
    {}

    void start()
    {
        m_pid = fork();
        if (m_pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execl(m_program.c_str(), m_program.c_str(), nullptr);
            _exit(127);
        }
        const double deadline = nowMs() + 30000;
        while ((m_window = findWindow()) == XCB_NONE) {
            if (nowMs() > deadline || waitpid(m_pid, nullptr, WNOHANG) == m_pid)
                fail(name + ": no window");
            sleepMs(50);
        }
        sleepMs(500); // Let it settle: fonts, the first paint.
    }

    void stop()
    {
        if (m_pid <= 0)
            return; // Ended, and waited for, already.
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

    // Asks the window to close, as a window manager does; returns when it was asked.
    double requestClose()
    {
        const xcb_atom_t protocols = atom("WM_PROTOCOLS");
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = m_window;
        event.type = protocols;
        event.data.data32[0] = atom("WM_DELETE_WINDOW");
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_connection, 0, m_window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char *>(&event));
        const double at = nowMs();
        xcb_flush(m_connection);
        return at;
    }

    // When the process ended (on nowMs's clock), or nothing within the deadline.
    std::optional<double> waitForEnd(double deadline)
    {
        while (nowMs() < deadline) {
            if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
                m_pid = -1;
                return nowMs();
            }
            sleepMs(1);
        }
        return std::nullopt;
    }

    void focus()
    {
        xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, m_window, XCB_CURRENT_TIME);
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        sleepMs(100);
    }

    const std::string name;
    Figures figures;

private:
    xcb_atom_t atom(const char *atomName)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, std::uint16_t(std::strlen(atomName)), atomName),
            nullptr);
        const xcb_atom_t result = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return result;
    }

    // The program's viewable top-level window (with no window manager, a child of the root).
    xcb_window_t findWindow()
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        xcb_query_tree_reply_t *tree =
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, root), nullptr);
        if (!tree)
            return XCB_NONE;
        const xcb_atom_t pidAtom = atom("_NET_WM_PID");
        xcb_window_t found = XCB_NONE;
        const xcb_window_t *children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree) && found == XCB_NONE; ++i) {
            xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
                m_connection, xcb_get_window_attributes(m_connection, children[i]), nullptr);
            const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
                                  !attributes->override_redirect;
            std::free(attributes);
            if (!viewable)
                continue;
            xcb_get_property_reply_t *pid = xcb_get_property_reply(
                m_connection,
                xcb_get_property(m_connection, 0, children[i], pidAtom, XCB_ATOM_CARDINAL, 0, 1),
                nullptr);
            if (pid && xcb_get_property_value_length(pid) == 4 &&
                *static_cast<std::uint32_t *>(xcb_get_property_value(pid)) == std::uint32_t(m_pid))
                found = children[i];
            std::free(pid);
        }
        std::free(tree);
        return found;
    }

    std::string m_program;
    xcb_connection_t *m_connection;
    pid_t m_pid = -1;
    xcb_window_t m_window = XCB_NONE;
};

// Which pitch, 220 or 440 Hz, is clearly the louder in the 40 ms after the fade in.
double pitchAfter(Recording &recording, std::size_t onset)
{
    const std::size_t from = onset + Rate * 35 / 1000;
    recording.waitFor(from + Rate / 25, nowMs() + WaitMs);
    const std::vector<std::int16_t> part = recording.samples(from, Rate / 25);
    const double low = strengthAt(part, 220), high = strengthAt(part, 440);
    if (low > 5 * high)
        return 220;
    if (high > 5 * low)
        return 440;
    return 0;
}

// One round: Ctrl+1 from silence, Ctrl+2, Escape. False when something was not heard as it
// should have been.
bool round(Target &target, Recording &recording, Keyboard &keyboard, double idleMs)
{
    Figures &figures = target.figures;
    ++figures.rounds;
    target.focus();

    std::size_t from = recording.size();
    double key = keyboard.press('1', true);
    const auto first = recording.find(from, key + WaitMs, loud);
    if (!first) {
        ++figures.unheard;
        return false;
    }
    if (pitchAfter(recording, *first) != 220) {
        ++figures.wrongPitch;
        return false;
    }
    const double firstMs = recording.timeOf(*first) - key;
    sleepMs(std::max(0.0, key + firstMs + HoldMs - nowMs()));

    from = recording.size();
    key = keyboard.press('2', true);
    const auto second = recording.find(from + Gap, key + WaitMs, [](const auto &s, std::size_t i) {
        if (!loud(s, i))
            return false;
        for (std::size_t k = i - Gap; k < i; ++k)
            if (loud(s, k))
                return false;
        return true;
    });
    if (!second) {
        ++figures.unheard;
        return false;
    }
    if (pitchAfter(recording, *second) != 440) {
        ++figures.wrongPitch;
        return false;
    }
    const double changeMs = recording.timeOf(*second) - key;
    sleepMs(std::max(0.0, key + changeMs + HoldMs - nowMs()));

    from = recording.size();
    key = keyboard.press(0xff1b, false);
    // The last loud sample before a quarter of a second of silence.
    const std::size_t quiet = Rate / 4;
    std::size_t lastLoud = from;
    const auto silentFrom = recording.find(from, key + WaitMs, [&](const auto &s, std::size_t i) {
        if (loud(s, i))
            lastLoud = i;
        return i >= lastLoud + quiet;
    });
    if (!silentFrom) {
        ++figures.unheard; // It never stopped.
        return false;
    }
    const double stopMs = recording.timeOf(lastLoud) - key;
    figures.first.push_back(firstMs);
    figures.change.push_back(changeMs);
    figures.stop.push_back(stopMs);
    sleepMs(idleMs);
    return true;
}

// Whether the sound before `last` faded out: the peaks of its last six 5 ms never rise, and
// the last is under a tenth of the peak of the 5 ms before them.
bool fadedOut(Recording &recording, std::size_t last)
{
    const std::size_t piece = Rate / 200;
    if (last < 7 * piece)
        return false;
    const std::vector<std::int16_t> samples = recording.samples(last + 1 - 7 * piece, 7 * piece);
    std::vector<int> peaks;
    for (std::size_t i = 0; i < 7; ++i) {
        int peak = 0;
        for (std::size_t k = i * piece; k < (i + 1) * piece; ++k)
            peak = std::max(peak, std::abs(int(samples[k])));
        peaks.push_back(peak);
    }
    for (std::size_t i = 2; i < peaks.size(); ++i)
        if (peaks[i] > peaks[i - 1] * 21 / 20 + Loud)
            return false;
    return peaks.back() * 10 < peaks.front();
}

// Closes the window while a sound plays; false when there was no sound to begin with.
bool closeWhilePlaying(Target &target, Recording &recording, Keyboard &keyboard)
{
    Figures &figures = target.figures;
    target.focus();
    const std::size_t from = recording.size();
    const double key = keyboard.press('1', true);
    if (!recording.find(from, key + WaitMs, loud))
        return false;
    sleepMs(HoldMs);
    ++figures.closes;
    const std::size_t before = recording.size();
    const double asked = target.requestClose();
    const std::optional<double> ended = target.waitForEnd(asked + 5000);
    std::size_t lastLoud = before;
    const auto silent = recording.find(before, nowMs() + WaitMs, [&](const auto &s, std::size_t i) {
        if (loud(s, i))
            lastLoud = i;
        return i >= lastLoud + Rate / 4;
    });
    if (ended)
        figures.closeEnd.push_back(*ended - asked);
    if (silent) {
        figures.closeLast.push_back(recording.timeOf(lastLoud) - asked);
        figures.faded += fadedOut(recording, lastLoud);
    }
    return true;
}

struct Summary
{
    double median, min, max;
};

Summary summary(std::vector<double> values)
{
    if (values.empty())
        return {NAN, NAN, NAN};
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

} // namespace

int main(int argc, char *argv[])
{
    int tries = 20;
    double idleMs = 1500;
    std::string sink = "vibraton";
    int opt;
    while ((opt = getopt(argc, argv, "n:d:i:")) != -1) {
        if (opt == 'n')
            tries = std::atoi(optarg);
        else if (opt == 'd')
            sink = optarg;
        else if (opt == 'i')
            idleMs = std::atof(optarg);
        else
            return 2;
    }
    if (argc - optind < 2 || (argc - optind) % 2) {
        std::fprintf(stderr, "usage: latency_probe [-n TRIES] [-d SINK] [-i IDLE_MS] NAME PROGRAM "
                             "[NAME PROGRAM ...]\n");
        return 2;
    }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        fail("cannot connect to $DISPLAY");
    Keyboard keyboard(connection);
    std::vector<std::unique_ptr<Target>> targets;
    for (int i = optind; i + 1 < argc; i += 2)
        targets.push_back(std::make_unique<Target>(argv[i], argv[i + 1], connection));

    Recording recording(sink);
    for (auto &target : targets)
        target->start();
    sleepMs(1000);
    // Each program once untimed: its first sound also loads and connects what sound needs.
    for (auto &target : targets)
        if (!round(*target, recording, keyboard, idleMs)) {
            target->stop();
            target->start();
        }
    for (auto &target : targets)
        target->figures = {};
    for (int r = 0; r < tries; ++r) {
        for (auto &target : targets) {
            if (round(*target, recording, keyboard, idleMs))
                continue;
            // Silent (or at the wrong pitch): start it afresh, and warm it up again.
            ++target->figures.restarts;
            target->stop();
            target->start();
            Figures kept = target->figures;
            round(*target, recording, keyboard, idleMs);
            target->figures = kept;
        }
        std::fprintf(stderr, ".");
    }
    std::fprintf(stderr, "\n");
    for (std::size_t t = 1; t < targets.size(); ++t)
        for (int i = 0; i < 5; ++i) {
            closeWhilePlaying(*targets[t], recording, keyboard);
            targets[t]->stop(); // Ended already, or stuck.
            targets[t]->start();
        }
    for (auto &target : targets)
        target->stop();

    std::printf("%-10s %6s %8s %6s  %-21s %-21s %-21s\n", "ms", "rounds", "unheard", "wrong",
                "first med/min/max", "switch med/min/max", "stop med/min/max");
    for (const auto &target : targets) {
        const Figures &f = target->figures;
        const Summary first = summary(f.first), change = summary(f.change), stop = summary(f.stop);
        std::printf("%-10s %6d %8d %6d  %6.1f/%6.1f/%6.1f  %6.1f/%6.1f/%6.1f  %6.1f/%6.1f/%6.1f\n",
                    target->name.c_str(), f.rounds, f.unheard, f.wrongPitch, first.median,
                    first.min, first.max, change.median, change.min, change.max, stop.median,
                    stop.min, stop.max);
    }
    std::printf("closing the window while a sound plays, 5 times:\n");
    for (std::size_t i = 1; i < targets.size(); ++i) {
        const Figures &f = targets[i]->figures;
        const Summary last = summary(f.closeLast), end = summary(f.closeEnd);
        std::printf("%-10s last sound med/max %6.1f/%6.1f  process ended med/max %6.1f/%6.1f  "
                    "faded out %d of %d\n",
                    targets[i]->name.c_str(), last.median, last.max, end.median, end.max, f.faded,
                    f.closes);
    }
    const Figures &reference = targets.front()->figures;
    std::printf("medians less %s's:\n", targets.front()->name.c_str());
    for (std::size_t i = 1; i < targets.size(); ++i) {
        const Figures &f = targets[i]->figures;
        std::printf("%-10s first %+6.1f  switch %+6.1f  stop %+6.1f\n", targets[i]->name.c_str(),
                    summary(f.first).median - summary(reference.first).median,
                    summary(f.change).median - summary(reference.change).median,
                    summary(f.stop).median - summary(reference.stop).median);
    }
    xcb_disconnect(connection);
}
