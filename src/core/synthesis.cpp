// SPDX-License-Identifier: GPL-3.0-or-later
#include "synthesis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int HighestSampleRate = 1'000'000;

const std::array<QString, 3> RowNames = {QStringLiteral("První graf"), QStringLiteral("Druhý graf"),
                                         QStringLiteral("Třetí graf")};

bool plays(Selection selection, std::size_t row)
{
    return selection == Selection::Superposition || selection == rowSelection(int(row));
}

std::int64_t floorMod(std::int64_t value, std::int64_t modulus)
{
    const std::int64_t rest = value % modulus;
    return rest < 0 ? rest + modulus : rest;
}

bool isConstant(const Tone &tone)
{
    return std::isfinite(tone.frequencyHz) && std::nearbyint(tone.frequencyHz * 10) == 0;
}

bool sharesLoudness(const Tone &tone)
{
    return std::isfinite(tone.amplitude) && tone.amplitude != 0 && !isConstant(tone);
}

bool isHeard(const Tone &tone)
{
    return sharesLoudness(tone) && std::isfinite(tone.frequencyHz) && std::isfinite(tone.phase);
}

// Each row's share of full scale. The amplitudes are divided by the largest first, so
// amplitudes near the largest double, or whose sum overflows, still give finite shares.
std::array<double, 3> gains(const std::array<Tone, 3> &tones)
{
    double largest = 0.0;
    for (const Tone &tone : tones) {
        if (sharesLoudness(tone))
            largest = std::max(largest, std::abs(tone.amplitude));
    }
    std::array<double, 3> gains{};
    if (largest == 0.0)
        return gains;
    double total = 0.0;
    for (std::size_t row = 0; row < tones.size(); ++row) {
        if (sharesLoudness(tones[row])) {
            gains[row] = tones[row].amplitude / largest;
            total += std::abs(gains[row]);
        }
    }
    for (std::size_t row = 0; row < tones.size(); ++row)
        gains[row] = isHeard(tones[row]) ? gains[row] / total * Headroom : 0.0;
    return gains;
}

// Tenths of hertz modulo the period; fmod keeps even the largest finite frequency exact.
std::int64_t stepOf(double frequencyHz, std::int64_t period)
{
    const double tenths = std::nearbyint(frequencyHz * 10);
    if (!std::isfinite(tenths))
        return 0;
    return floorMod(std::int64_t(std::fmod(tenths, double(period))), period);
}

// Raised cosines: smooth at both ends, so neither the start nor the stop clicks.
double fadeIn(std::int64_t n, int length)
{
    if (n <= 0)
        return 0.0;
    if (n >= length)
        return 1.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * double(n) / length);
}

double fadeOut(std::int64_t sinceStart, int length)
{
    if (sinceStart >= length - 1)
        return 0.0;
    if (sinceStart <= 0)
        return 1.0;
    return 0.5 + 0.5 * std::cos(std::numbers::pi * double(sinceStart) / (length - 1));
}

Tone toneOf(const OscillationTexts &texts, int unitPitchHz, const NumberText &numbers)
{
    // As the plot converts them, text to text, then read back.
    constexpr double Unknown = std::numeric_limits<double>::quiet_NaN();
    Tone tone{numbers.toNumber(texts.amplitude).value_or(0.0), Unknown, Unknown};
    if (numbers.isNumber(texts.frequency))
        tone.frequencyHz =
            numbers.toValue(roundFrequencyToTenths(texts.frequency, numbers)) * unitPitchHz;
    if (numbers.isNumber(texts.phase))
        tone.phase = numbers.toValue(phaseToRadians(texts.phase, PiApproxValue, numbers));
    return tone;
}

bool isAudible(double pitchHz)
{
    return pitchHz >= LowestAudibleHz && pitchHz <= HighestAudibleHz;
}

} // namespace

QString outOfRangeMessage(int row, double pitchHz, const NumberText &numbers)
{
    const QString name = RowNames[std::size_t(row)];
    if (!std::isfinite(pitchHz))
        return QStringLiteral("%1 by zněl příliš vysoko, mimo slyšitelný rozsah 20 Hz až 20 kHz.")
            .arg(name);
    return QStringLiteral("%1 by zněl na %2 Hz, mimo slyšitelný rozsah 20 Hz až 20 kHz.")
        .arg(name, numbers.toText(pitchHz));
}

