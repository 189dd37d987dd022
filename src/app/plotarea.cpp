// SPDX-License-Identifier: GPL-3.0-or-later
#include "plotarea.h"

#include "units.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPaintEvent>
#include <QScreen>

#include <algorithm>
#include <cmath>

PlotArea::PlotArea(QWidget *parent)
    : QWidget(parent)
{
    // Opaque: the widget paints every pixel itself, the image's and, only where the image ends
    // at its cap, the background, so nothing beneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int PlotArea::largestUsefulSide() const
{
    // Nothing larger than the whole desktop can ever be seen; the surface's own cap bounds the
    // rest, also where the platform knows no screens.
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return PlotSurface::DefaultMaximumSidePixels;
    const QSize desktop = screen->virtualSize() * screen->devicePixelRatio();
    return std::max(desktop.width(), desktop.height());
}

void PlotArea::fitSurface()
{
    m_surface.setDevicePixelRatio(devicePixelRatioF());
    m_surface.setMaximumSidePixels(
        std::min(largestUsefulSide(), PlotSurface::DefaultMaximumSidePixels));
    m_surface.resize(float(width() * UnitsPerPixel), float(height() * UnitsPerPixel));
}

void PlotArea::resizeEvent(QResizeEvent *)
{
    fitSurface();
}

QRect PlotArea::devicePixelsUnder(const QRect &rect) const
{
    const double ratio = m_surface.devicePixelRatio();
    return QRectF(QPointF(rect.topLeft()) * ratio, QSizeF(rect.size()) * ratio).toAlignedRect();
}

QRectF PlotArea::areaOf(const QRect &devicePixels) const
{
    const double ratio = m_surface.devicePixelRatio();
    return {QPointF(devicePixels.topLeft()) / ratio, QSizeF(devicePixels.size()) / ratio};
}

void PlotArea::showChanges()
{
    const QRect changed = m_surface.takeChangedPixels();
    if (!changed.isEmpty())
        update(areaOf(changed).toAlignedRect());
    emit pictureChanged();
}

void PlotArea::updateOverlay(const QRect &devicePixels)
{
    if (!devicePixels.isEmpty())
        update(areaOf(devicePixels).toAlignedRect());
}

QImage PlotArea::picture(const QRect &rect) const
{
    const QRect devicePixels = devicePixelsUnder(rect);
    QImage picture = m_surface.picture(devicePixels);
    if (picture.isNull() || !m_overlay || !m_overlay->isShown())
        return picture;
    // The marks as the screen shows them: painted by the same code, in device pixels.
    QPainter painter(&picture);
    painter.scale(1 / picture.devicePixelRatio(), 1 / picture.devicePixelRatio());
    const QPoint origin =
        (devicePixels & QRect(QPoint(0, 0), m_surface.drawablePixels())).topLeft();
    painter.translate(-origin);
    m_overlay->paint(painter, QRect(origin, picture.size()));
    return picture;
}

void PlotArea::keyPressEvent(QKeyEvent *event)
{
    // The keyboard's ways to the context menu, which Qt leaves to the widget on X11.
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (!menuKey)
        return QWidget::keyPressEvent(event);
    const QPoint centre = rect().center();
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, centre, mapToGlobal(centre));
    QCoreApplication::sendEvent(this, &menu);
}

void PlotArea::contextMenuEvent(QContextMenuEvent *event)
{
    // The plot area's own actions are the picture's, enabled with it; the submenus ("Hodnoty",
    // "Zvuk") follow them.
    QList<QAction *> items = actions();
    for (QMenu *menu : m_submenus)
        items << menu->menuAction();
    QMenu::exec(items, event->globalPos(), nullptr, this);
}

void PlotArea::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    for (const QRect &rect : event->region())
        paintRect(painter, rect);
    if (m_overlay && m_overlay->isShown())
        paintOverlay(painter, event->region());
}

void PlotArea::paintOverlay(QPainter &painter, const QRegion &region) const
{
    // In device pixels, so that each mark lands on the same pixels as in the picture taken out.
    const double ratio = m_surface.devicePixelRatio();
    painter.scale(1 / ratio, 1 / ratio);
    for (const QRect &rect : region)
        m_overlay->paint(painter, devicePixelsUnder(rect));
}

void PlotArea::paintRect(QPainter &painter, const QRect &rect)
{
    // Only where the image falls short, beyond its cap, does the background show; elsewhere
    // the image's device pixels are copied one to one.
    const QRect drawable(QPoint(0, 0), m_surface.drawablePixels());
    const QSizeF extent = areaOf(drawable).size();
    const QRect covered(0, 0, int(extent.width()), int(extent.height())); // Whole pixels only.
    for (const QRect &uncovered : QRegion(rect) - covered)
        painter.fillRect(uncovered, QColor(PlotSurface::Background));
    const QRect source = devicePixelsUnder(rect) & drawable;
    if (!source.isEmpty())
        painter.drawImage(areaOf(source), m_surface.image(), source);
}
