// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "plotsurface.h"

#include <QWidget>

class QMenu;

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
    // The picture under a rectangle of the widget, at the screen's device resolution.
    QImage picture(const QRect &rect) const;
    // The submenus the context menu shows after the widget's own actions.
    void setSubmenus(const QList<QMenu *> &submenus) { m_submenus = submenus; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int largestUsefulSide() const;
    void paintRect(QPainter &painter, const QRect &rect);
    // Between the widget's logical pixels and the surface's device pixels.
    QRect devicePixelsUnder(const QRect &rect) const;
    QRectF areaOf(const QRect &devicePixels) const;

    PlotSurface m_surface;
    QList<QMenu *> m_submenus;
};
