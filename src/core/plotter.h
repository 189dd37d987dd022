// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "colours.h"
#include "numbertext.h"
#include "oscillation.h"
#include "picturerecord.h"
#include "plotsurface.h"

#include <QRgb>
#include <QString>

#include <array>
#include <functional>
#include <span>

// The plot commands, drawing onto a surface: clear, one oscillation, and the superposition of
// all three. Holds the metrics and texts the commands share.
class Plotter
{
public:
    // Shows a message and returns once the user has closed it.
    using MessageHandler = std::function<void(const QString &text)>;

    static inline const QString AmplitudeTooLargeMessage =
        QStringLiteral("Amplituda je větší než je pole grafu.");

    explicit Plotter(PlotSurface &surface, const NumberText &numbers = NumberText());

    void setMessageHandler(MessageHandler handler) { m_showMessage = std::move(handler); }
    PlotSurface &surface() const { return m_surface; }

    // Reads the plot area's size into AxisY and PlotWidth.
    void RefreshPlotMetrics();
    // The time axis across the plot area at AxisY, in black.
    void DrawTimeAxis();

    // "Vymazat grafy": erase everything and draw the axis at the current middle.
    void clearPlot();
    // "Kreslit": one row's oscillation in its colour. False when a text is not a number.
    bool plotOscillation(const OscillationTexts &row, QRgb colour);
    // "Složit": the point-by-point sum of the three rows, in black. False when a text is not a
    // number. Leaves FrequencyText, PhaseText and AmplitudeText alone.
    bool plotSuperposition(const std::array<OscillationTexts, 3> &rows);

    // The curves drawn since the last clear, with the values and metrics each was drawn with.
    const PictureRecord &record() const { return m_record; }

private:
    void showMessage(const QString &text) const;
    // Checks that every text is a number (else shows that and returns false), warns once if
    // any single amplitude is too large for the plot area, then turns each row's phase into
    // radians and rounds its frequency to tenths, as text.
    bool prepareRows(std::span<OscillationTexts> rows);
    // Sets one point per whole unit from 0 to PlotWidth, its ordinate from sampleYAt(x).
    template <typename SampleYAt> void plotSamples(QRgb colour, SampleYAt sampleYAt);
    // Keeps the curve just drawn in the picture's record.
    void keepInRecord(QRgb colour, std::vector<Oscillation> oscillations);

    double PiApprox = 0.0;
    double AxisY = 0.0;
    double PlotWidth = 0.0;
    double SampleX = 0.0;
    double SampleY = 0.0;
    QString FrequencyText;
    QString PhaseText;
    QString AmplitudeText;

    PlotSurface &m_surface;
    NumberText m_numbers;
    MessageHandler m_showMessage;
    PictureRecord m_record;
};
