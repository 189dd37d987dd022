// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbertext.h"

#include <cmath>
#include <limits>

NumberText::NumberText(const QLocale &locale)
    : m_locale(locale)
{
    m_locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    const QString point = QStringLiteral(".");
    m_acceptsPoint = m_locale.decimalPoint() != point && m_locale.groupSeparator() != point;
}

std::optional<double> NumberText::convert(const QString &text) const
{
    bool ok = false;
    double value = m_locale.toDouble(text, &ok);
    if (!ok && m_acceptsPoint && text.contains(QLatin1Char('.'))) {
        QString withLocalSeparator = text;
        withLocalSeparator.replace(QLatin1Char('.'), m_locale.decimalPoint());
        value = m_locale.toDouble(withLocalSeparator, &ok);
    }
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<double> NumberText::toNumber(const QString &text) const
{
    // The locale's conversion takes "inf" and "nan"; neither is a number a user can plot.
    const std::optional<double> value = convert(text);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

double NumberText::toValue(const QString &text) const
{
    std::optional<double> value = convert(text);
    if (!value)
        value = readOwnSpelling(text);
    return value.value_or(std::numeric_limits<double>::quiet_NaN());
}

std::optional<double> NumberText::readOwnSpelling(const QString &text) const
{
    // Some locales write signs with direction marks, exponents as "×10^" or in their own
    // digits, and their conversion doesn't take that spelling back (Swedish, Arabic, Persian
    // and Urdu among them). Undo the spelling symbol by symbol and read the plain number.
    auto unmarked = [](QString spelling) {
        for (const char16_t mark : {u'\u200e', u'\u200f', u'\u061c'})
            spelling.remove(QChar(mark));
        return spelling;
    };
    QString plain = unmarked(text);
    plain.replace(unmarked(m_locale.exponential()), QStringLiteral("e"));
    plain.replace(unmarked(m_locale.negativeSign()), QStringLiteral("-"));
    plain.replace(unmarked(m_locale.positiveSign()), QStringLiteral("+"));
    plain.replace(m_locale.decimalPoint(), QStringLiteral("."));
    for (int digit = 0; digit <= 9; ++digit)
        plain.replace(m_locale.toString(digit), QString::number(digit));
    bool ok = false;
    const double value = QLocale::c().toDouble(plain, &ok);
    return ok ? std::optional(value) : std::nullopt;
}

QString NumberText::toText(double value) const
{
    QString text = m_locale.toString(value, 'g', 15);
    // Fifteen digits round the very largest doubles up past the largest one, and that text
    // would not read back. A few steps toward zero find the largest that does.
    for (int step = 0; step < 16 && std::isfinite(value) && std::isnan(toValue(text)); ++step) {
        value = std::nextafter(value, 0.0);
        text = m_locale.toString(value, 'g', 15);
    }
    return text;
}

double NumberText::roundHalfToEven(double value)
{
    // nearbyint rounds in the current mode, which the program never changes from the default
    // round-to-nearest, ties-to-even.
    return std::nearbyint(value);
}
