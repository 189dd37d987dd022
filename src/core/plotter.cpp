// SPDX-License-Identifier: GPL-3.0-or-later
#include "plotter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

Plotter::Plotter(PlotSurface &surface, const NumberText &numbers)
    : m_surface(surface)
    , m_numbers(numbers)
{}

void Plotter::showMessage(const QString &text) const
{
    if (m_showMessage)
        m_showMessage(text);
}

void Plotter::RefreshPlotMetrics()
{
    AxisY = double(m_surface.heightUnits()) / 2;
    PlotWidth = m_surface.widthUnits();
}

void Plotter::DrawTimeAxis()
{
    m_surface.drawLine(0.0f, float(AxisY), float(PlotWidth), float(AxisY), AxisColour);
}

void Plotter::clearPlot()
{
    RefreshPlotMetrics();
    m_surface.clear();
    m_record.clear();
    DrawTimeAxis();
}

bool Plotter::prepareRows(std::span<OscillationTexts> rows)
{
    const bool allNumbers = std::all_of(rows.begin(), rows.end(),
                                        [&](const auto &row) { return row.areNumbers(m_numbers); });
    if (!allNumbers) {
        showMessage(OscillationTexts::NotANumberMessage);
        return false;
    }
    // The amplitudes are checked one by one; their sum may well exceed the area.
    const bool anyTooLarge = std::any_of(rows.begin(), rows.end(), [&](const auto &row) {
        return amplitudeExceedsPlot(row.amplitude, AxisY, m_numbers);
    });
    if (anyTooLarge) {
        showMessage(AmplitudeTooLargeMessage);
        // The user may have resized the window while the message was up: plot for the area as
        // it is now.
        RefreshPlotMetrics();
    }
    for (OscillationTexts &row : rows) {
        row.phase = phaseToRadians(row.phase, PiApprox, m_numbers);
        row.frequency = roundFrequencyToTenths(row.frequency, m_numbers);
    }
    return true;
}

template <typename SampleYAt> void Plotter::plotSamples(QRgb colour, SampleYAt sampleYAt)
{
    // Samples past the surface's last pixel would be dropped anyway; stopping there keeps a
    // plot area far larger than any screen from stalling the window.
    const double end = std::min(PlotWidth, m_surface.drawableWidthUnits());
    PlotSurface::PointWriter points = m_surface.pointWriter(colour);
    // The ordinates are computed a batch at a time and then set: a loop of nothing but sines
    // keeps the processor busy, where setting each point between two sines stalls it.
    std::array<double, 256> ordinates;
    double x = 0.0;
    while (x <= end) {
        // Every whole x up to end, counted first so the loop of sines tests nothing else.
        const double first = x;
        const auto count = std::min(ordinates.size(), std::size_t(end - first) + 1);
        // Unrolled, so two sines follow each other with less counting between them.
#pragma GCC unroll 2
        for (std::size_t i = 0; i < count; ++i, x += 1.0)
            ordinates[i] = sampleYAt(x);
        SampleY = ordinates[count - 1];
        points.setSamples(first, {ordinates.data(), count});
    }
    SampleX = x;
    m_surface.finish(points);
}

void Plotter::keepInRecord(QRgb colour, std::vector<Oscillation> oscillations)
{
    m_record.add({colour, std::move(oscillations), PiApprox, AxisY, PlotWidth, SampleX});
}

bool Plotter::plotOscillation(const OscillationTexts &row, QRgb colour)
{
    FrequencyText = row.frequency;
    PhaseText = row.phase;
    AmplitudeText = row.amplitude;
    RefreshPlotMetrics();
    PiApprox = PiApproxValue;
    OscillationTexts prepared{FrequencyText, PhaseText, AmplitudeText};
    if (!prepareRows({&prepared, 1}))
        return false;
    FrequencyText = prepared.frequency;
    PhaseText = prepared.phase;

    // The texts don't change during the loop, so one parse serves every sample.
    const Oscillation oscillation = Oscillation::fromTexts(prepared, m_numbers);
    const std::array curve = {oscillation.curve(PiApprox)};
    const double axisY = AxisY;
    plotSamples(colour, [=](double x) { return ordinateOf(curve, axisY, x); });
    keepInRecord(colour, {oscillation});
    DrawTimeAxis();
    return true;
}

bool Plotter::plotSuperposition(const std::array<OscillationTexts, 3> &rows)
{
    std::array<OscillationTexts, 3> texts = rows;
    PiApprox = PiApproxValue;
    RefreshPlotMetrics();
    if (!prepareRows(texts))
        return false;

    std::vector<Oscillation> oscillations;
    for (const OscillationTexts &row : texts)
        oscillations.push_back(Oscillation::fromTexts(row, m_numbers));
    const std::array curves = {oscillations[0].curve(PiApprox), oscillations[1].curve(PiApprox),
                               oscillations[2].curve(PiApprox)};
    const double axisY = AxisY;
    plotSamples(SuperpositionColour, [=](double x) { return ordinateOf(curves, axisY, x); });
    keepInRecord(SuperpositionColour, std::move(oscillations));
    DrawTimeAxis();
    return true;
}
