// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "oscillation.h"

#include <QRgb>

#include <array>
#include <vector>

// The ordinate of a plot at an abscissa, in units (y grows downward): the axis added to the
// first curve's displacement, then the others' in turn. This order is the plot's own: where
// huge amplitudes cancel, the axis has been rounded into the first term.
template <std::size_t N>
inline double ordinateOf(const std::array<Oscillation::Curve, N> &curves, double axisY,
                         double sampleX)
{
    double sampleY = curves[0].displacement(sampleX) + axisY;
    for (std::size_t k = 1; k < N; ++k)
        sampleY += curves[k].displacement(sampleX);
    return sampleY;
}

// One curve on the picture, as it was drawn.
struct DrawnCurve
{
    QRgb colour = 0;
    // The oscillations it sums, as plotted: the frequency rounded to tenths, the phase in
    // radians. One for a row's curve, the three rows for the superposition.
    std::vector<Oscillation> oscillations;
    // What it was drawn with, in units: the pi of the plot, the axis, the plot area's width, and
    // the abscissa past its last sample (it has a sample at every whole x below that).
    double piApprox = PiApproxValue;
    double axisY = 0.0;
    double plotWidth = 0.0;
    double sampledTo = 0.0;

    bool isSuperposition() const { return oscillations.size() > 1; }
    // Its ordinate at an abscissa, in units, computed as the plot computed its samples.
    double ordinateAt(double sampleX) const;
};

// What the picture shows beyond its pixels: every curve drawn since the last clear, in the
// order drawn. The plot commands keep it; whatever reads the picture (measuring) reads this,
// never the pixels.
class PictureRecord
{
public:
    const std::vector<DrawnCurve> &curves() const { return m_curves; }
    void add(DrawnCurve curve) { m_curves.push_back(std::move(curve)); }
    void clear() { m_curves.clear(); }

private:
    std::vector<DrawnCurve> m_curves;
};
