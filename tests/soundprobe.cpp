// SPDX-License-Identifier: GPL-3.0-or-later
// Looks at a recording of the sound server's output (raw signed 16-bit mono samples) the way
// the end-to-end test needs: its loudness, its strength at given pitches, where the sound
// starts, and how often its envelope beats.
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
    for (int i = 3; i < argc; ++i)
        std::printf("at_%s=%.6f\n", argv[i], strengthAt(samples, rate, std::stod(argv[i])));
}
