// SPDX-License-Identifier: GPL-3.0-or-later
#include "pixels.h"
#include "plotbench.h"
#include "plotter.h"

#include <QTest>

#include <cmath>

// The plot commands on a surface of their own, without a window.
class TestPlotter : public QObject
{
    Q_OBJECT

private slots:
    void singleRowSample_data();
    void singleRowSample();
    void samplesRunToTheWholeWidth_data();
    void samplesRunToTheWholeWidth();
    void superpositionSample();
    void superpositionAddsTheAxisToTheFirstRow();
    void samplingStopsAtTheLastPixel();
    void plotOnAnImageAsWideAsTheArea_data();
    void plotOnAnImageAsWideAsTheArea();
    void densityChangePlotsAsIfItWereFromTheStart_data();
    void densityChangePlotsAsIfItWereFromTheStart();
    void changedRectCoversEveryChangedPixel_data();
    void changedRectCoversEveryChangedPixel();
    void plotsPointsInTheRowColour();
    void frequencyPlotsInTenths_data();
    void frequencyPlotsInTenths();
    void notANumberDrawsNothing_data();
    void notANumberDrawsNothing();
    void amplitudeWarning_data();
    void amplitudeWarning();
    void convertedTextsAreKept();
    void superpositionOfOneRowIsThatRow();
    void superpositionLeavesRowTextsAlone();
    void superpositionChecksAllNineFields();
    void superpositionWarnsOnceOnlyForSingleAmplitudes_data();
    void superpositionWarnsOnceOnlyForSingleAmplitudes();
    void clearLeavesOneAxis();
    void recordFollowsTheCommands_data();
    void recordFollowsTheCommands();
    void valuesBeyondTheArithmetic_data();
    void valuesBeyondTheArithmetic();
    void hostileTexts_data();
    void hostileTexts();
};

namespace {

constexpr double Tolerance = 1e-4;
constexpr QRgb Blue = RowPlotColours[0];

const OscillationTexts Row1{"1", "0", "20"};
const OscillationTexts Row2{"2", "0", "20"};
const OscillationTexts Row3{"3", "0", "20"};

} // namespace

void TestPlotter::singleRowSample_data()
{
    QTest::addColumn<OscillationTexts>("row");
    QTest::addColumn<float>("sampleX");
    QTest::addColumn<double>("sampleY");

    QTest::newRow("row 1 at 0") << Row1 << 0.0f << 2167.5;
    QTest::newRow("row 1 at 1") << Row1 << 1.0f << 2167.1294;
    QTest::newRow("row 1 at 2") << Row1 << 2.0f << 2166.7588;
    QTest::newRow("row 1 at 100") << Row1 << 100.0f << 2130.6503;
    QTest::newRow("row 1 at 1000") << Row1 << 1000.0f << 1975.4152;
    QTest::newRow("row 1 at 8775") << Row1 << 8775.0f << 2272.5045;
    QTest::newRow("row 2 at 500") << Row2 << 500.0f << 1975.4152;
    QTest::newRow("row 3 at 500") << Row3 << 500.0f << 2096.6737;
    QTest::newRow("frequency 0, phase 90")
        << OscillationTexts{"0", "90", "20"} << 500.0f << 2167.5 - 200;
}

void TestPlotter::singleRowSample()
{
    QFETCH(OscillationTexts, row);
    QFETCH(float, sampleX);
    QFETCH(double, sampleY);

    // The last sample of a plot as wide as the abscissa is the sample at that abscissa.
    PlotBench bench(sampleX, DesignHeightUnits);
    QVERIFY(bench.plotter.plotOscillation(row, Blue));
    const DrawnCurve &curve = bench.plotter.record().curves().back();
    QCOMPARE(curve.sampledTo, double(sampleX) + 1);
    const double lastSampleY = curve.ordinateAt(sampleX);
    QVERIFY2(std::abs(lastSampleY - sampleY) < Tolerance,
             qPrintable(QString::number(lastSampleY, 'f', 6)));
}

void TestPlotter::samplesRunToTheWholeWidth_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<double>("lastSampleX");
    QTest::newRow("design width") << 8775.0f << 8775.0;
    QTest::newRow("fractional width") << 8745.5f << 8745.0;
}

void TestPlotter::samplesRunToTheWholeWidth()
{
    QFETCH(float, width);
    QFETCH(double, lastSampleX);
    PlotBench bench(width, DesignHeightUnits);
    bench.plotter.plotOscillation(Row1, Blue);
    const DrawnCurve &curve = bench.plotter.record().curves().back();
    QCOMPARE(curve.plotWidth, double(width));
    QCOMPARE(curve.sampledTo, lastSampleX + 1);
}

