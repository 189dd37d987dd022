// SPDX-License-Identifier: GPL-3.0-or-later
// One plot command end to end (parameters, sampling, drawing into the surface, axis) beside a
// bare loop of the same sine calls, at the design width and on a 4K-wide plot area; and the
// setting of one curve's points, in runs as a plot sets them and point by point.
#include "plotbench.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <vector>

namespace {

const OscillationTexts Row1{"1", "0", "20"};
const OscillationTexts Row2{"2", "0", "20"};
const OscillationTexts Row3{"3", "0", "20"};

void widths(benchmark::internal::Benchmark *benchmark)
{
    benchmark->Arg(8775)->Arg(57600); // Design width; a 3840-pixel screen.
}

void kreslit(benchmark::State &state)
{
    PlotBench bench(float(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.plotter.plotOscillation(Row1, RowPlotColours[0]));
}

// Row 1's plot as kreslit makes it, its ordinates computed in the same batches, but each point
// set on its own through PointWriter::setPoint.
void kreslitPointByPoint(benchmark::State &state)
{
    PlotBench bench(float(state.range(0)));
    PlotSurface &surface = bench.surface;
    const NumberText numbers(QLocale::c());
    for (auto _ : state) {
        const OscillationTexts prepared{roundFrequencyToTenths(Row1.frequency, numbers),
                                        phaseToRadians(Row1.phase, PiApproxValue, numbers),
                                        Row1.amplitude};
        const Oscillation::Curve curve =
            Oscillation::fromTexts(prepared, numbers).curve(PiApproxValue);
        const double axisY = double(surface.heightUnits()) / 2;
        const double end = std::min(double(surface.widthUnits()), surface.drawableWidthUnits());
        PlotSurface::PointWriter points = surface.pointWriter(RowPlotColours[0]);
        std::array<double, 256> ordinates;
        for (double x = 0.0; x <= end;) {
            const double first = x;
            const auto count = std::min(ordinates.size(), std::size_t(end - first) + 1);
            for (std::size_t i = 0; i < count; ++i, x += 1.0)
                ordinates[i] = curve.displacement(x) + axisY;
            for (std::size_t i = 0; i < count; ++i)
                points.setPoint(float(first + double(i)), float(ordinates[i]));
        }
        surface.finish(points);
        surface.drawLine(0.0f, float(axisY), surface.widthUnits(), float(axisY), AxisColour);
    }
}

// Row 1's ordinates at every whole unit across the area, as a plot computes them.
std::vector<double> row1Ordinates(const PlotSurface &surface)
{
    const Oscillation::Curve curve = Oscillation{1, 0, 20}.curve(PiApproxValue);
    std::vector<double> ordinates;
    for (double x = 0; x <= surface.widthUnits(); x += 1.0)
        ordinates.push_back(curve.displacement(x) + double(surface.heightUnits()) / 2);
    return ordinates;
}

void curveInRuns(benchmark::State &state)
{
    PlotBench bench(float(state.range(0)));
    const std::vector<double> ordinates = row1Ordinates(bench.surface);
    for (auto _ : state) {
        PlotSurface::PointWriter points = bench.surface.pointWriter(RowPlotColours[0]);
        for (std::size_t first = 0; first < ordinates.size(); first += 256) {
            const std::size_t count = std::min<std::size_t>(256, ordinates.size() - first);
            points.setSamples(double(first), std::span(ordinates).subspan(first, count));
        }
        bench.surface.finish(points);
    }
}

void curvePointByPoint(benchmark::State &state)
{
    PlotBench bench(float(state.range(0)));
    const std::vector<double> ordinates = row1Ordinates(bench.surface);
    for (auto _ : state) {
        PlotSurface::PointWriter points = bench.surface.pointWriter(RowPlotColours[0]);
        for (std::size_t x = 0; x < ordinates.size(); ++x)
            points.setPoint(float(x), float(ordinates[x]));
        bench.surface.finish(points);
    }
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
    PlotBench bench(float(state.range(0)));
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
BENCHMARK(kreslitPointByPoint)->Apply(widths);
BENCHMARK(bareSineLoop)->Apply(widths);
BENCHMARK(curveInRuns)->Apply(widths);
BENCHMARK(curvePointByPoint)->Apply(widths);
BENCHMARK(slozit)->Apply(widths);
BENCHMARK(bareThreeSinesLoop)->Apply(widths);

BENCHMARK_MAIN();
