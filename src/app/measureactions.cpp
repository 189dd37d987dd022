// SPDX-License-Identifier: GPL-3.0-or-later
#include "measureactions.h"

#include "units.h"

#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace {

// How far a marker reaches for a feature, and for the curve under the pointer: 12 pixels.
constexpr double SnapReachUnits = 12 * UnitsPerPixel;
constexpr int DefaultPitchHz = 220;
constexpr int LongStep = 10;

} // namespace

MeasureActions::MeasureActions(const Parts &parts, const PictureRecord &record, QObject *parent)
    : QObject(parent)
    , m_parts(parts)
    , m_record(record)
    , m_overlaid(parts.area)
{
    m_parts.measure->setCheckable(true);
    m_parts.envelope->setCheckable(true);
    connect(m_parts.measure, &QAction::toggled, this, &MeasureActions::setMeasuring);
    connect(m_parts.envelope, &QAction::toggled, this, &MeasureActions::lookAgain);
    for (QAction *pitch : m_parts.pitches)
        connect(pitch, &QAction::toggled, this, &MeasureActions::lookAgain);
    connect(m_parts.area, &PlotArea::pictureChanged, this, &MeasureActions::pictureChanged);
    m_parts.area->installEventFilter(this);
    m_parts.area->setOverlay(this);
}

MeasureActions::~MeasureActions()
{
    // The window deletes the plot area first, being its child from the form.
    if (m_overlaid)
        m_overlaid->setOverlay(nullptr);
}

bool MeasureActions::isMeasuring() const
{
    return m_parts.measure->isChecked();
}

bool MeasureActions::isShown() const
{
    return isMeasuring() || m_marks.envelopeOf.has_value();
}

void MeasureActions::paint(QPainter &painter, const QRect &devicePixels) const
{
    m_marks.paint(painter, devicePixels);
}

int MeasureActions::pitchHz() const
{
    for (const QAction *pitch : m_parts.pitches)
        if (pitch->isChecked() && pitch->data().toInt() > 0)
            return pitch->data().toInt();
    return DefaultPitchHz;
}

double MeasureActions::unitsPerDevicePixel() const
{
    return UnitsPerPixel / m_parts.area->surface().devicePixelRatio();
}

double MeasureActions::sampleXAt(int column) const
{
    // The column's first sample: what the plot drew there first.
    return std::ceil(column * unitsPerDevicePixel());
}

int MeasureActions::columnOf(double sampleX) const
{
    return int(std::floor(sampleX / unitsPerDevicePixel()));
}

int MeasureActions::withinArea(int column) const
{
    return std::max(m_marks.area.left(), std::min(column, m_marks.area.right()));
}

void MeasureActions::setMeasuring(bool on)
{
    PlotArea *area = m_parts.area;
    area->setMouseTracking(on);
    m_callipers = {};
    m_nextIsB = false;
    m_pointerY.reset();
    if (on) {
        area->setCursor(Qt::CrossCursor);
        m_description = area->accessibleDescription();
        lookAgain();
        // At the pointer if it is over the plot area, else in the middle.
        const QPoint pointer = area->mapFromGlobal(QCursor::pos());
        const double ratio = m_marks.devicePixelRatio;
        m_marks.cursor = area->rect().contains(pointer) ? int(std::floor(pointer.x() * ratio))
                                                        : m_marks.area.center().x();
        // The arrow keys move the cursor once the plot area has the focus.
        area->setFocus(Qt::OtherFocusReason);
    } else {
        area->unsetCursor();
        m_marks.cursor.reset();
        area->setAccessibleDescription(m_description);
    }
    lookAgain();
    area->update();
}

void MeasureActions::pictureChanged()
{
    if (m_record.curves().empty()) {
        // "Vymazat grafy" clears the callipers with the curves they measured.
        m_callipers = {};
        m_nextIsB = false;
    }
    lookAgain();
}