void TestPlotter::superpositionSample()
{
    const NumberText numbers(QLocale::c());
    const double expected[] = {-192.0848, 107.0073, 132.4728};
    int i = 0;
    for (const OscillationTexts &row : {Row1, Row2, Row3}) {
        const Oscillation oscillation = Oscillation::fromTexts(
            {roundFrequencyToTenths(row.frequency, numbers),
             phaseToRadians(row.phase, PiApproxValue, numbers), row.amplitude},
            numbers);
        QVERIFY(std::abs(oscillation.displacement(PiApproxValue, 1000) - expected[i++]) <
                Tolerance);
    }

    PlotBench bench(1000, DesignHeightUnits);
    QVERIFY(bench.plotter.plotSuperposition({Row1, Row2, Row3}));
    QVERIFY(std::abs(bench.plotter.record().curves().back().ordinateAt(1000) - 2214.8953) <
            Tolerance);
}

void TestPlotter::superpositionAddsTheAxisToTheFirstRow()
{
    // The axis height is added to the first row's displacement before the others: where huge
    // amplitudes cancel, it has been rounded into the first term, so the sum is not the axis.
    PlotBench bench(1000, DesignHeightUnits);
    QVERIFY(bench.plotter.plotSuperposition(
        {OscillationTexts{"1", "0", "1e17"}, {"1", "0", "-1e17"}, {"1", "0", "0"}}));
    const double first = Oscillation{1, 0, 1e17}.displacement(PiApproxValue, 1000);
    const double sampleY = bench.plotter.record().curves().back().ordinateAt(1000);
    QVERIFY(sampleY == (first + 2167.5) - first);
    QVERIFY(sampleY != 2167.5);
}

void TestPlotter::samplingStopsAtTheLastPixel()
{
    // A plot area wider than its image samples only as far as the image reaches: 100 pixels,
    // 1500 units.
    for (bool superposition : {false, true}) {
        PlotBench bench(1e6f, DesignHeightUnits);
        bench.surface.setMaximumSidePixels(100);
        QVERIFY(superposition ? bench.plotter.plotSuperposition({Row1, Row2, Row3})
                              : bench.plotter.plotOscillation(Row1, Blue));
        const DrawnCurve &curve = bench.plotter.record().curves().back();
        QCOMPARE(curve.plotWidth, 1e6);
        QCOMPARE(curve.sampledTo, 1501.0);
    }
}

void TestPlotter::plotOnAnImageAsWideAsTheArea_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<float>("widthUnits");
    QTest::newRow("design width") << 1.0 << DesignWidthUnits;
    QTest::newRow("design width, twice the density") << 2.0 << DesignWidthUnits;
    QTest::newRow("narrow") << 1.0 << 1500.0f;
}

void TestPlotter::plotOnAnImageAsWideAsTheArea()
{
    // The first image is just as wide as the area, and the last sample, at the area's width,
    // lies past its last column: written there, it would show on the next row's first pixel.
    // A plot sets its samples' pixels and the axis, nothing else.
    QFETCH(double, ratio);
    QFETCH(float, widthUnits);
    PlotBench bench(widthUnits, DesignHeightUnits, ratio);
    QCOMPARE(bench.surface.image().width(), bench.surface.drawablePixels().width());
    QVERIFY(bench.plotter.plotOscillation(Row1, Blue));

    // Each point on the pixel that contains it.
    const double unitsPerPixel = UnitsPerPixel / ratio;
    const auto pixel = [&](double units) { return int(std::floor(units / unitsPerPixel)); };
    QImage expected(bench.surface.image().size(), QImage::Format_RGB32);
    expected.fill(PlotSurface::Background);
    const Oscillation::Curve curve = Oscillation{1, 0, 20}.curve(PiApproxValue);
    for (double x = 0; x <= widthUnits; ++x)
        if (pixel(x) < expected.width())
            expected.setPixel(pixel(x), pixel(float(curve.displacement(x) + 2167.5)), Blue);
    for (int x = 0; x < expected.width(); ++x)
        expected.setPixel(x, pixel(2167.5), AxisColour);
    QCOMPARE(bench.surface.image(), expected);
}

