// SPDX-License-Identifier: GPL-3.0-or-later
// One second of the sum of the three rows at 48 kHz, rendered as 16-bit samples with the phase
// kept exact, beside a bare loop of the same number of sine calls.
#include "synthesis.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr int Rate = 48000;
const std::array<Tone, 3> Tones = {{{20, 220, 0}, {20, 440, 0}, {20, 660, 0}}};

void renderSecond(benchmark::State &state)
{
    const Synthesis synthesis(Tones, Rate);
    std::vector<std::int16_t> samples(Rate);
    std::int64_t first = 0;
    for (auto _ : state) {
        // Past the fade-in, as nearly all of a playing sound is.
        synthesis.render(Selection::Superposition, first += Rate, samples);
        benchmark::DoNotOptimize(samples.data());
        benchmark::ClobberMemory();
    }
}

void bareThreeSinesLoop(benchmark::State &state)
{
    const double step = 2 * std::numbers::pi / Rate;
    for (auto _ : state) {
        for (int n = 0; n < Rate; ++n) {
            benchmark::DoNotOptimize(std::sin(step * 220 * n));
            benchmark::DoNotOptimize(std::sin(step * 440 * n));
            benchmark::DoNotOptimize(std::sin(step * 660 * n));
        }
    }
}

// The minimum over repetitions is the least disturbed by other work on the machine.
double fastest(const std::vector<double> &times)
{
    return *std::min_element(times.begin(), times.end());
}

} // namespace

BENCHMARK(renderSecond)->ComputeStatistics("min", fastest);
BENCHMARK(bareThreeSinesLoop)->ComputeStatistics("min", fastest);

BENCHMARK_MAIN();
