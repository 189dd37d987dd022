// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

#include <algorithm>

// The part of the plot area the user sees, in the plot area's own logical pixels: what lies
// within the window's client area and above the bottom strip, which covers the plot area's last
// rows. The plot area and the strip are given in the client area's coordinates.
inline QRect visiblePartOfPlotArea(const QRect &plotArea, const QSize &client, int stripTop)
{
    const QRect aboveStrip(0, 0, client.width(), std::min(stripTop, client.height()));
    return (plotArea & aboveStrip).translated(-plotArea.topLeft());
}