void TestPlotter::densityChangePlotsAsIfItWereFromTheStart_data()
{
    QTest::addColumn<double>("before");
    QTest::addColumn<double>("after");
    QTest::newRow("to twice the density") << 1.0 << 2.0;
    QTest::newRow("back to the usual density") << 2.0 << 1.0;
    QTest::newRow("to a fractional density") << 1.0 << 1.14;
}

void TestPlotter::densityChangePlotsAsIfItWereFromTheStart()
{
    // A window moved to a screen of another density plots as one that was there from the
    // start: nothing worked out for the old density may linger.
    QFETCH(double, before);
    QFETCH(double, after);
    PlotBench moved(DesignWidthUnits, DesignHeightUnits, before);
    QVERIFY(moved.plotter.plotOscillation(Row1, Blue));
    moved.surface.setDevicePixelRatio(after);
    moved.plotter.clearPlot(); // The rescaled picture of the first plot is not compared.
    QVERIFY(moved.plotter.plotOscillation(Row3, Blue));
    PlotBench native(DesignWidthUnits, DesignHeightUnits, after);
    QVERIFY(native.plotter.plotOscillation(Row3, Blue));
    const QRect drawable(QPoint(0, 0), native.surface.drawablePixels());
    QCOMPARE(moved.surface.drawablePixels(), drawable.size());
    QCOMPARE(moved.surface.picture(drawable), native.surface.picture(drawable));
}

void TestPlotter::changedRectCoversEveryChangedPixel_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("amplitude");
    for (double ratio : {1.0, 1.5, 2.0})
        for (const char *command : {"row", "sum", "clear"})
            for (const char *amplitude : {"20", "-216.76", "1e6", "2", "1e300"})
                QTest::addRow("ratio %g, %s, amplitude %s", ratio, command, amplitude)
                    << ratio << QString(command) << QString(amplitude);
}

void TestPlotter::changedRectCoversEveryChangedPixel()
{
    // The screen repaints only the rectangle a command reports, so it must hold every pixel
    // the command changed.
    QFETCH(double, ratio);
    QFETCH(QString, command);
    QFETCH(QString, amplitude);
    PlotBench bench(DesignWidthUnits, DesignHeightUnits, ratio);
    PlotSurface &surface = bench.surface;
    bench.plotter.plotSuperposition({Row1, Row2, Row3}); // Something for a clear to erase.
    surface.resize(DesignWidthUnits, 3000);              // And an axis on a new row.
    surface.takeChangedPixels();
    const QImage before = surface.image().copy();
    const OscillationTexts row{"1.7", "33", amplitude};
    if (command == "row")
        bench.plotter.plotOscillation(row, Blue);
    else if (command == "sum")
        bench.plotter.plotSuperposition({row, Row2, {"3", "0", amplitude}});
    else
        bench.plotter.clearPlot();
    const QRect changed = surface.takeChangedPixels();
    const QImage &after = surface.image();
    int changedPixels = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (after.pixel(x, y) != before.pixel(x, y)) {
                ++changedPixels;
                QVERIFY2(changed.contains(x, y), qPrintable(QString("pixel %1, %2").arg(x).arg(y)));
            }
    QVERIFY(changedPixels > 0);
    QVERIFY(surface.takeChangedPixels().isEmpty());
}

void TestPlotter::plotsPointsInTheRowColour()
{
    PlotBench bench;
    bench.plotter.plotOscillation(Row1, Blue);
    // Sample 1000 lies at 1975.4152: column 66, row 131.
    QCOMPARE(bench.surface.pixelAt(1000, 1975.4152f), Blue);
    QCOMPARE(bench.surface.image().pixel(66, 131), Blue);
    // The axis goes over the curve where they cross, at the start.
    QCOMPARE(bench.surface.pixelAt(0, 2167.5f), AxisColour);
    // Everything coloured lies within the wave's band: 200 units either side of the axis.
    const QImage blue = pixelsOf(bench.surface.image(), Blue);
    for (int y = 0; y < blue.height(); ++y)
        for (int x = 0; x < blue.width(); ++x)
            if (blue.pixelIndex(x, y))
                QVERIFY(std::abs(y * 15 - 2167.5) <= 215);
    // One pixel per column at least, across the whole width.
    for (int x = 0; x < 585; ++x) {
        bool any = false;
        for (int y = 0; y < blue.height() && !any; ++y)
            any = blue.pixelIndex(x, y) || bench.surface.image().pixel(x, y) == AxisColour;
        QVERIFY2(any, qPrintable(QString("column %1").arg(x)));
    }
}

