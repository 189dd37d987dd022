// SPDX-License-Identifier: GPL-3.0-or-later
#include "measuremarks.h"

#include "plotsurface.h"
#include "units.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr QRgb BoxColour = qRgb(255, 255, 255);
constexpr QRgb BoxBorderColour = qRgb(150, 150, 150);
// The envelope's dashes, in logical pixels.
constexpr int DashOn = 7;
constexpr int DashPeriod = 12;

const QStringList MarkerNames = {QStringLiteral("A"), QStringLiteral("B")};

} // namespace

int MeasureMarks::logicalPixels(double pixels) const
{
    return std::max(1, int(std::lround(pixels * devicePixelRatio)));
}

QFont MeasureMarks::font() const
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setBold(true);
    const double logicalHeight = area.height() / devicePixelRatio;
    font.setPixelSize(logicalPixels(std::clamp(logicalHeight / 20, 14.0, 32.0)));
    // Greyscale smoothing looks the same on every surface: the screen and the picture taken out.
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    return font;
}

QSize MeasureMarks::boxSize(const QList<Measure::ReadoutLine> &lines) const
{
    if (lines.isEmpty())
        return {};
    const QFontMetrics metrics(font());
    int width = 0;
    for (const Measure::ReadoutLine &line : lines)
        width = std::max(width, metrics.horizontalAdvance(line.text));
    const int padding = metrics.height() / 3;
    return {width + 2 * padding, int(lines.size()) * metrics.height() + 2 * padding};
}

QRect MeasureMarks::boxAt(Qt::Corner corner, const QSize &size) const
{
    if (size.isEmpty())
        return {};
    const int margin = logicalPixels(4);
    const bool left = corner == Qt::TopLeftCorner || corner == Qt::BottomLeftCorner;
    const bool top = corner == Qt::TopLeftCorner || corner == Qt::TopRightCorner;
    const int x = left ? area.left() + margin : area.right() + 1 - margin - size.width();
    const int y = top ? area.top() + margin : area.bottom() + 1 - margin - size.height();
    return {QPoint(x, y), size};
}

QRect MeasureMarks::cursorBounds() const
{
    if (!cursor)
        return {};
    return QRect(*cursor, area.top(), logicalPixels(1), area.height());
}

QRect MeasureMarks::markerLabelRect(int marker) const
{
    const QFontMetrics metrics(font());
    const int gap = logicalPixels(3);
    const int width = metrics.horizontalAdvance(MarkerNames[marker]);
    const int column = *markers[std::size_t(marker)];
    // At the foot of its line, where the boxes seldom are; to the right of it unless it would
    // leave the area there.
    int x = column + logicalPixels(2) + gap;
    if (x + width > area.right())
        x = column - gap - width;
    return {x, area.bottom() + 1 - gap - metrics.height(), width, metrics.height()};
}

QRect MeasureMarks::markerBounds() const
{
    QRect bounds;
    for (int marker = 0; marker < 2; ++marker) {
        if (!markers[std::size_t(marker)])
            continue;
        bounds |= QRect(*markers[std::size_t(marker)], area.top(), logicalPixels(2), area.height());
        bounds |= markerLabelRect(marker);
    }
    return bounds;
}

QRect MeasureMarks::readoutBounds() const
{
    return boxAt(readoutCorner, boxSize(readout));
}

QRect MeasureMarks::labelBounds() const
{
    if (!envelopeOf || envelopeLabel.isEmpty())
        return {};
    return boxAt(labelCorner, boxSize({{envelopeLabel, Measure::EnvelopeColour}}));
}

void MeasureMarks::paint(QPainter &painter, const QRect &pixels) const
{
    const QRect within = pixels & area;
    if (within.isEmpty())
        return;
    painter.save();
    painter.setClipRect(within, Qt::IntersectClip);
    if (envelopeOf)
        paintEnvelope(painter, within);
    paintMarkers(painter);
    if (cursor)
        painter.fillRect(cursorBounds(), QColor(Measure::CursorColour));
    if (const QRect label = labelBounds(); label.intersects(within))
        paintBox(painter, label, {{envelopeLabel, Measure::EnvelopeColour}});
    if (const QRect box = readoutBounds(); box.intersects(within))
        paintBox(painter, box, readout);
    painter.restore();
}

