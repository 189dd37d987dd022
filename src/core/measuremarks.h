// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measurement.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QRect>

#include <array>
#include <optional>

class QPainter;

// What measuring draws over the picture, never into it: the dashed envelope of the sum with its
// label, the callipers A and B, the cursor and the readout. Everything counts in the plot
// area's device pixels. The same painting serves the screen and the picture taken out, and a
// part painted alone equals that part of the whole, so that repainting only what changed
// leaves the screen as a full repaint would.
struct MeasureMarks
{
    QRect area; // The part of the plot area the user sees.
    double devicePixelRatio = 1;
    std::optional<int> cursor;                 // Its pixel column.
    std::array<std::optional<int>, 2> markers; // The pixel columns of A and B.
    std::optional<DrawnCurve> envelopeOf;      // The sum whose envelope is drawn.
    QString envelopeLabel;
    QList<Measure::ReadoutLine> readout; // None: no readout.
    Qt::Corner readoutCorner = Qt::TopRightCorner;
    Qt::Corner labelCorner = Qt::TopLeftCorner;

    // Large enough to read from the back of a classroom on a projected window, and growing
    // with the plot area.
    QFont font() const;
    // The size of a box holding these lines.
    QSize boxSize(const QList<Measure::ReadoutLine> &lines) const;

    // What each part covers, for repainting it.
    QRect cursorBounds() const;
    QRect markerBounds() const;
    QRect readoutBounds() const;
    QRect labelBounds() const;

    // Paints what lies within pixels; the painter counts in device pixels.
    void paint(QPainter &painter, const QRect &pixels) const;

    // The corners of the area from the one where a box of that size would hide the fewest
    // pixels drawn on the picture to the one where it would hide the most.
    QList<Qt::Corner> cornersByQuiet(const QImage &picture, const QSize &box) const;

private:
    int logicalPixels(double pixels) const;
    QRect boxAt(Qt::Corner corner, const QSize &size) const;
    QRect markerLabelRect(int marker) const;
    void paintEnvelope(QPainter &painter, const QRect &pixels) const;
    void paintMarkers(QPainter &painter) const;
    void paintBox(QPainter &painter, const QRect &box,
                  const QList<Measure::ReadoutLine> &lines) const;
};
