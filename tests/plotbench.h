// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "plotter.h"

#include <QLocale>
#include <QString>
#include <QStringList>

// The plot area of the design, in units.
inline constexpr float DesignWidthUnits = 8775;
inline constexpr float DesignHeightUnits = 4335;

// A plot area's surface and the plot commands over it, as the window has them, with the
// messages the commands show recorded instead of shown. Numbers are read in the C locale
// unless told otherwise.
struct PlotBench
{
    explicit PlotBench(float widthUnits = DesignWidthUnits, float heightUnits = DesignHeightUnits,
                       double devicePixelRatio = 1.0, const QLocale &locale = QLocale::c())
        : surface(devicePixelRatio)
        , plotter(surface, NumberText(locale))
    {
        surface.resize(widthUnits, heightUnits);
        plotter.setMessageHandler([this](const QString &text) { messages << text; });
    }
    // The message handler holds on to this bench.
    PlotBench(const PlotBench &) = delete;
    PlotBench &operator=(const PlotBench &) = delete;

    PlotSurface surface;
    Plotter plotter;
    QStringList messages;
};
