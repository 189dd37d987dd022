// SPDX-License-Identifier: GPL-3.0-or-later
#include "measuremarks.h"
#include "plotbench.h"

#include <QPainter>
#include <QTest>

#include <cmath>

// Measuring without a window: time units, readings, the envelope, snapping, the readout and the
// marks over the picture.
class TestMeasurement : public QObject
{
    Q_OBJECT

private slots:
    void readingsAreWhatWasPlotted_data();
    void readingsAreWhatWasPlotted();
    void envelopeOfTheSum_data();
    void envelopeOfTheSum();
    void beatRate_data();
    void beatRate();
    void snapping_data();
    void snapping();
    void readout_data();
    void readout();
    void marksPaintedInPartsAreAsTheWhole_data();
    void marksPaintedInPartsAreAsTheWhole();
    void readoutGoesWhereItHidesLeast_data();
    void readoutGoesWhereItHidesLeast();
};

using Rows = QList<OscillationTexts>;
Q_DECLARE_METATYPE(Rows)

namespace {

const Rows Beats = {{"8", "0", "50"}, {"9", "0", "50"}, {"1", "0", "0"}};

// The rows drawn on a plot area of the design's size: one row with "Kreslit", three with
// "Složit".
void draw(PlotBench &bench, const Rows &rows)
{
    if (rows.size() == 1)
        QVERIFY(bench.plotter.plotOscillation(rows[0], RowPlotColours[0]));
    else
        QVERIFY(bench.plotter.plotSuperposition({rows[0], rows[1], rows[2]}));
}

} // namespace

void TestMeasurement::readingsAreWhatWasPlotted_data()
{
    // Expected: y_m·sin(2π·f·t + φ) at t = x / 3390.686 time units, f rounded to tenths and φ
    // in radians as the plot converts them.
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<double>("sampleX");
    QTest::addColumn<double>("value");
    QTest::newRow("a quarter period of frequency 1") << Rows{{"1", "0", "20"}} << 848.0 << 20.0;
    QTest::newRow("phase 90° at the start") << Rows{{"1", "90", "20"}} << 0.0 << 20.0;
    QTest::newRow("negative amplitude") << Rows{{"2.5", "0", "-30"}} << 1000.0 << 29.904746;
    QTest::newRow("frequency rounded to tenths")
        << Rows{{"8.04", "45", "20"}} << 2000.0 << -16.625559;
    QTest::newRow("the sum of the beats") << Beats << 848.0 << 50.242672;
}

void TestMeasurement::readingsAreWhatWasPlotted()
{
    QFETCH(Rows, rows);
    QFETCH(double, sampleX);
    QFETCH(double, value);
    PlotBench bench;
    draw(bench, rows);
    const DrawnCurve &curve = bench.plotter.record().curves().back();
    const std::optional<double> read = Measure::valueAt(curve, sampleX);
    QVERIFY(read);
    QVERIFY2(std::abs(*read - value) < 1e-5, qPrintable(QString::number(*read, 'f', 6)));
    // And the picture has the curve's point there, on the axis less ten units per y_m.
    const double ordinate = curve.axisY - *read * UnitsPerAmplitude;
    QCOMPARE(bench.surface.pixelAt(float(sampleX), float(ordinate)), curve.colour);
    QVERIFY(!Measure::valueAt(curve, curve.sampledTo)); // Past its last sample.
}

void TestMeasurement::envelopeOfTheSum_data()
{
    // Expected: |Σ yₖ·e^{i(2π·fₖ·t + φₖ)}|; the negative frequency is 9 half a turn later.
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<double>("sampleX");
    QTest::addColumn<double>("envelope");
    QTest::newRow("beats at a swell") << Beats << 0.0 << 100.0;
    QTest::newRow("beats at a node") << Beats << 1695.0 << 0.031798;
    QTest::newRow("close frequencies, unequal amplitudes")
        << Rows{{"8", "0", "40"}, {"8.1", "0", "20"}, {"1", "0", "0"}} << 8000.0 << 46.272654;
    QTest::newRow("a quarter period apart")
        << Rows{{"2", "0", "40"}, {"2", "90", "40"}, {"1", "0", "0"}} << 1000.0 << 56.569853;
    QTest::newRow("a negative frequency, at a swell")
        << Rows{{"8", "0", "50"}, {"-9", "0", "50"}, {"1", "0", "0"}} << 1695.0 << 99.999995;
}

