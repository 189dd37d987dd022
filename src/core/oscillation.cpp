// SPDX-License-Identifier: GPL-3.0-or-later
#include "oscillation.h"

bool OscillationTexts::areNumbers(const NumberText &numbers) const
{
    // All three are tested, whatever the first says.
    const bool frequencyOk = numbers.isNumber(frequency);
    const bool phaseOk = numbers.isNumber(phase);
    const bool amplitudeOk = numbers.isNumber(amplitude);
    return frequencyOk && phaseOk && amplitudeOk;
}

Oscillation Oscillation::fromTexts(const OscillationTexts &texts, const NumberText &numbers)
{
    return {numbers.toValue(texts.frequency), numbers.toValue(texts.phase),
            numbers.toValue(texts.amplitude)};
}

bool amplitudeExceedsPlot(const QString &amplitudeText, double axisY, const NumberText &numbers)
{
    // Signed and strict: a negative amplitude never warns, and one exactly at the edge fits.
    return numbers.toValue(amplitudeText) * UnitsPerAmplitude > axisY;
}

QString phaseToRadians(const QString &degreesText, double piApprox, const NumberText &numbers)
{
    return numbers.toText(numbers.toValue(degreesText) / 180 * piApprox);
}

QString roundFrequencyToTenths(const QString &frequencyText, const NumberText &numbers)
{
    return numbers.toText(NumberText::roundHalfToEven(numbers.toValue(frequencyText) * 10) / 10);
}
