// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary text to NumberText in the C and Czech locales and checks that what it accepts
// is a finite number that survives a trip through toText and back.

#include "numbertext.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Equal to 15 significant digits: toText keeps 15, so anything closer is rounding noise.
bool sameTo15Digits(double a, double b)
{
    if (a == b)
        return true; // Covers both zeros, whatever their signs.
    return std::abs(a - b) <= 1e-14 * std::max(std::abs(a), std::abs(b));
}

// A value written by toText must read back as a number close to it and must not be grouped,
// since grouped text is exactly what toNumber refuses.
void checkRoundTrip(const NumberText &numbers, double value)
{
    const QString text = numbers.toText(value);
    check(!text.contains(numbers.locale().groupSeparator()));
    const std::optional<double> back = numbers.toNumber(text);
    check(back.has_value());
    check(sameTo15Digits(*back, value));
}

void checkText(const NumberText &numbers, const QString &text)
{
    const std::optional<double> value = numbers.toNumber(text);
    check(numbers.isNumber(text) == value.has_value());
    if (!value)
        return;
    check(std::isfinite(*value));
    // toValue is the same conversion without the finiteness test.
    check(numbers.toValue(text) == *value);
    checkRoundTrip(numbers, *value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const NumberText c{QLocale::c()};
    static const NumberText czech{QLocale(QLocale::Czech)};

    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    checkText(c, text);
    checkText(czech, text);

    // Every finite double, not only those a short text spells, has to survive toText.
    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        if (std::isfinite(value)) {
            checkRoundTrip(c, value);
            checkRoundTrip(czech, value);
        }
    }
    return 0;
}
