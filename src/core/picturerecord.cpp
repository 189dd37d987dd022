// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturerecord.h"

double DrawnCurve::ordinateAt(double sampleX) const
{
    const auto curveOf = [this](std::size_t k) { return oscillations[k].curve(piApprox); };
    if (!isSuperposition())
        return ordinateOf<1>({curveOf(0)}, axisY, sampleX);
    return ordinateOf<3>({curveOf(0), curveOf(1), curveOf(2)}, axisY, sampleX);
}