void TestPlotter::frequencyPlotsInTenths_data()
{
    QTest::addColumn<OscillationTexts>("row");
    QTest::addColumn<OscillationTexts>("sameAs");
    QTest::newRow("frequency in tenths")
        << OscillationTexts{"1.25", "0", "20"} << OscillationTexts{"1.2", "0", "20"};
    QTest::newRow("negative tie") << OscillationTexts{"-1.25", "0", "20"}
                                  << OscillationTexts{"-1.2", "0", "20"};
    QTest::newRow("tie up") << OscillationTexts{"1.75", "0", "20"}
                            << OscillationTexts{"1.8", "0", "20"};
}

void TestPlotter::frequencyPlotsInTenths()
{
    QFETCH(OscillationTexts, row);
    QFETCH(OscillationTexts, sameAs);
    PlotBench first;
    first.plotter.plotOscillation(row, Blue);
    PlotBench second;
    second.plotter.plotOscillation(sameAs, Blue);
    QVERIFY(first.surface.image() == second.surface.image());
}

void TestPlotter::notANumberDrawsNothing_data()
{
    QTest::addColumn<OscillationTexts>("row");
    QTest::newRow("empty frequency") << OscillationTexts{"", "0", "20"};
    QTest::newRow("letters in the phase") << OscillationTexts{"1", "abc", "20"};
    QTest::newRow("blank amplitude") << OscillationTexts{"1", "0", "  "};
    QTest::newRow("all three") << OscillationTexts{"x", "y", "z"};
}

void TestPlotter::notANumberDrawsNothing()
{
    QFETCH(OscillationTexts, row);
    PlotBench bench;
    bench.surface.clear();
    const QImage before = bench.surface.image().copy();
    QVERIFY(!bench.plotter.plotOscillation(row, Blue));
    QCOMPARE(bench.messages, QStringList{OscillationTexts::NotANumberMessage});
    QCOMPARE(bench.surface.image(), before); // Not even the axis.
}

void TestPlotter::amplitudeWarning_data()
{
    QTest::addColumn<QString>("amplitude");
    QTest::addColumn<bool>("warns");
    QTest::newRow("exactly the half height") << "216.75" << false;
    QTest::newRow("just above") << "216.76" << true;
    QTest::newRow("large negative") << "-1000" << false;
}

void TestPlotter::amplitudeWarning()
{
    QFETCH(QString, amplitude);
    QFETCH(bool, warns);
    PlotBench bench;
    QVERIFY(bench.plotter.plotOscillation({"1", "0", amplitude}, Blue));
    QCOMPARE(bench.messages,
             warns ? QStringList{Plotter::AmplitudeTooLargeMessage} : QStringList{});
    QVERIFY(countOf(bench.surface.image(), Blue) > 0); // The plot goes on.
}

void TestPlotter::convertedTextsAreKept()
{
    PlotBench bench;
    bench.plotter.plotOscillation({"1.25", "90", "20"}, Blue);
    const DrawnCurve &curve = bench.plotter.record().curves().back();
    QCOMPARE(curve.oscillations.size(), 1u);
    QCOMPARE(curve.oscillations[0].frequency, 1.2);
    QCOMPARE(curve.oscillations[0].phase, 1.57075);
    QCOMPARE(curve.oscillations[0].amplitude, 20.0);
    QCOMPARE(curve.piApprox, 3.1415);
}

void TestPlotter::superpositionOfOneRowIsThatRow()
{
    PlotBench single;
    single.plotter.plotOscillation(Row1, Blue);
    PlotBench sum;
    sum.plotter.plotSuperposition({Row1, OscillationTexts{"2", "0", "0"}, {"3", "0", "0"}});
    QImage curve = pixelsOf(single.surface.image(), Blue);
    QImage sumCurve = pixelsOf(sum.surface.image(), SuperpositionColour);
    // The axis lies over both; the curve under it is hidden in both.
    const QImage axis = pixelsOf(single.surface.image(), AxisColour);
    for (int y = 0; y < curve.height(); ++y)
        for (int x = 0; x < curve.width(); ++x)
            if (axis.pixelIndex(x, y)) {
                curve.setPixel(x, y, 1);
                sumCurve.setPixel(x, y, 1);
            }
    QCOMPARE(sumCurve, curve);
}

