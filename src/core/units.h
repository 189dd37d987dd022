// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window was designed in units of 1/1440 inch, and its lengths still are: 15 units to a
// logical pixel at 96 dpi.
inline constexpr int UnitsPerPixel = 15;