void TestMeasurement::envelopeOfTheSum()
{
    QFETCH(Rows, rows);
    QFETCH(double, sampleX);
    QFETCH(double, envelope);
    PlotBench bench;
    draw(bench, rows);
    const DrawnCurve &sum = bench.plotter.record().curves().back();
    const double read = Measure::envelopeAt(sum, sampleX);
    QVERIFY2(std::abs(read - envelope) < 1e-5, qPrintable(QString::number(read, 'f', 6)));
    // The curve never leaves its envelope.
    for (double x = 0; x < sum.sampledTo; ++x)
        QVERIFY(std::abs(Measure::heightAt(sum, x)) <= Measure::envelopeAt(sum, x) + 1e-9);
}

void TestMeasurement::beatRate_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<double>("rate"); // -1: no label.
    QTest::newRow("the beats") << Beats << 1.0;
    QTest::newRow("rows 1 and 3") << Rows{{"5", "0", "20"}, {"3", "0", "0"}, {"2", "0", "20"}}
                                  << 3.0;
    QTest::newRow("a negative frequency")
        << Rows{{"8", "0", "20"}, {"-9", "0", "20"}, {"1", "0", "0"}} << 1.0;
    QTest::newRow("the same frequency")
        << Rows{{"2", "0", "40"}, {"2", "90", "40"}, {"1", "0", "0"}} << -1.0;
    QTest::newRow("three rows") << Rows{{"1", "0", "20"}, {"2", "0", "20"}, {"3", "0", "20"}}
                                << -1.0;
}

void TestMeasurement::beatRate()
{
    QFETCH(Rows, rows);
    QFETCH(double, rate);
    PlotBench bench;
    draw(bench, rows);
    const std::optional<double> read = Measure::beatRate(bench.plotter.record().curves().back());
    QCOMPARE(read.value_or(-1), rate);
}

void TestMeasurement::snapping_data()
{
    // Frequency 1 peaks at x = 847.67, crosses zero at 1695.34 and has its trough at 2543.01;
    // the beats' envelope has its maxima at 0, 3390.69 and 6781.37. A marker reaches 180 units.
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<bool>("envelope");
    QTest::addColumn<double>("sampleX");
    QTest::addColumn<double>("snapped"); // -1: none within reach.
    const Rows one = {{"1", "0", "20"}};
    QTest::newRow("a peak") << one << false << 800.0 << 848.0;
    QTest::newRow("a trough") << one << false << 2600.0 << 2543.0;
    QTest::newRow("a zero crossing") << one << false << 1650.0 << 1695.0;
    QTest::newRow("nothing within reach") << one << false << 1200.0 << -1.0;
    QTest::newRow("the envelope's next maximum") << Beats << true << 3300.0 << 3391.0;
    QTest::newRow("a maximum beyond the last sample") << Beats << true << 8775.0 << -1.0;
    QTest::newRow("a flat envelope has none")
        << Rows{{"2", "0", "40"}, {"2", "90", "40"}, {"1", "0", "0"}} << true << 1000.0 << -1.0;
}

void TestMeasurement::snapping()
{
    QFETCH(Rows, rows);
    QFETCH(bool, envelope);
    QFETCH(double, sampleX);
    QFETCH(double, snapped);
    PlotBench bench;
    draw(bench, rows);
    const DrawnCurve &curve = bench.plotter.record().curves().back();
    const auto height = [&](double x) {
        return envelope ? Measure::envelopeAt(curve, x) : Measure::heightAt(curve, x);
    };
    const auto feature = envelope ? Measure::Feature::Maximum : Measure::Feature::ExtremumOrZero;
    const std::optional<double> read =
        Measure::snap(height, feature, sampleX, 180, 0, curve.sampledTo - 1);
    QCOMPARE(read.value_or(-1), snapped);
}

void TestMeasurement::readout_data()
{
    QTest::addColumn<Rows>("drawn"); // Each row's curve in turn, or with three the sum.
    QTest::addColumn<double>("sampleX");
    QTest::addColumn<double>("markerA"); // -1: not set.
    QTest::addColumn<double>("markerB");
    QTest::addColumn<int>("pitchHz");
    QTest::addColumn<QStringList>("lines");
    // The beat period of the example at two pitches: tst_measuremenu, through the keys.
    QTest::newRow("one period of frequency 2, from B back to A")
        << Rows{{"2", "0", "20"}} << 0.0 << 2119.0 << 424.0 << 220
        << QStringList{"t = 0,00 (0,00 ms)", "y1 = 0,00", "Δt = 0,50 (2,27 ms)",
                       "1/Δt = 2,00 (440 Hz)"};
    QTest::newRow("marker A alone")
        << Rows{{"1", "0", "20"}} << 848.0 << 848.0 << -1.0 << 440
        << QStringList{"t = 0,25 (0,57 ms)", "y1 = 20,0", "A: t = 0,25 (0,57 ms)"};
    QTest::newRow("the last curve of each colour")
        << Rows{{"1", "0", "20"}, {"1", "0", "40"}} << 848.0 << -1.0 << -1.0 << 220
        << QStringList{"t = 0,25 (1,14 ms)", "y1 = 40,0"};
    QTest::newRow("past the curve's last sample")
        << Rows{{"1", "0", "20"}} << 9000.0 << -1.0 << -1.0 << 220
        << QStringList{"t = 2,65 (12,1 ms)", "y1 = –"};
    QTest::newRow("9,996 rounds to 10,0, not 10,00")
        << Rows{{"1", "90", "9.996"}} << 0.0 << -1.0 << -1.0 << 220
        << QStringList{"t = 0,00 (0,00 ms)", "y1 = 10,0"};
    QTest::newRow("markers a pixel apart: thousands without a separator")
        << Rows{{"1", "0", "20"}} << 0.0 << 0.0 << 15.0 << 220
        << QStringList{"t = 0,00 (0,00 ms)", "y1 = 0,00", "Δt = 0,00 (0,02 ms)",
                       "1/Δt = 226 (49730 Hz)"};
}