void TestPlotter::superpositionLeavesRowTextsAlone()
{
    PlotBench bench;
    bench.plotter.plotOscillation(Row2, Blue);
    bench.plotter.plotSuperposition({OscillationTexts{"7.77", "45", "3"}, Row2, Row3});
    // The row keeps its values; the sum has its own three, each converted.
    const std::vector<DrawnCurve> &curves = bench.plotter.record().curves();
    QCOMPARE(curves.size(), 2u);
    QCOMPARE(curves[0].oscillations[0].frequency, 2.0);
    QCOMPARE(curves[0].oscillations[0].amplitude, 20.0);
    QCOMPARE(curves[1].oscillations.size(), 3u);
    QCOMPARE(curves[1].oscillations[0].frequency, 7.8);
    QCOMPARE(curves[1].oscillations[0].phase, 0.785375);
    QCOMPARE(curves[1].oscillations[2].frequency, 3.0);
}

void TestPlotter::superpositionChecksAllNineFields()
{
    PlotBench bench;
    bench.surface.clear();
    const QImage before = bench.surface.image().copy();
    QVERIFY(!bench.plotter.plotSuperposition({Row1, Row2, OscillationTexts{"3", "0", "abc"}}));
    QCOMPARE(bench.messages, QStringList{OscillationTexts::NotANumberMessage});
    QCOMPARE(bench.surface.image(), before);
    QVERIFY(bench.plotter.plotOscillation(Row1, Blue));
    QVERIFY(bench.plotter.plotOscillation(Row2, Blue));
}

void TestPlotter::superpositionWarnsOnceOnlyForSingleAmplitudes_data()
{
    QTest::addColumn<QStringList>("amplitudes");
    QTest::addColumn<bool>("warns");
    QTest::newRow("sum beyond, none alone") << QStringList{"100", "100", "100"} << false;
    QTest::newRow("one beyond") << QStringList{"20", "216.76", "20"} << true;
    QTest::newRow("all beyond, one warning") << QStringList{"300", "300", "300"} << true;
}

void TestPlotter::superpositionWarnsOnceOnlyForSingleAmplitudes()
{
    QFETCH(QStringList, amplitudes);
    QFETCH(bool, warns);
    PlotBench bench;
    QVERIFY(bench.plotter.plotSuperposition({OscillationTexts{"1", "0", amplitudes[0]},
                                             {"2", "0", amplitudes[1]},
                                             {"3", "0", amplitudes[2]}}));
    QCOMPARE(bench.messages,
             warns ? QStringList{Plotter::AmplitudeTooLargeMessage} : QStringList{});
}

void TestPlotter::recordFollowsTheCommands_data()
{
    // Commands: "1" plots the first row, "n" a row that is not a number, "s" the sum, "c"
    // clears; the record lists the colours of the curves on the picture.
    QTest::addColumn<QString>("commands");
    QTest::addColumn<QList<QRgb>>("colours");
    QTest::newRow("nothing drawn") << "" << QList<QRgb>{};
    QTest::newRow("a row, then the sum") << "1s" << QList<QRgb>{Blue, SuperpositionColour};
    QTest::newRow("the same row twice") << "11" << QList<QRgb>{Blue, Blue};
    QTest::newRow("a clear empties it") << "1sc" << QList<QRgb>{};
    QTest::newRow("drawn after a clear") << "1cs" << QList<QRgb>{SuperpositionColour};
    QTest::newRow("not a number draws nothing") << "1n" << QList<QRgb>{Blue};
}

void TestPlotter::recordFollowsTheCommands()
{
    QFETCH(QString, commands);
    QFETCH(QList<QRgb>, colours);
    PlotBench bench;
    for (QChar command : commands) {
        if (command == u'1')
            bench.plotter.plotOscillation(Row1, Blue);
        else if (command == u'n')
            bench.plotter.plotOscillation({"1", "x", "20"}, RowPlotColours[1]);
        else if (command == u's')
            bench.plotter.plotSuperposition({Row1, Row2, Row3});
        else
            bench.plotter.clearPlot();
    }
    QList<QRgb> recorded;
    for (const DrawnCurve &curve : bench.plotter.record().curves()) {
        recorded << curve.colour;
        QCOMPARE(curve.isSuperposition(), curve.colour == SuperpositionColour);
        QCOMPARE(curve.axisY, 2167.5);
    }
    QCOMPARE(recorded, colours);
}

void TestPlotter::clearLeavesOneAxis()
{
    PlotBench bench;
    bench.plotter.plotOscillation(Row1, Blue);
    bench.surface.resize(6000, 3000);
    bench.plotter.clearPlot();
    QCOMPARE(countOf(bench.surface.image(), Blue), 0);
    // One axis at the new middle, 1500 units down (row 100), across the 400 columns.
    QCOMPARE(countOf(bench.surface.image(), AxisColour), 400);
    for (int x = 0; x < 400; ++x)
        QCOMPARE(bench.surface.image().pixel(x, 100), AxisColour);
}

