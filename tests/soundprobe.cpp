// SPDX-License-Identifier: GPL-3.0-or-later
// Looks at a recording of the sound server's output (raw signed 16-bit mono samples) the way
// the end-to-end test needs: its loudness, its strength at given pitches, where the sound
// starts, and how often its envelope beats.
//   soundprobe FILE RATE [PITCH ...]
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

// Beats a second in the envelope: the strongest period of its 10 ms loudness between 0.05 and
// 2 seconds, by autocorrelation.
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
    double best = 0;
    std::size_t bestLag = 0;
    for (std::size_t lag = 5; lag <= 200 && lag < envelope.size() / 2; ++lag) {
        double sum = 0;
        for (std::size_t i = 0; i + lag < envelope.size(); ++i)
            sum += envelope[i] * envelope[i + lag];
        sum /= double(envelope.size() - lag);
        if (sum > best) {
            best = sum;
            bestLag = lag;
        }
    }
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
