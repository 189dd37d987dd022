// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRgb>

#include <array>

// The colours the plot commands draw in.

// The three input rows: blue, red, and a green darker than the third row's colour key.
inline constexpr std::array<QRgb, 3> RowPlotColours = {qRgb(0, 0, 255), qRgb(255, 0, 0),
                                                       qRgb(102, 153, 51)};

// The time axis, and the superposition's curve: black.
inline constexpr QRgb AxisColour = qRgb(0, 0, 0);
inline constexpr QRgb SuperpositionColour = qRgb(0, 0, 0);
