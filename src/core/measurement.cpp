// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement.h"

#include "colours.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

namespace Measure {

namespace {

constexpr int SignificantDigits = 3;
const QString NoValue = QStringLiteral("–");

int wholeDigits(double magnitude)
{
    return magnitude < 1 ? 1 : int(std::floor(std::log10(magnitude))) + 1;
}

double roundedTo(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

// A number as the readout shows it: with the decimal comma, as the fields take it, to three
// significant digits, though never fewer than its whole digits.
QString numberText(double value)
{
    if (!std::isfinite(value))
        return NoValue;
    QLocale czech(QLocale::Czech);
    czech.setNumberOptions(QLocale::OmitGroupSeparator);
    if (std::abs(value) >= 1e6)
        return czech.toString(value, 'g', SignificantDigits);
    int decimals = std::max(0, SignificantDigits - wholeDigits(std::abs(value)));
    double rounded = roundedTo(value, decimals);
    // 9.996 rounds to 10.00: one whole digit more, one decimal less.
    if (decimals > 0 && wholeDigits(std::abs(rounded)) > wholeDigits(std::abs(value)))
        rounded = roundedTo(value, --decimals);
    return czech.toString(rounded, 'f', decimals);
}

// The row a curve of this colour belongs to ("1" for the first), or nothing for the sum. Plain
// digits, as the window writes "y_m": the window's font has no subscripts.
QString rowNumber(QRgb colour)
{
    const auto row = std::find(RowPlotColours.begin(), RowPlotColours.end(), colour);
    if (row == RowPlotColours.end())
        return {};
    return QString::number(row - RowPlotColours.begin() + 1);
}

QString valueText(const std::optional<double> &value)
{
    return value ? numberText(*value) : NoValue;
}

QString curveLine(const DrawnCurve &curve, double sampleX)
{
    const QString value = valueText(valueAt(curve, sampleX));
    if (!curve.isSuperposition())
        return QStringLiteral("y%1 = %2").arg(rowNumber(curve.colour), value);
    const bool sampled = valueAt(curve, sampleX).has_value();
    return QStringLiteral("y = %1 (obálka %2)")
        .arg(value, sampled ? numberText(envelopeAt(curve, sampleX)) : NoValue);
}

QString timeLine(const QString &name, double timeUnits, int pitchHz)
{
    return QStringLiteral("%1 = %2 (%3 ms)")
        .arg(name, numberText(timeUnits), numberText(timeUnits * 1000 / pitchHz));
}

void addCalliperLines(QList<ReadoutLine> &lines, const PictureRecord &record,
                      const Callipers &callipers, int pitchHz)
{
    if (!callipers.a)
        return;
    if (!callipers.b) {
        lines.append(
            {QStringLiteral("A: ") + timeLine(QStringLiteral("t"), timeAt(*callipers.a), pitchHz),
             MarkerColour});
        return;
    }
    const double interval = std::abs(timeAt(*callipers.b) - timeAt(*callipers.a));
    lines.append({timeLine(QStringLiteral("Δt"), interval, pitchHz), MarkerColour});
    const QString rate = interval > 0 ? numberText(1 / interval) : NoValue;
    const QString hertz = interval > 0 ? numberText(pitchHz / interval) : NoValue;
    lines.append({QStringLiteral("1/Δt = %1 (%2 Hz)").arg(rate, hertz), MarkerColour});
    if (const DrawnCurve *sum = latestSuperposition(record)) {
        const std::optional<double> atA = valueAt(*sum, *callipers.a);
        const std::optional<double> atB = valueAt(*sum, *callipers.b);
        const std::optional<double> change =
            atA && atB ? std::optional<double>(*atB - *atA) : std::nullopt;
        lines.append({QStringLiteral("Δy = ") + valueText(change), MarkerColour});
    }
}

} // namespace

double unitsPerTimeUnit()
{
    return std::numbers::pi / (10 * (std::numbers::pi - PiApproxValue));
}

double heightAt(const DrawnCurve &curve, double sampleX)
{
    // The plot's y grows downward.
    return (curve.axisY - curve.ordinateAt(sampleX)) / UnitsPerAmplitude;
}

std::optional<double> valueAt(const DrawnCurve &curve, double sampleX)
{
    if (sampleX < 0 || sampleX >= curve.sampledTo || sampleX != std::floor(sampleX))
        return std::nullopt;
    // As the plot: an ordinate beyond single precision was not drawn.
    const double ordinate = curve.ordinateAt(sampleX);
    if (!(std::abs(ordinate) <= std::numeric_limits<float>::max()))
        return std::nullopt;
    const double value = heightAt(curve, sampleX);
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

double envelopeAt(const DrawnCurve &curve, double sampleX)
{
    std::complex<double> sum;
    for (const Oscillation &oscillation : curve.oscillations) {
        const Oscillation::Curve c = oscillation.curve(curve.piApprox);
        double angle = c.angularStep * sampleX - c.phase;
        // A negative frequency turns the other way: sin(angle) = sin(π − angle) turns it back,
        // so that its phasor joins the others'.
        if (c.angularStep < 0)
            angle = std::numbers::pi - angle;
        sum += std::polar(c.height, angle);
    }
    return std::abs(sum) / UnitsPerAmplitude;
}

std::optional<double> beatRate(const DrawnCurve &curve)
{
    std::vector<double> frequencies;
    for (const Oscillation &oscillation : curve.oscillations)
        if (oscillation.amplitude != 0)
            frequencies.push_back(std::abs(oscillation.frequency));
    if (frequencies.size() != 2 || frequencies[0] == frequencies[1])
        return std::nullopt;
    const double rate = std::abs(frequencies[0] - frequencies[1]);
    return std::isfinite(rate) ? std::optional<double>(rate) : std::nullopt;
}

std::vector<const DrawnCurve *> latestOfEachColour(const PictureRecord &record)
{
    std::vector<const DrawnCurve *> latest;
    const auto &curves = record.curves();
    for (auto curve = curves.rbegin(); curve != curves.rend(); ++curve) {
        const bool seen = std::any_of(latest.begin(), latest.end(), [&](const DrawnCurve *other) {
            return other->colour == curve->colour;
        });
        if (!seen)
            latest.push_back(&*curve);
    }
    std::reverse(latest.begin(), latest.end());
    return latest;
}

const DrawnCurve *latestSuperposition(const PictureRecord &record)
{
    const auto &curves = record.curves();
    const auto sum = std::find_if(curves.rbegin(), curves.rend(),
                                  [](const DrawnCurve &curve) { return curve.isSuperposition(); });
    return sum == curves.rend() ? nullptr : &*sum;
}

std::optional<double> snap(const std::function<double(double)> &height, Feature feature,
                           double sampleX, double reach, double first, double last)
{
    const double from = std::max(first, std::ceil(sampleX - reach));
    const double to = std::min(last, std::floor(sampleX + reach));
    if (from > to)
        return std::nullopt;
    // With a neighbour on each side, so that the ends can be judged too.
    std::vector<double> h;
    for (double x = from - 1; x <= to + 1; ++x)
        h.push_back(height(x));
    // Rounding ripples a flat stretch (an envelope of one frequency, say); a feature stands out
    // of that.
    double largest = 0;
    for (double value : h)
        largest = std::max(largest, std::abs(value));
    const double ripple = largest * 1e-9;

    std::optional<double> nearest;
    const auto consider = [&](double x) {
        if (x >= from && x <= to &&
            (!nearest || std::abs(x - sampleX) < std::abs(*nearest - sampleX)))
            nearest = x;
    };
    for (std::size_t i = 1; i + 1 < h.size(); ++i) {
        const double x = from + double(i) - 1;
        const bool peak = h[i] > h[i - 1] + ripple && h[i] >= h[i + 1] - ripple;
        const bool trough = h[i] < h[i - 1] - ripple && h[i] <= h[i + 1] + ripple;
        if (peak || (trough && feature == Feature::ExtremumOrZero))
            consider(x);
        if (feature != Feature::ExtremumOrZero)
            continue;
        // A crossing lies at the sample nearer to zero, or on one that is exactly zero.
        if (h[i] == 0 && h[i - 1] * h[i + 1] < 0)
            consider(x);
        if (h[i] * h[i + 1] < 0)
            consider(std::abs(h[i]) <= std::abs(h[i + 1]) ? x : x + 1);
    }
    return nearest;
}

QList<ReadoutLine> readout(const PictureRecord &record, double sampleX, const Callipers &callipers,
                           int pitchHz)
{
    QList<ReadoutLine> lines{{timeLine(QStringLiteral("t"), timeAt(sampleX), pitchHz), TextColour}};
    for (const DrawnCurve *curve : latestOfEachColour(record))
        lines.append({curveLine(*curve, sampleX), curve->colour});
    addCalliperLines(lines, record, callipers, pitchHz);
    return lines;
}

QString beatText(double rate, int pitchHz)
{
    return QStringLiteral("rázy |f1 − f2| = %1 (%2 za sekundu)")
        .arg(numberText(rate), numberText(rate * pitchHz));
}

} // namespace Measure
