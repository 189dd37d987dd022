#include "plotarea.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>

#include <algorithm>
#include <cmath>

PlotArea::PlotArea(QWidget *parent)
    : QWidget(parent)
{
    // The surface takes its size when the widget is laid out or shown, not at the default size
    // every widget starts with.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int PlotArea::largestUsefulSide() const
{
    // Nothing larger than the whole desktop can ever be seen; the surface's own cap bounds the
    // rest, also where the platform knows no screens.
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return PlotSurface::DefaultMaximumSide;
    const QSize desktop = screen->virtualSize() * screen->devicePixelRatio();
    return std::max(desktop.width(), desktop.height());
}

void PlotArea::fitSurface()
{
    m_surface.setDevicePixelRatio(devicePixelRatioF());
    m_surface.setMaximumSide(std::min(largestUsefulSide(), PlotSurface::DefaultMaximumSide));
    m_surface.resize(float(width() * PlotSurface::UnitsPerPixel),
                     float(height() * PlotSurface::UnitsPerPixel));
}

void PlotArea::resizeEvent(QResizeEvent *)
{
    fitSurface();
}

void PlotArea::showChanges()
{
    const QRect changed = m_surface.takeChangedRect();
    if (changed.isEmpty())
        return;
    const double ratio = m_surface.devicePixelRatio();
    update(QRectF(QPointF(changed.topLeft()) / ratio, QSizeF(changed.size()) / ratio)
               .toAlignedRect());
}

void PlotArea::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    for (const QRect &rect : event->region())
        paintRect(painter, rect);
}

void PlotArea::paintRect(QPainter &painter, const QRect &rect)
{
    // The image's device pixels under the rectangle, copied one to one.
    const double ratio = m_surface.devicePixelRatio();
    const QRect drawable(QPoint(0, 0), m_surface.drawableSize());
    const QRect source =
        QRectF(QPointF(rect.topLeft()) * ratio, QSizeF(rect.size()) * ratio).toAlignedRect() &
        drawable;
    // Only where the image falls short, beyond its cap, does the background show.
    const QRect covered(0, 0, int(drawable.width() / ratio), int(drawable.height() / ratio));
    for (const QRect &uncovered : QRegion(rect) - covered)
        painter.fillRect(uncovered, QColor(PlotSurface::Background));
    if (!source.isEmpty())
        painter.drawImage(QRectF(QPointF(source.topLeft()) / ratio, QSizeF(source.size()) / ratio),
                          m_surface.image(), source);
}
