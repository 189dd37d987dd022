// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "numbertext.h"

#include <QString>

#include <cmath>

// The plot uses 3.1415, not pi. With a whole number of tenths for the frequency and whole
// units for the abscissa, exact pi would put every sample at a whole number of periods and
// flatten every curve into a line; 3.1415 leaves a small slip per sample, and that slip is the
// slow wave the user sees.
inline constexpr double PiApproxValue = 3.1415;

// One amplitude step is ten units of plot height.
inline constexpr double UnitsPerAmplitude = 10.0;

// A row's three texts: as typed, and after preparation the frequency rounded to tenths and the
// phase in radians.
struct OscillationTexts
{
    // What the user is told when areNumbers() is false, by the plot and the sound alike.
    static inline const QString NotANumberMessage = QStringLiteral("Zadaná hodnota není číslo");

    QString frequency;
    QString phase;
    QString amplitude;

    bool areNumbers(const NumberText &numbers) const;
};

// A prepared row's values, as the sampling loop uses them.
struct Oscillation
{
    double frequency = 0.0;
    double phase = 0.0;
    double amplitude = 0.0;

    static Oscillation fromTexts(const OscillationTexts &texts, const NumberText &numbers);

    // The curve's height below the axis as a function of the abscissa, in units (y grows
    // downward), with the products that don't depend on the abscissa formed once.
    struct Curve
    {
        double angularStep; // frequency * (piApprox * 20)
        double phase;
        double height; // amplitude * UnitsPerAmplitude

        double displacement(double sampleX) const
        {
            return height * std::sin(angularStep * sampleX - phase);
        }
    };
    Curve curve(double piApprox) const
    {
        return {frequency * (piApprox * 20), phase, amplitude * UnitsPerAmplitude};
    }

    // Height of the curve below the axis at one abscissa.
    double displacement(double piApprox, double sampleX) const
    {
        return curve(piApprox).displacement(sampleX);
    }
};

// The steps each plot command applies to a row's texts once they are known to be numbers. A
// text the program wrote itself may read "inf" after an overflow; it stays infinite, so its
// samples are skipped rather than drawn as a plausible number.
bool amplitudeExceedsPlot(const QString &amplitudeText, double axisY, const NumberText &numbers);
QString phaseToRadians(const QString &degreesText, double piApprox, const NumberText &numbers);
QString roundFrequencyToTenths(const QString &frequencyText, const NumberText &numbers);
