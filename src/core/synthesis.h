// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "numbertext.h"
#include "oscillation.h"

#include <QString>

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

// The rows as sound. What is heard matches the picture:
//
// - Each row sounds as y_m * sin(2 pi * f * F * t + phi): f is the row's frequency rounded to
//   tenths and phi its phase in radians with pi taken as 3.1415, both exactly as the plot
//   converts them; y_m is its amplitude and F the pitch that f = 1 sounds at. The sum sounds
//   as the sum of the three rows.
// - Signs follow the screen. A curve's height above the axis is 10 * y_m * sin(k * 0.000185307
//   * x + phi) with k = 10 f: it starts at 10 * y_m * sin(phi) and its slope has the sign of
//   f * y_m * cos(phi). The sound starts at the same value with the same sign of slope: phi = 0
//   starts at 0 and rises, 90 degrees starts at the top, a negative amplitude falls first.
// - Loudness is proportional to the amplitude, on one scale for every row and for the sum:
//   full scale times Headroom over |y_1| + |y_2| + |y_3|, so the sum can never clip and a row
//   sounds as loud alone as it does within the sum. A sum that cancels is silent; it is never
//   raised to full scale.
// - A row of frequency 0 (after rounding to tenths) is a constant, not a sound: it is silent
//   and takes no share of the loudness, so it can't make the other rows quieter.

// The pitches that f = 1 can sound at; the first three are the lower octaves of 220 Hz.
inline constexpr std::array<int, 4> UnitPitchesHz = {55, 110, 220, 440};
inline constexpr int DefaultUnitPitchHz = 220;
inline constexpr int DefaultSampleRate = 48000;
// The part of full scale the loudest possible sum reaches.
inline constexpr double Headroom = 0.9;
// The range a row's pitch must lie in to be played.
inline constexpr double LowestAudibleHz = 20;
inline constexpr double HighestAudibleHz = 20000;

// What is played: one row, or the sum of all three.
enum class Selection { FirstRow, SecondRow, ThirdRow, Superposition };

constexpr Selection rowSelection(int row)
{
    return static_cast<Selection>(row);
}

// One row as sound. frequencyHz is f * F, a whole number of tenths of a hertz (it is taken to
// the nearest tenth); phase is in radians. A frequency or phase that is not finite (a row not
// played, whose text is not a number) is never heard, but its amplitude still takes its share
// of the loudness.
struct Tone
{
    double amplitude = 0.0;
    double frequencyHz = 0.0;
    double phase = 0.0;
};

// The three rows' tones, or why the selection can't be played.
struct PreparedSound
{
    std::array<Tone, 3> tones{};
    QString problem; // Empty when it can be played.
};

// Reads the rows as the plot does. Playing the sum, all nine texts must be numbers; playing one
// row, its own three texts (the other rows' amplitudes still set the loudness where they are
// numbers). Then each played row must sound within the audible range, unless it is silent
// (amplitude 0) or a constant (frequency 0).
PreparedSound prepareSound(const std::array<OscillationTexts, 3> &rows, Selection selection,
                           int unitPitchHz, const NumberText &numbers);

// "Druhý graf by zněl na 22050 Hz, mimo slyšitelný rozsah 20 Hz až 20 kHz."
QString outOfRangeMessage(int row, double pitchHz, const NumberText &numbers);

// The samples of the rows and of their sum: a pure function of the tones, the sample rate and
// the sample's index, so any run of samples can be rendered on its own and runs join without
// a seam. Every frequency is a whole number of tenths of a hertz, so the phase is counted as a
// whole number of steps of 1 / (10 * sample rate) cycle, modulo a cycle: it stays exact over any
// length of play, and every tone repeats exactly after ten seconds.
class Synthesis
{
public:
    static constexpr std::int64_t NoFadeOut = std::numeric_limits<std::int64_t>::max();
    static constexpr double FadeSeconds = 0.030;
    static constexpr int SavedSeconds = 5;

    // sampleRate is taken into 1 Hz to 1 MHz.
    explicit Synthesis(const std::array<Tone, 3> &tones, int sampleRate = DefaultSampleRate);

    int sampleRate() const { return m_sampleRate; }
    // Samples in a fade in or out.
    int fadeLength() const { return m_fadeLength; }
    // The peak a row reaches, as a part of full scale.
    double gain(int row) const { return m_voices[std::size_t(row)].gain; }

    // Sample n (from 0) of the selection, in [-Headroom, Headroom], without fades.
    double sample(Selection selection, std::int64_t n) const;
    // The fades' factor at sample n: rising from 0 at sample 0 over fadeLength() samples, and
    // falling over fadeLength() samples from fadeOutStart to 0 at the last of them, and after.
    double envelope(std::int64_t n, std::int64_t fadeOutStart = NoFadeOut) const;
    // Samples [firstSample, firstSample + out.size()) with the fades, as 16-bit PCM. Allocates
    // nothing, so the audio thread may call it. To stop, pass the first sample not yet rendered
    // as fadeOutStart from then on, and stop the device once fadeLength() samples have played.
    void render(Selection selection, std::int64_t firstSample, std::span<std::int16_t> out,
                std::int64_t fadeOutStart = NoFadeOut) const;
    // The selection's first SavedSeconds seconds, faded in and out, so that a file of them
    // starts and ends in silence wherever it is played (a slide, a loop).
    std::vector<std::int16_t> fiveSeconds(Selection selection) const;

    // A level in [-1, 1] as a 16-bit sample: rounded to nearest, clamped.
    static std::int16_t toPcm16(double level);

private:
    struct Voice
    {
        double gain = 0.0;   // Signed: the amplitude's share of full scale.
        std::int64_t step{}; // Phase steps per sample: tenths of hertz, modulo m_period.
        double phase = 0.0;
    };
    using Phases = std::array<std::int64_t, 3>;

    Phases phasesAt(std::int64_t n) const;
    double mix(Selection selection, const Phases &phases) const;

    std::array<Voice, 3> m_voices;
    int m_sampleRate;
    std::int64_t m_period; // One cycle, in phase steps: ten times the sample rate.
    double m_radiansPerStep;
    int m_fadeLength;
};
