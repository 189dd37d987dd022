// SPDX-License-Identifier: GPL-3.0-or-later
// One plot command end to end (parameters, sampling, drawing into the surface, axis) beside a
// bare loop of the same sine calls, at the design width and on a 4K-wide plot area.
#include "plotter.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr float DesignHeight = 4335;
const OscillationTexts Row1{"1", "0", "20"};
const OscillationTexts Row2{"2", "0", "20"};
const OscillationTexts Row3{"3", "0", "20"};

void widths(benchmark::internal::Benchmark *benchmark)
{
    benchmark->Arg(8775)->Arg(57600); // Design width; a 3840-pixel screen.
}

struct Bench
{
    explicit Bench(float width)
    {
        surface.resize(width, DesignHeight);
        plotter.setMessageHandler([](const QString &) {});
    }
    PlotSurface surface;
    Plotter plotter{surface, NumberText(QLocale::c())};
};

void kreslit(benchmark::State &state)
{
    Bench bench(float(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.plotter.plotOscillation(Row1, qRgb(0, 0, 255)));
}

void bareSineLoop(benchmark::State &state)
{
    const double end = double(state.range(0));
    const double frequency = 1, phase = 0;
    for (auto _ : state) {
        for (double x = 0; x <= end; x += 1.0)
            benchmark::DoNotOptimize(std::sin(frequency * (3.1415 * 20) * x - phase));
    }
}

void slozit(benchmark::State &state)
{
    Bench bench(float(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.plotter.plotSuperposition({Row1, Row2, Row3}));
}

void bareThreeSinesLoop(benchmark::State &state)
{
    const double end = double(state.range(0));
    const double f1 = 1, f2 = 2, f3 = 3, phase = 0;
    for (auto _ : state) {
        for (double x = 0; x <= end; x += 1.0) {
            benchmark::DoNotOptimize(std::sin(f1 * (3.1415 * 20) * x - phase));
            benchmark::DoNotOptimize(std::sin(f2 * (3.1415 * 20) * x - phase));
            benchmark::DoNotOptimize(std::sin(f3 * (3.1415 * 20) * x - phase));
        }
    }
}

} // namespace

BENCHMARK(kreslit)->Apply(widths);
BENCHMARK(bareSineLoop)->Apply(widths);
BENCHMARK(slozit)->Apply(widths);
BENCHMARK(bareThreeSinesLoop)->Apply(widths);

BENCHMARK_MAIN();
