// SPDX-License-Identifier: GPL-3.0-or-later
// latency_reference
//
// The least a program can do to sound on a key: a window ("latency reference") and a stream to
// the default sound server through libpulse-simple with a 10 ms buffer, kept open and fed with
// silence. The keys 1, 2 and 3 (with or without Ctrl) play a tone of 220, 440 or 660 Hz at 0.3
// of full scale, Escape stops it; tones start and stop as vibraton's do: a 30 ms raised-cosine
// fade in, and out, and a new tone starts once the one before has faded out. bench/latency.sh
// measures vibraton against it, on the same server, the same way.
#include <pulse/error.h>
#include <pulse/simple.h>
#include <xcb/xcb.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <optional>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Rate = 48000;
constexpr int FadeLength = Rate * 30 / 1000;
constexpr double Level = 0.3 * 32767;
// Written at a time: a quarter of the buffer, so that a key waits at most this long.
constexpr int Block = Rate / 400;

constexpr std::int64_t NoFadeOut = INT64_MAX;

struct Tone
{
    double frequency;
    std::int64_t position = 0;
    std::int64_t fadeOutStart = NoFadeOut;
};

double envelope(const Tone &tone)
{
    const std::int64_t n = tone.position;
    double in =
        n >= FadeLength ? 1.0 : 0.5 - 0.5 * std::cos(std::numbers::pi * double(n) / FadeLength);
    if (n < tone.fadeOutStart)
        return in;
    const std::int64_t since = n - tone.fadeOutStart;
    const double out =
        since >= FadeLength - 1
            ? 0.0
            : 0.5 + 0.5 * std::cos(std::numbers::pi * double(since) / (FadeLength - 1));
    return in * out;
}

class Player
{
public:
    void play(double frequency)
    {
        if (!m_playing) {
            m_playing = Tone{frequency};
            return;
        }
        m_next = Tone{frequency};
        fadeOut();
    }
    void stop()
    {
        m_next.reset();
        fadeOut();
    }
    void render(std::int16_t *out, int count)
    {
        for (int i = 0; i < count; ++i) {
            if (m_playing && m_playing->fadeOutStart != NoFadeOut &&
                m_playing->position >= m_playing->fadeOutStart + FadeLength) {
                m_playing = m_next;
                m_next.reset();
            }
            if (!m_playing) {
                out[i] = 0;
                continue;
            }
            const double phase =
                2 * std::numbers::pi * m_playing->frequency * double(m_playing->position) / Rate;
            out[i] = std::int16_t(std::lrint(Level * envelope(*m_playing) * std::sin(phase)));
            ++m_playing->position;
        }
    }

private:
    void fadeOut()
    {
        if (m_playing && m_playing->fadeOutStart == NoFadeOut)
            m_playing->fadeOutStart = m_playing->position;
    }

    std::optional<Tone> m_playing;
    std::optional<Tone> m_next;
};

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t result = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return result;
}

// The first keysym of each keycode.
std::vector<xcb_keysym_t> keysyms(xcb_connection_t *connection)
{
    const xcb_setup_t *setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *mapping = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, std::uint8_t(count)),
        nullptr);
    std::vector<xcb_keysym_t> result(256, 0);
    if (!mapping)
        return result;
    const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(mapping);
    for (int i = 0; i < count; ++i)
        result[std::size_t(setup->min_keycode + i)] = syms[i * mapping->keysyms_per_keycode];
    std::free(mapping);
    return result;
}

xcb_window_t openWindow(xcb_connection_t *connection)
{
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    const std::uint32_t values[] = {screen->white_pixel, XCB_EVENT_MASK_KEY_PRESS};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const char title[] = "latency reference";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, sizeof title - 1, title);
    const std::uint32_t pid = std::uint32_t(getpid());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom(connection, "_NET_WM_PID"),
                        XCB_ATOM_CARDINAL, 32, 1, &pid);
    xcb_map_window(connection, window);
    xcb_flush(connection);
    return window;
}

} // namespace

int main()
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "latency_reference: cannot connect to $DISPLAY\n");
        return 1;
    }
    const pa_sample_spec spec{PA_SAMPLE_S16LE, Rate, 1};
    const auto tenMilliseconds = std::uint32_t(Rate / 100 * 2);
    const pa_buffer_attr buffer{std::uint32_t(-1), tenMilliseconds, std::uint32_t(-1),
                                std::uint32_t(-1), std::uint32_t(-1)};
    int error = 0;
    pa_simple *stream = pa_simple_new(nullptr, "latency reference", PA_STREAM_PLAYBACK, nullptr,
                                      "reference", &spec, nullptr, &buffer, &error);
    if (!stream) {
        std::fprintf(stderr, "latency_reference: %s\n", pa_strerror(error));
        return 1;
    }
    const std::vector<xcb_keysym_t> keys = keysyms(connection);
    openWindow(connection);
    Player player;
    std::array<std::int16_t, Block> block{};
    for (;;) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
                const xcb_keysym_t key =
                    keys[reinterpret_cast<xcb_key_press_event_t *>(event)->detail];
                if (key >= '1' && key <= '3')
                    player.play(220.0 * (key - '0'));
                else if (key == 0xff1b) // Escape
                    player.stop();
            }
            std::free(event);
        }
        if (xcb_connection_has_error(connection))
            return 0;
        player.render(block.data(), Block);
        // Blocks while the buffer is full, so the loop runs at the pace of the sound.
        if (pa_simple_write(stream, block.data(), sizeof block, &error) < 0) {
            std::fprintf(stderr, "latency_reference: %s\n", pa_strerror(error));
            return 1;
        }
    }
}
