// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QString>

#include <optional>

// Turns what the user typed into numbers and numbers back into text, in the user's locale.
//
// A text is a number when the locale's conversion accepts it and the value is finite. Digit
// grouping is never accepted, so "1,5" can't silently become 15 where the comma groups digits.
// Where the locale's decimal separator is not the point and the point doesn't group digits
// (Czech, for one), a point is accepted as the decimal separator too, since numbers are often
// pasted from texts written with a point.
class NumberText
{
public:
    explicit NumberText(const QLocale &locale = QLocale());

    const QLocale &locale() const { return m_locale; }

    // The value of a text that is a number; nothing for any other text.
    std::optional<double> toNumber(const QString &text) const;
    bool isNumber(const QString &text) const { return toNumber(text).has_value(); }

    // The value of a text that is a number, as typed or as toText() wrote it. Unlike toNumber(),
    // it also reads an overflow as toText() writes it ("inf") and the locale's own spelling of
    // a number, which its conversion may not read back. Not-a-number for a text that doesn't
    // convert at all.
    double toValue(const QString &text) const;

    // The shortest text with at most 15 significant digits, without grouping. It parses back
    // to the same value to 15 significant digits.
    QString toText(double value) const;

    // Nearest whole number, an exact half going to the even neighbour.
    static double roundHalfToEven(double value);

private:
    std::optional<double> convert(const QString &text) const;
    std::optional<double> readOwnSpelling(const QString &text) const;

    QLocale m_locale;
    bool m_acceptsPoint = false;
};