void TestMeasurement::readout()
{
    QFETCH(Rows, drawn);
    QFETCH(double, sampleX);
    QFETCH(double, markerA);
    QFETCH(double, markerB);
    QFETCH(int, pitchHz);
    QFETCH(QStringList, lines);
    PlotBench bench;
    if (drawn.size() == 3)
        draw(bench, drawn);
    else
        for (const OscillationTexts &row : drawn)
            draw(bench, {row});
    Measure::Callipers callipers;
    if (markerA >= 0)
        callipers.a = markerA;
    if (markerB >= 0)
        callipers.b = markerB;
    QStringList texts;
    for (const Measure::ReadoutLine &line :
         Measure::readout(bench.plotter.record(), sampleX, callipers, pitchHz))
        texts << line.text;
    QCOMPARE(texts, lines);
}

void TestMeasurement::marksPaintedInPartsAreAsTheWhole_data()
{
    QTest::addColumn<double>("ratio");
    QTest::newRow("96 dpi") << 1.0;
    QTest::newRow("double density") << 2.0;
}

void TestMeasurement::marksPaintedInPartsAreAsTheWhole()
{
    // The screen repaints the marks a few columns at a time; the result must be the whole.
    QFETCH(double, ratio);
    PlotBench bench(DesignWidthUnits, DesignHeightUnits, ratio);
    draw(bench, Beats);
    MeasureMarks marks;
    marks.area = QRect(QPoint(0, 0), bench.surface.drawablePixels());
    marks.devicePixelRatio = ratio;
    marks.cursor = marks.area.width() / 2;
    marks.markers = {0, int(3391 / (15 / ratio))};
    marks.envelopeOf = bench.plotter.record().curves().back();
    marks.envelopeLabel = Measure::beatText(1, 220);
    marks.readout = Measure::readout(bench.plotter.record(), 3391, {0.0, 3391.0}, 220);
    const auto painted = [&](int stripWidth) {
        QImage image = bench.surface.image().copy();
        QPainter painter(&image);
        for (int left = 0; left < image.width(); left += stripWidth)
            marks.paint(painter, QRect(left, 0, stripWidth, image.height()));
        return image;
    };
    const QImage whole = painted(marks.area.width());
    QVERIFY(whole != bench.surface.image());
    QVERIFY(painted(7) == whole);
}

void TestMeasurement::readoutGoesWhereItHidesLeast_data()
{
    QTest::addColumn<QList<QRect>>("drawn");
    QTest::addColumn<Qt::Corner>("corner");
    QTest::newRow("an empty picture: the top right") << QList<QRect>{} << Qt::TopRightCorner;
    QTest::newRow("drawn at the top right") << QList<QRect>{{500, 0, 85, 40}} << Qt::TopLeftCorner;
    QTest::newRow("drawn along the top") << QList<QRect>{{0, 0, 585, 40}} << Qt::BottomRightCorner;
}

void TestMeasurement::readoutGoesWhereItHidesLeast()
{
    QFETCH(QList<QRect>, drawn);
    QFETCH(Qt::Corner, corner);
    QImage picture(585, 289, QImage::Format_RGB32);
    picture.fill(PlotSurface::Background);
    for (const QRect &rect : drawn)
        QPainter(&picture).fillRect(rect, Qt::black);
    MeasureMarks marks;
    marks.area = picture.rect();
    QCOMPARE(marks.cornersByQuiet(picture, QSize(150, 80)).first(), corner);
}

QTEST_MAIN(TestMeasurement) // The readout is painted in a font.
#include "tst_measurement.moc"
