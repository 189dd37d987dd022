#pragma once

#include "plotsurface.h"

#include <QRect>
#include <QRgb>

#include <span>

// The window's controls as designed: kind, name, place and size in units (1/1440 inch, 15 to a
// logical pixel), caption or default text, font and place in the keyboard focus order.
enum class ControlKind { Label, TextField, Button, ColourKey, PlotArea, StatusStrip };
enum class ControlFont { Window, RowTitle, Phase };

struct ControlSpec
{
    const char *name;
    ControlKind kind;
    QRect geometry; // A colour key is a horizontal line: its left end, length and a height of 0.
    const char *text;
    ControlFont font;
    int tabIndex;
    QRgb colour; // Colour keys only.
};

// What assistive technology says of a control beyond its caption: the label that names a text
// field, a name where that label alone would be ambiguous, and what a button does.
struct AccessibleSpec
{
    const char *name;
    const char *label;          // The label naming the control, or nullptr.
    const char *accessibleName; // nullptr: the caption.
    const char *description;    // nullptr: none.
};

namespace ControlTable {

inline constexpr int UnitsPerPixel = static_cast<int>(PlotSurface::UnitsPerPixel);
inline constexpr QSize ClientSize{8760, 6525};
inline constexpr int StatusStripHeight = 255;

std::span<const ControlSpec> controls();
std::span<const AccessibleSpec> accessibility();

} // namespace ControlTable
