// SPDX-License-Identifier: GPL-3.0-or-later
// Looks at a recording of the sound server's output (raw signed 16-bit mono samples) the way
// the end-to-end test needs: its loudness, its strength at given pitches, where the sound
// starts, how often its envelope beats, and whether it ran smoothly between its fades: its
// quietest 10 ms against the median 10 ms, and its sharpest bend (the largest second
// difference, against the loudness), which a gap or a jump of phase makes large. Given two
// pitches or more, also how long the first two sound together: one sound that replaces another
// after it has faded out never does; and the sharpest bend where the first gives way to the
// second, which a sound cut off rather than faded out makes large.
//   soundprobe FILE RATE [PITCH ...]
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

namespace {

std::vector<double> samplesOf(const char *fileName)
{
    std::ifstream file(fileName, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
    std::vector<double> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::int16_t(std::uint16_t(std::uint8_t(bytes[2 * i])) |
                                  std::uint16_t(std::uint8_t(bytes[2 * i + 1])) << 8) /
                     32768.0;
    return samples;
}

// The amplitude of the component at one pitch (Goertzel's filter).
double strengthAt(const std::vector<double> &samples, double rate, double pitch)
{
    if (samples.empty())
        return 0;
    const double k = 2 * std::cos(2 * std::numbers::pi * pitch / rate);
    double previous = 0, beforePrevious = 0;
    for (const double sample : samples) {
        const double current = sample + k * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    const double power =
        previous * previous + beforePrevious * beforePrevious - k * previous * beforePrevious;
    return 2 * std::sqrt(std::max(power, 0.0)) / double(samples.size());
}

double rms(const std::vector<double> &samples, std::size_t from, std::size_t count)
{
    double sum = 0;
    for (std::size_t i = from; i < from + count && i < samples.size(); ++i)
        sum += samples[i] * samples[i];
    return count ? std::sqrt(sum / double(count)) : 0;
}

// Beats a second in the envelope: the period of its 10 ms loudness between 0.05 and 2 seconds,
// by autocorrelation.
double beatsPerSecond(const std::vector<double> &samples, double rate)
{
    const auto window = std::size_t(rate / 100);
    std::vector<double> envelope;
    for (std::size_t i = 0; i + window <= samples.size(); i += window)
        envelope.push_back(rms(samples, i, window));
    double mean = 0;
    for (const double e : envelope)
        mean += e / double(envelope.size());
    for (double &e : envelope)
        e -= mean;
    // A beat's multiples correlate about as well as the beat itself: take the shortest lag whose
    // correlation is a local peak near the best one.
    std::vector<double> correlation(std::min<std::size_t>(201, envelope.size() / 2), 0.0);
    for (std::size_t lag = 5; lag < correlation.size(); ++lag) {
        for (std::size_t i = 0; i + lag < envelope.size(); ++i)
            correlation[lag] += envelope[i] * envelope[i + lag];
        correlation[lag] /= double(envelope.size() - lag);
    }
    if (correlation.size() < 8)
        return 0; // Too short a recording to beat (one of silence may hold no sample at all).
    const double best = *std::max_element(correlation.begin(), correlation.end());
    std::size_t bestLag = 0;
    for (std::size_t lag = 6; lag + 1 < correlation.size() && !bestLag; ++lag)
        if (best > 0 && correlation[lag] >= 0.8 * best &&
            correlation[lag] >= correlation[lag - 1] && correlation[lag] >= correlation[lag + 1])
            bestLag = lag;
    return bestLag ? 100.0 / double(bestLag) : 0;
}

// Where the sound runs at full level: from 50 ms after its first sample to 50 ms before its last.
struct Steady
{
    std::size_t from = 0, to = 0;
};

Steady steadyPart(const std::vector<double> &samples, double rate)
{
    const auto margin = std::size_t(rate / 20);
    std::size_t first = 0, last = samples.size();
    while (first < samples.size() && std::abs(samples[first]) < 0.001)
        ++first;
    while (last > first && std::abs(samples[last - 1]) < 0.001)
        --last;
    if (last < first + 2 * margin + 2)
        return {};
    return {first + margin, last - margin};
}

// The quietest 10 ms of the steady part against the median 10 ms.
double quietest(const std::vector<double> &samples, double rate, Steady steady)
{
    const auto window = std::size_t(rate / 100);
    std::vector<double> levels;
    for (std::size_t i = steady.from; i + window <= steady.to; i += window)
        levels.push_back(rms(samples, i, window));
    if (levels.empty())
        return 0;
    std::vector<double> sorted = levels;
    std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(sorted.size() / 2),
                     sorted.end());
    const double median = sorted[sorted.size() / 2];
    return median > 0 ? *std::min_element(levels.begin(), levels.end()) / median : 0;
}

// The largest second difference from one sample to another, against the steady part's
// loudness (rms).
double sharpestBend(const std::vector<double> &samples, Steady steady, std::size_t from,
                    std::size_t to)
{
    double largest = 0;
    for (std::size_t i = std::max<std::size_t>(from, 1); i + 1 < std::min(to, samples.size()); ++i)
        largest = std::max(largest, std::abs(samples[i + 1] - 2 * samples[i] + samples[i - 1]));
    const double level = rms(samples, steady.from, steady.to - steady.from);
    return level > 0 ? largest / level : 0;
}

// The strength at one pitch while the sound runs at full level: the median of its 100 ms
// windows. A rare short gap of a sound server on a busy machine (Wine's player misses its turn
// now and then) changes it no more than a window's worth; a pitch too weak or too strong
// throughout does.
double steadyStrengthAt(const std::vector<double> &samples, double rate, Steady steady,
                        double pitch)
{
    const auto window = std::size_t(rate / 10);
    std::vector<double> strengths;
    for (std::size_t i = steady.from; i + window <= steady.to; i += window)
        strengths.push_back(strengthAt(
            {samples.begin() + std::ptrdiff_t(i), samples.begin() + std::ptrdiff_t(i + window)},
            rate, pitch));
    if (strengths.empty())
        return 0;
    std::nth_element(strengths.begin(), strengths.begin() + std::ptrdiff_t(strengths.size() / 2),
                     strengths.end());
    return strengths[strengths.size() / 2];
}

// Two pitches' strengths in 20 ms windows (Hann) every 10 ms, each against its own loudest.
struct Windows
{
    std::size_t step = 0;
    std::vector<std::pair<double, double>> strengths;
};

Windows windowedStrengths(const std::vector<double> &samples, double rate, double first,
                          double second)
{
    const auto window = std::size_t(rate / 50);
    std::vector<double> shaped(window);
    Windows windows{window / 2, {}};
    for (std::size_t i = 0; i + window <= samples.size(); i += windows.step) {
        for (std::size_t k = 0; k < window; ++k)
            shaped[k] = samples[i + k] *
                        (0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(k) / double(window)));
        windows.strengths.emplace_back(strengthAt(shaped, rate, first),
                                       strengthAt(shaped, rate, second));
    }
    double loudestFirst = 0, loudestSecond = 0;
    for (const auto &[a, b] : windows.strengths) {
        loudestFirst = std::max(loudestFirst, a);
        loudestSecond = std::max(loudestSecond, b);
    }
    for (auto &[a, b] : windows.strengths) {
        a = loudestFirst > 0 ? a / loudestFirst : 0;
        b = loudestSecond > 0 ? b / loudestSecond : 0;
    }
    return windows;
}

// How long two pitches sound at once: windows in which each is at more than a fifth of its own
// loudest.
double together(const Windows &windows, double rate)
{
    int both = 0;
    for (const auto &[a, b] : windows.strengths)
        both += a > 0.2 && b > 0.2;
    return both * double(windows.step) / rate;
}

// The sharpest bend where the first pitch gives way to the second: from the last window in
// which the first is at more than a fifth of its loudest to the first such window of the
// second, and a window on either side. Elsewhere a bend says nothing about the change.
double switchBend(const std::vector<double> &samples, const Windows &windows, Steady steady)
{
    std::size_t lastFirst = 0, firstSecond = windows.strengths.size();
    for (std::size_t w = 0; w < windows.strengths.size(); ++w)
        if (windows.strengths[w].first > 0.2)
            lastFirst = w;
    for (std::size_t w = windows.strengths.size(); w-- > lastFirst;)
        if (windows.strengths[w].second > 0.2)
            firstSecond = w;
    const std::size_t from = (lastFirst > 0 ? lastFirst - 1 : 0) * windows.step;
    const std::size_t to = (firstSecond + 3) * windows.step;
    return sharpestBend(samples, steady, from, to);
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: soundprobe FILE RATE [PITCH ...]\n");
        return 2;
    }
    const std::vector<double> samples = samplesOf(argv[1]);
    const double rate = std::stod(argv[2]);
    std::size_t first = 0;
    while (first < samples.size() && std::abs(samples[first]) < 0.001)
        ++first;
    std::printf("seconds=%.3f\n", double(samples.size()) / rate);
    std::printf("rms=%.6f\n", rms(samples, 0, samples.size()));
    std::printf("first=%.4f\n", double(first) / rate);
    std::printf("beats=%.2f\n", beatsPerSecond(samples, rate));
    const Steady steady = steadyPart(samples, rate);
    std::printf("steady=%.3f\n", double(steady.to - steady.from) / rate);
    std::printf("quietest=%.4f\n", quietest(samples, rate, steady));
    std::printf("bend=%.4f\n", sharpestBend(samples, steady, steady.from, steady.to));
    if (argc > 4) {
        const Windows windows =
            windowedStrengths(samples, rate, std::stod(argv[3]), std::stod(argv[4]));
        std::printf("together=%.3f\n", together(windows, rate));
        std::printf("switch_bend=%.4f\n", switchBend(samples, windows, steady));
    }
    for (int i = 3; i < argc; ++i) {
        const double pitch = std::stod(argv[i]);
        std::printf("at_%s=%.6f\n", argv[i], strengthAt(samples, rate, pitch));
        std::printf("steady_at_%s=%.6f\n", argv[i], steadyStrengthAt(samples, rate, steady, pitch));
    }
}
