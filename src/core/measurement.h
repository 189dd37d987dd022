// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "picturerecord.h"

#include <QList>
#include <QRgb>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Measuring on the picture: its time unit, what each curve on it shows at a point in time, the
// envelope of the sum, where a marker snaps to and the numbers as the user reads them. Every
// reading comes from the picture's record, at a whole abscissa and by the plot's own formula,
// so that it is the value plotted there.
namespace Measure {

// The colours of what measuring adds: the readout's time, the callipers, the cursor and the
// envelope of the sum (an orange dark enough to read as text on white).
inline constexpr QRgb TextColour = qRgb(0, 0, 0);
inline constexpr QRgb MarkerColour = qRgb(128, 0, 128);
inline constexpr QRgb CursorColour = qRgb(80, 80, 80);
inline constexpr QRgb EnvelopeColour = qRgb(200, 80, 0);

// One time unit is one period of frequency 1, so that a typed frequency counts oscillations per
// time unit. The plot samples sin(f·20·PiApprox·x − φ) at whole x; 10·f being a whole number,
// that is sin(−(2π·f·t + φ)) with t = x·20·(π − PiApprox)/(2π): the slip of 3.1415 against π
// makes about 3390.7 units (226 pixels) one time unit.
double unitsPerTimeUnit();
inline double timeAt(double sampleX)
{
    return sampleX / unitsPerTimeUnit();
}

// A curve's height above its axis at a whole abscissa, in the amplitude's own unit (y_m), from
// the plot's own ordinate. Defined beyond the curve's samples too, where it was not drawn.
double heightAt(const DrawnCurve &curve, double sampleX);
// The same where the curve has a sample and its value is finite.
std::optional<double> valueAt(const DrawnCurve &curve, double sampleX);
// The envelope |Σ yₖ·e^{i(2π·fₖ·t + φₖ)}|, from the plot's own angles, so that it touches the
// curve where the curve reaches it.
double envelopeAt(const DrawnCurve &curve, double sampleX);
// |f₁ − f₂| where exactly two of the curve's oscillations have a non-zero amplitude and differ
// in frequency: how often their sum swells and fades per time unit.
std::optional<double> beatRate(const DrawnCurve &curve);

// The curves a reading lists: of each colour the one drawn last, in the order drawn.
std::vector<const DrawnCurve *> latestOfEachColour(const PictureRecord &record);
// The superposition drawn last, or none.
const DrawnCurve *latestSuperposition(const PictureRecord &record);

enum class Feature {
    ExtremumOrZero, // A peak, a trough or a zero crossing, of a curve.
    Maximum,        // A maximum, of an envelope.
};
// The whole abscissa nearest to sampleX, at most reach from it and from first to last, where
// height has the feature; none if there is none there. A feature at first or last counts where
// height, continued beyond them, has it there.
std::optional<double> snap(const std::function<double(double)> &height, Feature feature,
                           double sampleX, double reach, double first, double last);

struct ReadoutLine
{
    QString text;
    QRgb colour;
};

// The two callipers' abscissae, marker A and marker B.
struct Callipers
{
    std::optional<double> a;
    std::optional<double> b;
};

// What the readout says at a whole abscissa: the time in time units and, at the pitch that
// frequency 1 sounds at, in milliseconds; the value of each curve in its colour, with the sum's
// envelope; and with both callipers set, Δt, 1/Δt and the difference of the sum's values.
QList<ReadoutLine> readout(const PictureRecord &record, double sampleX, const Callipers &callipers,
                           int pitchHz);
// The envelope's label: the beat rate per time unit and per second.
QString beatText(double rate, int pitchHz);

} // namespace Measure
