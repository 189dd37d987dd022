#include "plotter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr QRgb AxisColour = qRgb(0, 0, 0);
constexpr QRgb SuperpositionColour = qRgb(0, 0, 0);

// Whether an ordinate survives the hand-over to the surface in single precision. Overflowed
// and not-a-number samples are not drawn at all rather than drawn somewhere wrong.
bool fitsSinglePrecision(double value)
{
    return std::abs(value) <= std::numeric_limits<float>::max();
}

} // namespace

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
    AxisY = double(m_surface.height()) / 2;
    PlotWidth = m_surface.width();
}

void Plotter::DrawTimeAxis()
{
    m_surface.drawLine(0.0f, float(AxisY), float(PlotWidth), float(AxisY), AxisColour);
}

void Plotter::clearPlot()
{
    RefreshPlotMetrics();
    m_surface.clear();
    DrawTimeAxis();
}

bool Plotter::prepareRows(std::span<OscillationTexts> rows)
{
    const bool allNumbers = std::all_of(rows.begin(), rows.end(),
                                        [&](const auto &row) { return row.areNumbers(m_numbers); });
    if (!allNumbers) {
        showMessage(NotANumberMessage);
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
        row.frequency = frequencyToTenths(row.frequency, m_numbers);
    }
    return true;
}

template <typename SampleYAt> void Plotter::plotSamples(QRgb colour, SampleYAt sampleYAt)
{
    // Samples past the surface's last pixel would be dropped anyway; stopping there keeps a
    // plot area far larger than any screen from stalling the window.
    const double end = std::min(PlotWidth, m_surface.drawableWidthUnits());
    PlotSurface::PointWriter points = m_surface.pointWriter(colour);
    for (SampleX = 0.0; SampleX <= end; SampleX += 1.0) {
        SampleY = sampleYAt(SampleX);
        if (fitsSinglePrecision(SampleY))
            points.setPoint(float(SampleX), float(SampleY));
    }
    m_surface.finish(points);
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
    const double piApprox = PiApprox;
    const double axisY = AxisY;
    plotSamples(colour, [&](double x) { return oscillation.displacement(piApprox, x) + axisY; });
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

    const std::array<Oscillation, 3> oscillations = {Oscillation::fromTexts(texts[0], m_numbers),
                                                     Oscillation::fromTexts(texts[1], m_numbers),
                                                     Oscillation::fromTexts(texts[2], m_numbers)};
    const double piApprox = PiApprox;
    const double axisY = AxisY;
    plotSamples(SuperpositionColour, [&](double x) {
        return ((oscillations[0].displacement(piApprox, x) + axisY) +
                oscillations[1].displacement(piApprox, x)) +
               oscillations[2].displacement(piApprox, x);
    });
    DrawTimeAxis();
    return true;
}
