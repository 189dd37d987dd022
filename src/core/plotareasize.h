// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "units.h"

#include <QMargins>
#include <QSize>

// How the plot area follows the window: it is the window's outer size, frame and caption bar
// included, less fixed margins.
namespace PlotAreaSize {

// The frame the margins were made for, in units: 60 at the left, right and bottom, 345 at the
// top with the caption bar.
inline constexpr QMargins DesignFrame{60, 345, 60, 60};
// What the plot area leaves of the window's outer size, in units.
inline constexpr QSize Margins{135, 2535};

// The frame to count, in pixels. A frame without a caption bar is no frame the margins were
// made for: none at all (no window manager, some Wayland compositors) or a bare border
// (offscreen). The designed frame then stands in, so the plot area sits as designed.
inline QMargins frameToCount(const QMargins &reported)
{
    return reported.top() > reported.bottom() ? reported : DesignFrame / UnitsPerPixel;
}

// The plot area's size in pixels for a client area and the frame counted around it, both in
// pixels. Below the margins the plot area is empty, never negative.
inline QSize forWindow(const QSize &client, const QMargins &frame)
{
    const QSize outerInUnits = client.grownBy(frame) * UnitsPerPixel;
    return (outerInUnits - Margins).expandedTo(QSize(0, 0)) / UnitsPerPixel;
}

} // namespace PlotAreaSize
