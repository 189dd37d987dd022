// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "measuremarks.h"
#include "plotarea.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QKeyEvent;

// The plot area's menu "Měření": a cursor that reads every curve on the picture, callipers for
// periods and beats, and the envelope of the sum, drawn over the picture, never into it. With
// both off, the plot area is exactly as without them.
class MeasureActions : public QObject, private PlotOverlay
{
    Q_OBJECT

public:
    struct Parts
    {
        QAction *measure;  // "Měřit", checkable.
        QAction *envelope; // "Obálka složení", checkable.
        // The sound's pitches, the checked one with the hertz frequency 1 sounds at as its data.
        std::array<QAction *, 4> pitches;
        PlotArea *area;
        // The part of the plot area the user sees, in its own logical pixels.
        std::function<QRect()> visibleArea;
        // Esc stops a playing sound first; only then does it end measuring.
        std::function<bool()> soundIsPlaying;
    };

    MeasureActions(const Parts &parts, const PictureRecord &record, QObject *parent = nullptr);
    ~MeasureActions() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What a marker snaps to: a curve's peaks, troughs and zero crossings, or the envelope's
    // maxima, from the first abscissa up to last.
    struct SnapTarget
    {
        std::function<double(double)> height;
        Measure::Feature feature;
        double last;
    };

    bool isShown() const override;
    void paint(QPainter &painter, const QRect &devicePixels) const override;

    bool isMeasuring() const;
    void setMeasuring(bool on);
    void pictureChanged();
    void lookAgain();
    void placeBoxes();
    void refreshReadout();
    void announce();

    bool keyPressed(const QKeyEvent &key);
    void pointerMoved(QPointF position);
    void moveCursorTo(int column);
    void setMarker(bool snapping);
    std::optional<SnapTarget> snapTarget() const;

    int pitchHz() const;
    double unitsPerDevicePixel() const;
    double sampleXAt(int column) const;
    int columnOf(double sampleX) const;
    int withinArea(int column) const;

    Parts m_parts;
    const PictureRecord &m_record;
    MeasureMarks m_marks;
    Measure::Callipers m_callipers;
    bool m_nextIsB = false;
    std::optional<double> m_pointerY; // In units; none when the keyboard moved the cursor last.
    QString m_description;            // The plot area's own, while measuring speaks instead.
    QPointer<PlotArea> m_overlaid;
};
