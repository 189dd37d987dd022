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

void PlotArea::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(PlotSurface::Background));
    const QSize pixels = m_surface.drawableSize();
    const double ratio = m_surface.devicePixelRatio();
    const QRectF shown(0, 0, pixels.width() / ratio, pixels.height() / ratio);
    painter.drawImage(shown, m_surface.image(), QRectF(QPointF(0, 0), QSizeF(pixels)));
}
