#include "oscillation.h"

namespace {

// Texts reach here after the numeric test, or as written by the program itself, where an
// overflowed value reads "inf" and must stay infinite rather than become a plausible number.
double numberOf(const QString &text, const NumberText &numbers)
{
    return numbers.toValue(text);
}

} // namespace

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
    return {numberOf(texts.frequency, numbers), numberOf(texts.phase, numbers),
            numberOf(texts.amplitude, numbers)};
}

bool amplitudeExceedsPlot(const QString &amplitudeText, double axisY, const NumberText &numbers)
{
    // Signed and strict: a negative amplitude never warns, and one exactly at the edge fits.
    return numberOf(amplitudeText, numbers) * UnitsPerAmplitude > axisY;
}

QString phaseToRadians(const QString &degreesText, double piApprox, const NumberText &numbers)
{
    return numbers.toText(numberOf(degreesText, numbers) / 180 * piApprox);
}

QString frequencyToTenths(const QString &frequencyText, const NumberText &numbers)
{
    return numbers.toText(NumberText::roundHalfToEven(numberOf(frequencyText, numbers) * 10) / 10);
}