PreparedSound prepareSound(const std::array<OscillationTexts, 3> &rows, Selection selection,
                           int unitPitchHz, const NumberText &numbers)
{
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (plays(selection, row) && !rows[row].areNumbers(numbers))
            return {{}, OscillationTexts::NotANumberMessage};
    }
    PreparedSound sound;
    for (std::size_t row = 0; row < rows.size(); ++row)
        sound.tones[row] = toneOf(rows[row], unitPitchHz, numbers);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const Tone &tone = sound.tones[row];
        const double pitchHz = std::abs(tone.frequencyHz);
        // A silent row or a constant is never in the way.
        if (plays(selection, row) && sharesLoudness(tone) && !isAudible(pitchHz))
            return {{}, outOfRangeMessage(int(row), pitchHz, numbers)};
    }
    return sound;
}

Synthesis::Synthesis(const std::array<Tone, 3> &tones, int sampleRate)
    : m_sampleRate(std::clamp(sampleRate, 1, HighestSampleRate))
    , m_period(std::int64_t(m_sampleRate) * 10)
    , m_radiansPerStep(2 * std::numbers::pi / double(m_period))
    , m_fadeLength(std::max(1, int(std::lround(m_sampleRate * FadeSeconds))))
{
    const std::array<double, 3> shares = gains(tones);
    for (std::size_t row = 0; row < tones.size(); ++row) {
        Voice &voice = m_voices[row];
        voice.gain = shares[row];
        if (voice.gain != 0.0) {
            voice.step = stepOf(tones[row].frequencyHz, m_period);
            voice.phase = tones[row].phase;
        }
    }
}

Synthesis::Phases Synthesis::phasesAt(std::int64_t n) const
{
    // Both factors are below the period (at most 10^7), so the product can't overflow.
    const std::int64_t sinceCycle = floorMod(n, m_period);
    Phases phases;
    for (std::size_t row = 0; row < phases.size(); ++row)
        phases[row] = sinceCycle * m_voices[row].step % m_period;
    return phases;
}

double Synthesis::mix(Selection selection, const Phases &phases) const
{
    double level = 0.0;
    for (std::size_t row = 0; row < m_voices.size(); ++row) {
        const Voice &voice = m_voices[row];
        if (voice.gain != 0.0 && plays(selection, row))
            level += voice.gain * std::sin(m_radiansPerStep * double(phases[row]) + voice.phase);
    }
    return level;
}

double Synthesis::sample(Selection selection, std::int64_t n) const
{
    return mix(selection, phasesAt(n));
}

double Synthesis::envelope(std::int64_t n, std::int64_t fadeOutStart) const
{
    if (n < 0)
        return 0.0;
    // From 0 on, so that the difference below can't overflow.
    fadeOutStart = std::max<std::int64_t>(fadeOutStart, 0);
    const double in = fadeIn(n, m_fadeLength);
    return n < fadeOutStart ? in : in * fadeOut(n - fadeOutStart, m_fadeLength);
}

void Synthesis::render(Selection selection, std::int64_t firstSample, std::span<std::int16_t> out,
                       std::int64_t fadeOutStart) const
{
    Phases phases = phasesAt(firstSample);
    std::int64_t n = firstSample;
    for (std::int16_t &value : out) {
        double level = mix(selection, phases);
        if (n < m_fadeLength || n >= fadeOutStart)
            level *= envelope(n, fadeOutStart);
        value = toPcm16(level);
        for (std::size_t row = 0; row < phases.size(); ++row) {
            phases[row] += m_voices[row].step;
            if (phases[row] >= m_period)
                phases[row] -= m_period;
        }
        ++n;
    }
}

std::vector<std::int16_t> Synthesis::fiveSeconds(Selection selection) const
{
    std::vector<std::int16_t> samples(std::size_t(m_sampleRate) * SavedSeconds);
    const auto fadeOutStart = std::int64_t(samples.size()) - m_fadeLength;
    render(selection, 0, samples, fadeOutStart);
    return samples;
}

std::int16_t Synthesis::toPcm16(double level)
{
    return std::int16_t(std::lrint(std::clamp(level, -1.0, 1.0) * 32767));
}