void MeasureMarks::paintEnvelope(QPainter &painter, const QRect &pixels) const
{
    const DrawnCurve &sum = *envelopeOf;
    const double unitsPerPixel = UnitsPerPixel / devicePixelRatio;
    const int thickness = logicalPixels(2);
    // The rows of the envelope's two branches in a column, at the column's first sample, kept
    // within reach of the area so that a huge envelope stays a number of pixels.
    const auto rowsAt = [&](int column) {
        const double height = Measure::envelopeAt(sum, std::ceil(column * unitsPerPixel)) *
                              UnitsPerAmplitude / unitsPerPixel;
        const double axis = sum.axisY / unitsPerPixel;
        const auto clamped = [&](double row) {
            return int(std::floor(std::clamp(row, area.top() - 1.0, area.bottom() + 1.0)));
        };
        return std::array{clamped(axis - height), clamped(axis + height)};
    };
    const QColor colour(Measure::EnvelopeColour);
    for (int column = pixels.left(); column <= pixels.right(); ++column) {
        if (std::ceil(column * unitsPerPixel) >= sum.sampledTo)
            break;
        // Dashes counted from the area's left edge, so that any part is painted as in the whole.
        if (int(std::floor(column / devicePixelRatio)) % DashPeriod >= DashOn)
            continue;
        // Joined to the previous column, so that steep stretches stay a line.
        const auto here = rowsAt(column);
        const auto before = column > 0 ? rowsAt(column - 1) : here;
        for (std::size_t branch = 0; branch < 2; ++branch) {
            const int top = std::min(here[branch], before[branch]);
            const int bottom = std::max(here[branch], before[branch]) + thickness - 1;
            painter.fillRect(QRect(column, top, 1, bottom - top + 1), colour);
        }
    }
}

void MeasureMarks::paintMarkers(QPainter &painter) const
{
    if (!markers[0] && !markers[1])
        return;
    const QColor colour(Measure::MarkerColour);
    const int width = logicalPixels(2);
    if (markers[0] && markers[1]) {
        // The interval measured, as a bar between the two lines above their names.
        const int left = std::min(*markers[0], *markers[1]);
        const int right = std::max(*markers[0], *markers[1]);
        const int y = markerLabelRect(0).top() - logicalPixels(3) - width;
        painter.fillRect(QRect(left, y, right - left + width, width), colour);
    }
    painter.setFont(font());
    painter.setPen(colour);
    const QFontMetrics metrics(font());
    for (int marker = 0; marker < 2; ++marker) {
        if (!markers[std::size_t(marker)])
            continue;
        painter.fillRect(QRect(*markers[std::size_t(marker)], area.top(), width, area.height()),
                         colour);
        const QRect label = markerLabelRect(marker);
        painter.drawText(label.left(), label.top() + metrics.ascent(), MarkerNames[marker]);
    }
}

void MeasureMarks::paintBox(QPainter &painter, const QRect &box,
                            const QList<Measure::ReadoutLine> &lines) const
{
    painter.fillRect(box, QColor(BoxColour));
    const int border = logicalPixels(1);
    const QColor borderColour(BoxBorderColour);
    painter.fillRect(QRect(box.left(), box.top(), box.width(), border), borderColour);
    painter.fillRect(QRect(box.left(), box.bottom() + 1 - border, box.width(), border),
                     borderColour);
    painter.fillRect(QRect(box.left(), box.top(), border, box.height()), borderColour);
    painter.fillRect(QRect(box.right() + 1 - border, box.top(), border, box.height()),
                     borderColour);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    const int padding = metrics.height() / 3;
    int baseline = box.top() + padding + metrics.ascent();
    for (const Measure::ReadoutLine &line : lines) {
        painter.setPen(QColor(line.colour));
        painter.drawText(box.left() + padding, baseline, line.text);
        baseline += metrics.height();
    }
}

QList<Qt::Corner> MeasureMarks::cornersByQuiet(const QImage &picture, const QSize &box) const
{
    QList<Qt::Corner> corners = {Qt::TopRightCorner, Qt::TopLeftCorner, Qt::BottomRightCorner,
                                 Qt::BottomLeftCorner};
    const auto drawnUnder = [&](Qt::Corner corner) {
        const QRect under = boxAt(corner, box) & picture.rect();
        qsizetype count = 0;
        for (int y = under.top(); y <= under.bottom(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
            count += std::count_if(line + under.left(), line + under.right() + 1, [](QRgb pixel) {
                return (pixel & RGB_MASK) != (PlotSurface::Background & RGB_MASK);
            });
        }
        return count;
    };
    std::array<qsizetype, 4> counts{}; // By corner.
    for (Qt::Corner corner : corners)
        counts[std::size_t(corner)] = drawnUnder(corner);
    // Of equally quiet corners, the top right one comes first: the curves start on the left.
    std::stable_sort(corners.begin(), corners.end(), [&](Qt::Corner a, Qt::Corner b) {
        return counts[std::size_t(a)] < counts[std::size_t(b)];
    });
    return corners;
}