void MeasureActions::lookAgain()
{
    const bool wasShown = isShown();
    PlotArea *area = m_parts.area;
    const double ratio = area->surface().devicePixelRatio();
    const QRect visible = m_parts.visibleArea();
    m_marks.devicePixelRatio = ratio;
    m_marks.area =
        QRectF(QPointF(visible.topLeft()) * ratio, QSizeF(visible.size()) * ratio).toRect();
    if (m_marks.cursor)
        m_marks.cursor = withinArea(*m_marks.cursor);
    const DrawnCurve *sum =
        m_parts.envelope->isChecked() ? Measure::latestSuperposition(m_record) : nullptr;
    // A copy: the record's curves move as it grows.
    m_marks.envelopeOf = sum ? std::optional<DrawnCurve>(*sum) : std::nullopt;
    const std::optional<double> rate = sum ? Measure::beatRate(*sum) : std::nullopt;
    m_marks.envelopeLabel = rate ? Measure::beatText(*rate, pitchHz()) : QString();
    refreshReadout();
    placeBoxes();
    if (wasShown || isShown())
        area->update();
}

void MeasureActions::placeBoxes()
{
    if (!isShown())
        return;
    const bool withReadout = !m_marks.readout.isEmpty();
    const QSize box = withReadout ? m_marks.boxSize(m_marks.readout)
                                  : m_marks.boxSize({{m_marks.envelopeLabel, 0}});
    const QList<Qt::Corner> corners = m_marks.cornersByQuiet(m_parts.area->surface().image(), box);
    m_marks.readoutCorner = corners[0];
    m_marks.labelCorner = withReadout ? corners[1] : corners[0];
}

void MeasureActions::refreshReadout()
{
    m_marks.markers = {};
    if (!isMeasuring() || !m_marks.cursor) {
        m_marks.readout.clear();
        return;
    }
    if (m_callipers.a)
        m_marks.markers[0] = columnOf(*m_callipers.a);
    if (m_callipers.b)
        m_marks.markers[1] = columnOf(*m_callipers.b);
    m_marks.readout =
        Measure::readout(m_record, sampleXAt(*m_marks.cursor), m_callipers, pitchHz());
    announce();
}

void MeasureActions::announce()
{
    QStringList said;
    for (const Measure::ReadoutLine &line : m_marks.readout)
        said << line.text;
    // Setting the description tells assistive technology that it changed.
    m_parts.area->setAccessibleDescription(QStringLiteral("Měření: ") + said.join(u"; "));
}

bool MeasureActions::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
        if (isShown())
            lookAgain();
        return false;
    case QEvent::ShortcutOverride: {
        // Esc belongs to "Zastavit zvuk" in the whole window. Here, while measuring and with no
        // sound to stop, it ends measuring instead.
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool takeEscape = isMeasuring() && key->key() == Qt::Key_Escape &&
                                key->modifiers() == Qt::NoModifier && !m_parts.soundIsPlaying();
        if (takeEscape)
            event->accept();
        return takeEscape;
    }
    case QEvent::KeyPress:
        return isMeasuring() && keyPressed(*static_cast<QKeyEvent *>(event));
    case QEvent::MouseMove:
        if (isMeasuring())
            pointerMoved(static_cast<QMouseEvent *>(event)->position());
        return false;
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (isMeasuring() && mouse->button() == Qt::LeftButton) {
            pointerMoved(mouse->position());
            setMarker(!mouse->modifiers().testFlag(Qt::ShiftModifier));
        }
        return false; // The click still gives the plot area the focus.
    }
    default:
        return false;
    }
}

