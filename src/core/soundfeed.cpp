// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfeed.h"

#include <algorithm>
#include <utility>

SoundFeed::SoundFeed(std::int64_t heldSamples)
    : m_heldSamples(std::max<std::int64_t>(heldSamples, 0))
{}

bool SoundFeed::play(const Sound &sound)
{
    const bool mustOpen = !m_open;
    m_open = true;
    if (!m_playing || m_position == 0) {
        begin(sound); // Nothing heard, or nothing of it handed over yet: nothing to fade.
        m_next.reset();
    } else {
        m_next = sound;
        m_fadeOutStart = std::min(m_fadeOutStart, m_position);
    }
    return mustOpen;
}

void SoundFeed::stop()
{
    m_next.reset();
    if (m_playing && m_position == 0)
        m_playing.reset();
    else if (m_playing)
        m_fadeOutStart = std::min(m_fadeOutStart, m_position);
}

void SoundFeed::render(std::span<std::int16_t> out)
{
    std::size_t done = 0;
    while (done < out.size()) {
        if (!m_playing) {
            const auto rest = out.size() - done;
            std::fill(out.begin() + qsizetype(done), out.end(), std::int16_t(0));
            m_silenceOwed = std::max<std::int64_t>(m_silenceOwed - std::int64_t(rest), 0);
            return;
        }
        std::size_t count = out.size() - done;
        if (m_fadeOutStart != Synthesis::NoFadeOut)
            count = std::min<std::size_t>(count, std::size_t(fadeOutEnd() - m_position));
        m_playing->synthesis.render(m_playing->selection, m_position, out.subspan(done, count),
                                    m_fadeOutStart);
        m_position += std::int64_t(count);
        done += count;
        m_silenceOwed = m_heldSamples;
        if (fadedOut()) {
            m_playing.reset();
            if (m_next)
                begin(*std::exchange(m_next, std::nullopt));
        }
    }
}

bool SoundFeed::mayClose() const
{
    return !m_playing && m_silenceOwed == 0;
}

void SoundFeed::closed()
{
    m_open = false;
    m_playing.reset();
    m_next.reset();
    m_silenceOwed = 0;
}

void SoundFeed::begin(const Sound &sound)
{
    m_playing = sound;
    m_position = 0;
    m_fadeOutStart = Synthesis::NoFadeOut;
}

std::int64_t SoundFeed::fadeOutEnd() const
{
    return m_fadeOutStart + m_playing->synthesis.fadeLength();
}

bool SoundFeed::fadedOut() const
{
    return m_fadeOutStart != Synthesis::NoFadeOut && m_position >= fadeOutEnd();
}
