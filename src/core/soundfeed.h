// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "synthesis.h"

#include <cstdint>
#include <optional>
#include <span>

// What the sound output is handed, sample by sample, and when it must open and may close.
//
// The output holds what it was handed until it is heard, so a command can only change what it
// is handed next: a stop fades out from the next sample handed over, and a new sound replaces
// the one heard once that has faded out, from its own first sample, so nothing clicks. Once all
// has faded out, the output is handed silence until what it held has been heard, and may then
// close; the next sound opens it again, afresh.
class SoundFeed
{
public:
    struct Sound
    {
        Synthesis synthesis;
        Selection selection;
    };

    // heldSamples: the most the output may hold beyond what has been heard.
    explicit SoundFeed(std::int64_t heldSamples);

    // Plays the sound: at once when nothing is heard, otherwise after what is heard has faded
    // out (it replaces a sound still waiting for that). Returns whether the output is closed
    // and must be opened for it.
    [[nodiscard]] bool play(const Sound &sound);
    // Fades out what is heard and drops a sound still waiting.
    void stop();
    // The next samples to hand over: silence once all has faded out.
    void render(std::span<std::int16_t> out);
    // Whether the output may close: nothing is left to hear, and what it held has been heard.
    bool mayClose() const;
    // The output was closed, or failed: nothing plays, and the next sound opens it again.
    void closed();

private:
    void begin(const Sound &sound);
    std::int64_t fadeOutEnd() const;
    bool fadedOut() const;

    std::int64_t m_heldSamples;
    bool m_open = false;
    std::optional<Sound> m_playing;
    std::optional<Sound> m_next;
    std::int64_t m_position = 0; // The next sample of m_playing to hand over.
    std::int64_t m_fadeOutStart = Synthesis::NoFadeOut;
    std::int64_t m_silenceOwed = 0; // Silence to hand over before the output may close.
};