bool MeasureActions::keyPressed(const QKeyEvent &key)
{
    const bool shift = key.modifiers() == Qt::ShiftModifier;
    if (key.modifiers() != Qt::NoModifier && !shift && key.modifiers() != Qt::KeypadModifier)
        return false;
    const int column = *m_marks.cursor;
    switch (key.key()) {
    case Qt::Key_Left:
        moveCursorTo(column - (shift ? LongStep : 1));
        return true;
    case Qt::Key_Right:
        moveCursorTo(column + (shift ? LongStep : 1));
        return true;
    case Qt::Key_Home:
        moveCursorTo(m_marks.area.left());
        return true;
    case Qt::Key_End:
        moveCursorTo(m_marks.area.right());
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_pointerY.reset();
        setMarker(!shift);
        return true;
    case Qt::Key_Escape:
        m_parts.measure->setChecked(false);
        return true;
    default:
        return false;
    }
}

void MeasureActions::pointerMoved(QPointF position)
{
    m_pointerY = position.y() * UnitsPerPixel;
    moveCursorTo(int(std::floor(position.x() * m_marks.devicePixelRatio)));
}

void MeasureActions::moveCursorTo(int column)
{
    column = withinArea(column);
    if (column == m_marks.cursor)
        return;
    // Only the cursor's old and new columns and the readout change.
    const QRect oldCursor = m_marks.cursorBounds();
    const QRect oldReadout = m_marks.readoutBounds();
    m_marks.cursor = column;
    refreshReadout();
    m_parts.area->updateOverlay(oldCursor);
    m_parts.area->updateOverlay(m_marks.cursorBounds());
    m_parts.area->updateOverlay(oldReadout | m_marks.readoutBounds());
}

std::optional<MeasureActions::SnapTarget> MeasureActions::snapTarget() const
{
    const double x = sampleXAt(*m_marks.cursor);
    const std::optional<DrawnCurve> &sum = m_marks.envelopeOf;
    const auto envelope = [sum](double at) { return Measure::envelopeAt(*sum, at); };
    const auto curveTarget = [](const DrawnCurve *curve) {
        return SnapTarget{[curve](double at) { return Measure::heightAt(*curve, at); },
                          Measure::Feature::ExtremumOrZero, curve->sampledTo - 1};
    };
    if (!m_pointerY) {
        // From the keyboard: the envelope while it is shown, else the curve drawn last.
        if (sum)
            return SnapTarget{envelope, Measure::Feature::Maximum, sum->sampledTo - 1};
        if (m_record.curves().empty())
            return std::nullopt;
        return curveTarget(&m_record.curves().back());
    }
    // The curve nearest to the pointer, if one is within reach of it.
    std::optional<SnapTarget> nearest;
    double nearestDistance = SnapReachUnits;
    const auto consider = [&](double ordinate, SnapTarget target) {
        const double distance = std::abs(ordinate - *m_pointerY);
        if (distance <= nearestDistance) {
            nearestDistance = distance;
            nearest = std::move(target);
        }
    };
    for (const DrawnCurve *curve : Measure::latestOfEachColour(m_record))
        if (Measure::valueAt(*curve, x))
            consider(curve->ordinateAt(x), curveTarget(curve));
    if (sum && Measure::valueAt(*sum, x)) {
        const double reach = envelope(x) * UnitsPerAmplitude;
        for (double ordinate : {sum->axisY - reach, sum->axisY + reach})
            consider(ordinate, {envelope, Measure::Feature::Maximum, sum->sampledTo - 1});
    }
    return nearest;
}

void MeasureActions::setMarker(bool snapping)
{
    double x = sampleXAt(*m_marks.cursor);
    if (snapping)
        if (const std::optional<SnapTarget> target = snapTarget())
            x = Measure::snap(target->height, target->feature, x, SnapReachUnits, 0, target->last)
                    .value_or(x);
    // A, then B; the next one starts again at A.
    const QRect before = m_marks.markerBounds() | m_marks.readoutBounds();
    if (m_nextIsB) {
        m_callipers.b = x;
    } else {
        m_callipers = {x, std::nullopt};
    }
    m_nextIsB = !m_nextIsB;
    refreshReadout();
    m_parts.area->updateOverlay(before | m_marks.markerBounds() | m_marks.readoutBounds());
}