void TestPlotter::valuesBeyondTheArithmetic_data()
{
    QTest::addColumn<OscillationTexts>("row");
    QTest::addColumn<bool>("drawsCurve");
    QTest::newRow("frequency overflows") << OscillationTexts{"1e308", "0", "20"} << false;
    QTest::newRow("amplitude overflows") << OscillationTexts{"1", "0", "1e308"} << false;
    QTest::newRow("ordinate beyond single precision")
        << OscillationTexts{"1", "0", "1e300"} << false;
    QTest::newRow("huge phase") << OscillationTexts{"1", "1e308", "20"} << true;
    QTest::newRow("huge sine argument") << OscillationTexts{"1e15", "0", "20"} << true;
    QTest::newRow("negative huge amplitude") << OscillationTexts{"1", "0", "-1e300"} << false;
    QTest::newRow("subnormal phase") << OscillationTexts{"1", "1e-320", "20"} << true;
}

void TestPlotter::valuesBeyondTheArithmetic()
{
    QFETCH(OscillationTexts, row);
    QFETCH(bool, drawsCurve);
    PlotBench bench;
    bench.surface.clear();
    QVERIFY(bench.plotter.plotOscillation(row, Blue));
    // The axis is always drawn; the curve only where its samples are finite and on the area.
    QCOMPARE(bench.surface.image().pixel(0, 144), AxisColour);
    QCOMPARE(countOf(bench.surface.image(), Blue) > 0, drawsCurve);
    PlotBench sum;
    sum.surface.clear();
    QVERIFY(sum.plotter.plotSuperposition({row, Row2, Row3}));
    QCOMPARE(sum.surface.image().pixel(584, 144), AxisColour);
}

void TestPlotter::hostileTexts_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");

    const QStringList texts = {"",
                               "   ",
                               "abc",
                               "1e308",
                               "-1e308",
                               "1e309",
                               "1e-320",
                               "inf",
                               "nan",
                               "infinity",
                               "0x10",
                               "+5",
                               " 5 ",
                               u"\u22125"_qs,
                               u"\u0661\u0662"_qs,
                               "1 000",
                               u"1\u00a0000"_qs,
                               "1,5",
                               "1.5",
                               QString("1") + QChar(0) + "2",
                               u"\u200f5"_qs,
                               u"5\u200f"_qs,
                               QString(1000000, '7'),
                               "-1e37",
                               "1e38"};
    const QLocale locales[] = {QLocale::c(), QLocale(QLocale::Czech, QLocale::Czechia)};
    for (const QLocale &locale : locales)
        for (int field = 0; field < 3; ++field)
            for (qsizetype i = 0; i < texts.size(); ++i)
                QTest::addRow("%s field %d text %lld", qPrintable(locale.name()), field, i)
                    << locale << field << texts[i];
}

void TestPlotter::hostileTexts()
{
    // Whatever is typed, a command ends with the message and an untouched picture, or with a
    // plot made only of the curve's colour, the axis and the background.
    QFETCH(QLocale, locale);
    QFETCH(int, field);
    QFETCH(QString, text);

    OscillationTexts row = Row2;
    (field == 0 ? row.frequency : field == 1 ? row.phase : row.amplitude) = text;
    auto check = [&](auto command, QRgb colour) {
        PlotBench bench(DesignWidthUnits, DesignHeightUnits, 1.0, locale);
        const PlotSurface &surface = bench.surface;
        const QStringList &messages = bench.messages;
        const QImage before = surface.image().copy();
        const bool plotted = command(bench.plotter);
        if (!plotted) {
            QCOMPARE(messages, QStringList{OscillationTexts::NotANumberMessage});
            QCOMPARE(surface.image(), before);
            return;
        }
        QVERIFY(!messages.contains(OscillationTexts::NotANumberMessage));
        const QImage &image = surface.image();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                QVERIFY(pixel == colour || pixel == AxisColour || pixel == PlotSurface::Background);
            }
        QCOMPARE(image.pixel(0, 144), AxisColour);
    };
    check([&](Plotter &plotter) { return plotter.plotOscillation(row, Blue); }, Blue);
    check(
        [&](Plotter &plotter) {
            return plotter.plotSuperposition({Row1, row, Row3});
        },
        SuperpositionColour);
}

QTEST_APPLESS_MAIN(TestPlotter)
#include "tst_plotter.moc"
