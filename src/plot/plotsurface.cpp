#include "plotsurface.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// Growing in steps spares a reallocation for every pixel the user drags the frame by.
constexpr int GrowthStep = 256;

int roundUpToStep(int pixels)
{
    return (pixels + GrowthStep - 1) / GrowthStep * GrowthStep;
}

// Device pixels needed to cover a length in units, within [0, limit].
int coveringPixels(double units, double unitsPerDevicePixel, int limit)
{
    const double pixels = std::ceil(units / unitsPerDevicePixel);
    if (!(pixels > 0))
        return 0;
    return pixels >= limit ? limit : static_cast<int>(pixels);
}

} // namespace

PlotSurface::PlotSurface(double devicePixelRatio)
{
    setDevicePixelRatio(devicePixelRatio);
}

void PlotSurface::resize(float widthUnits, float heightUnits)
{
    m_width = std::isfinite(widthUnits) ? std::max(widthUnits, 0.0f) : 0.0f;
    m_height = std::isfinite(heightUnits) ? std::max(heightUnits, 0.0f) : 0.0f;
    updateDrawable();
}

void PlotSurface::setDevicePixelRatio(double ratio)
{
    if (!(ratio > 0) || !std::isfinite(ratio))
        ratio = 1.0;
    if (ratio == m_devicePixelRatio && !m_image.isNull())
        return;
    // Keep the picture at its new density rather than lose it. Shrinking blends, so that
    // one-pixel curves fade a little instead of vanishing.
    if (!m_image.isNull()) {
        const QSize scaled = m_image.size() * (ratio / m_devicePixelRatio);
        m_image = m_image.scaled(
            scaled.boundedTo(QSize(m_maximumSide, m_maximumSide)), Qt::IgnoreAspectRatio,
            ratio < m_devicePixelRatio ? Qt::SmoothTransformation : Qt::FastTransformation);
        m_image.convertTo(QImage::Format_RGB32);
        m_drawn = m_image.rect();
    }
    m_devicePixelRatio = ratio;
    m_unitsPerDevicePixel = UnitsPerPixel / ratio;
    updateDrawable();
}

void PlotSurface::setMaximumSide(int pixels)
{
    m_maximumSide = std::clamp(pixels, 1, DefaultMaximumSide);
    updateDrawable();
}

QSize PlotSurface::devicePixelsFor(double widthUnits, double heightUnits) const
{
    return {coveringPixels(widthUnits, m_unitsPerDevicePixel, m_maximumSide),
            coveringPixels(heightUnits, m_unitsPerDevicePixel, m_maximumSide)};
}

void PlotSurface::updateDrawable()
{
    const QSize wanted = devicePixelsFor(m_width, m_height);
    if (m_image.width() < wanted.width() || m_image.height() < wanted.height())
        growImageToCover(wanted);
    m_drawable = wanted.boundedTo(m_image.size());
}

void PlotSurface::growImageToCover(QSize devicePixels)
{
    // The first image is just the size asked for, which keeps start-up light; once the window
    // grows, it grows in steps.
    const bool first = m_image.isNull();
    auto side = [&](int wanted, int current) {
        return std::min(std::max(first ? wanted : roundUpToStep(wanted), current), m_maximumSide);
    };
    const QSize size(side(devicePixels.width(), m_image.width()),
                     side(devicePixels.height(), m_image.height()));
    QImage grown(size, QImage::Format_RGB32);
    if (grown.isNull())
        return; // Out of memory: keep drawing on what we have.
    grown.fill(Background);
    if (!m_image.isNull()) {
        QPainter painter(&grown);
        painter.drawImage(0, 0, m_image);
    }
    m_image = std::move(grown);
}

void PlotSurface::clear()
{
    // Only what was drawn since the last clear differs from the background; on a large screen
    // that is a band of rows, far less to erase and to show than the whole area.
    const QRect erased = std::exchange(m_drawn, QRect()) & m_image.rect();
    for (int y = erased.top(); y <= erased.bottom(); ++y)
        std::fill_n(reinterpret_cast<QRgb *>(m_image.scanLine(y)) + erased.left(), erased.width(),
                    Background);
    m_changed |= erased;
}

void PlotSurface::setPoint(float x, float y, QRgb colour)
{
    PointWriter writer = pointWriter(colour);
    writer.setPoint(x, y);
    finish(writer);
}

void PlotSurface::finish(const PointWriter &writer)
{
    // The rows the points fell on, across the whole width: a curve spans the width anyway.
    if (writer.m_top <= writer.m_bottom)
        markChanged(QRect(0, int(writer.m_top), m_drawable.width(),
                          int(writer.m_bottom - writer.m_top + 1)));
}

void PlotSurface::markChanged(const QRect &pixels)
{
    m_changed |= pixels;
    m_drawn |= pixels;
}

PlotSurface::PointWriter PlotSurface::pointWriter(QRgb colour)
{
    PointWriter writer;
    if (m_image.isNull())
        return writer; // Nothing drawable: every point falls outside.
    writer.m_bits = reinterpret_cast<QRgb *>(m_image.bits());
    writer.m_stride = m_image.bytesPerLine() / qsizetype(sizeof(QRgb));
    writer.m_columns = m_drawable.width();
    writer.m_rows = m_drawable.height();
    writer.m_unitsPerDevicePixel = m_unitsPerDevicePixel;
    writer.m_colour = colour;
    return writer;
}

void PlotSurface::drawLine(float x1, float y1, float x2, float y2, QRgb colour)
{
    if (m_image.isNull() || m_drawable.isEmpty())
        return;
    // Far-off end points are brought within a margin of the image first, so pixel positions stay
    // well inside integer range; only horizontal and vertical lines keep their course exactly.
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return;
    const double margin = 2.0 * std::max(m_image.width(), m_image.height());
    auto toPixel = [&](float units) {
        return static_cast<int>(
            std::clamp(std::floor(units / m_unitsPerDevicePixel), -margin, margin));
    };
    const QPoint from(toPixel(x1), toPixel(y1));
    const QPoint to(toPixel(x2), toPixel(y2));
    const QRect drawable(QPoint(0, 0), m_drawable);
    QPainter painter(&m_image);
    painter.setClipRect(drawable);
    painter.setPen(QPen(QColor(colour), 1));
    painter.drawLine(from, to);
    // A one-pixel line stays within its end points' pixels.
    markChanged(QRect(from, to).normalized() & drawable);
}

QImage PlotSurface::picture(const QRect &pixels) const
{
    const QRect taken = pixels & QRect(QPoint(0, 0), m_drawable);
    if (taken.isEmpty())
        return {}; // A null rectangle would copy the whole image.
    QImage picture = m_image.copy(taken);
    picture.setDevicePixelRatio(m_devicePixelRatio);
    constexpr double InchesPerMetre = 1 / 0.0254;
    const int dotsPerMetre = qRound(96 * m_devicePixelRatio * InchesPerMetre);
    picture.setDotsPerMeterX(dotsPerMetre);
    picture.setDotsPerMeterY(dotsPerMetre);
    return picture;
}

QRgb PlotSurface::pixelAt(float x, float y) const
{
    const double column = std::floor(x / m_unitsPerDevicePixel);
    const double row = std::floor(y / m_unitsPerDevicePixel);
    if (!(column >= 0 && column < m_image.width() && row >= 0 && row < m_image.height()))
        return Background;
    return m_image.pixel(static_cast<int>(column), static_cast<int>(row));
}
