// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "units.h"

#include <QImage>
#include <QRect>
#include <QRgb>
#include <QSize>

#include <algorithm>
#include <limits>
#include <span>
#include <utility>
#include <vector>

// The plot area's picture: an image that keeps what was drawn on it until it is cleared.
//
// Coordinates are in units of 1/1440 inch, 15 to a logical pixel at 96 dpi, with the origin at
// the top-left corner and y growing downward. On a high-density screen the image holds device
// pixels, so a point is one device pixel. The image only ever grows: shrinking the plot area
// and enlarging it again brings the earlier drawing back. Its size is capped, and whatever
// lies outside the current plot area or the cap is not drawn.
class PlotSurface
{
public:
    static constexpr int DefaultMaximumSidePixels = 16384;
    static constexpr QRgb Background = qRgb(255, 255, 255);

    explicit PlotSurface(double devicePixelRatio = 1.0);

    // The plot area's size in units.
    float widthUnits() const { return m_widthUnits; }
    float heightUnits() const { return m_heightUnits; }
    void resize(float widthUnits, float heightUnits);

    double devicePixelRatio() const { return m_devicePixelRatio; }
    void setDevicePixelRatio(double ratio);

    // The largest backing image, in device pixels a side.
    void setMaximumSidePixels(int pixels);
    int maximumSidePixels() const { return m_maximumSidePixels; }

    void clear();
    void setPoint(float x, float y, QRgb colour);
    void drawLine(float x1, float y1, float x2, float y2, QRgb colour);

    // The backing image, larger than the plot area once the area has shrunk.
    const QImage &image() const { return m_image; }
    // The device pixels the plot area covers within the image.
    QSize drawablePixels() const { return m_drawablePixels; }
    // The colour of the device pixel under a point, or the background outside the image.
    QRgb pixelAt(float x, float y) const;
    // The last abscissa, in units, that can still land on a pixel.
    double drawableWidthUnits() const { return m_drawablePixels.width() * m_unitsPerDevicePixel; }

    // A copy of the given device pixels of the drawable area, which knows its density: its
    // device pixel ratio and its dots per inch, 96 times that ratio.
    QImage picture(const QRect &pixels) const;

    // The device pixels drawn on since the last call, as one rectangle of the image (empty if
    // none), so that a screen shows the picture by repainting only that.
    QRect takeChangedPixels() { return std::exchange(m_changedPixels, QRect()); }

    // Sets many points of one colour, with the image's pixels fetched once. Points that are not
    // finite or fall outside the drawable area are skipped. Valid until the surface changes
    // (a debug build asserts that); hand it back with finish() so the surface knows what
    // changed.
    class PointWriter
    {
    public:
        void setPoint(float x, float y)
        {
            Q_ASSERT(isCurrent());
            // A point lands on the pixel that contains it. Truncation is the floor here, as
            // negative positions are rejected first; not-a-number fails every comparison.
            const double column = x / m_unitsPerDevicePixel;
            const double row = y / m_unitsPerDevicePixel;
            if (column >= 0 && column < m_columns && row >= 0 && row < m_rows)
                set(static_cast<qsizetype>(row), static_cast<qsizetype>(column));
        }

        // Sets the points of a curve sampled at every whole unit, (firstX, ordinates[0]),
        // (firstX + 1, ordinates[1]) and so on, each on the pixel setPoint() would choose.
        // An ordinate beyond single precision is not drawn. firstX is a whole number, at least
        // 0.
        void setSamples(double firstX, std::span<const double> ordinates);

    private:
        friend class PlotSurface;

        void set(qsizetype row, qsizetype column)
        {
            m_bits[row * m_stride + column] = m_colour;
            m_top = std::min(m_top, row);
            m_bottom = std::max(m_bottom, row);
        }
        float lowestOrdinateInRow(qsizetype row) const;
        // The surface still has the pixels, column table and drawable area this writer took:
        // a resize or a change of density may have moved or shrunk them.
        bool isCurrent() const;

        qsizetype m_top = std::numeric_limits<qsizetype>::max();
        qsizetype m_bottom = -1;
        QRgb *m_bits = nullptr;
        qsizetype m_stride = 0;
        double m_columns = 0;
        double m_rows = 0;
        double m_unitsPerDevicePixel = UnitsPerPixel;
        const double *m_columnStarts = nullptr;
        QRgb m_colour = 0;
        const PlotSurface *m_surface = nullptr; // None: nothing was drawable.
    };
    PointWriter pointWriter(QRgb colour);
    void finish(const PointWriter &writer);

private:
    void updateDrawable();
    void updateColumnStarts();
    void markChanged(const QRect &pixels);
    void growImageToCover(QSize devicePixels);
    QSize devicePixelsFor(double widthUnits, double heightUnits) const;

    float m_widthUnits = 0;
    float m_heightUnits = 0;
    double m_devicePixelRatio = 1.0;
    double m_unitsPerDevicePixel = UnitsPerPixel;
    int m_maximumSidePixels = DefaultMaximumSidePixels;
    QImage m_image;
    QSize m_drawablePixels;
    QRect m_changedPixels;
    QRect m_drawnPixels; // All drawn on since the last clear.
    // The first whole abscissa in each pixel column, and past the last, at the density they
    // were found for.
    std::vector<double> m_columnStarts;
    double m_columnStartsUnitsPerPixel = 0;
};
