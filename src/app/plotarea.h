// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "plotsurface.h"

#include <QWidget>

class QMenu;

// Marks drawn over the picture, never into it: on screen and in the picture taken out.
class PlotOverlay
{
public:
    virtual ~PlotOverlay() = default;
    virtual bool isShown() const = 0;
    // Paints what lies within the plot area's device pixels given; the painter counts in them.
    virtual void paint(QPainter &painter, const QRect &devicePixels) const = 0;
};

// The widget that shows the plot surface. It keeps the picture by itself: whatever was drawn
// survives the window being covered, minimised or resized, and only a clear erases it.
class PlotArea : public QWidget
{
    Q_OBJECT

public:
    explicit PlotArea(QWidget *parent = nullptr);

    PlotSurface &surface() { return m_surface; }
    const PlotSurface &surface() const { return m_surface; }

    // Fits the surface to the widget's size. A hidden widget hears of a new size only when it
    // is shown, but the window draws its first axis before that.
    void fitSurface();
    // Puts on screen what was drawn on the surface since the last call, and nothing else.
    void showChanges();
    // The picture under a rectangle of the widget, at the screen's device resolution, with the
    // overlay's marks where it shows them.
    QImage picture(const QRect &rect) const;
    void setOverlay(const PlotOverlay *overlay) { m_overlay = overlay; }
    // Repaints the overlay within the device pixels given.
    void updateOverlay(const QRect &devicePixels);
    // The submenus the context menu shows after the widget's own actions.
    void setSubmenus(const QList<QMenu *> &submenus) { m_submenus = submenus; }

signals:
    // Something was drawn or cleared and has been put on screen.
    void pictureChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int largestUsefulSide() const;
    void paintRect(QPainter &painter, const QRect &rect);
    void paintOverlay(QPainter &painter, const QRegion &region) const;
    // Between the widget's logical pixels and the surface's device pixels.
    QRect devicePixelsUnder(const QRect &rect) const;
    QRectF areaOf(const QRect &devicePixels) const;

    PlotSurface m_surface;
    QList<QMenu *> m_submenus;
    const PlotOverlay *m_overlay = nullptr;
};
