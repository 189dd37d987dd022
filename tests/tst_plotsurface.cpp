// SPDX-License-Identifier: GPL-3.0-or-later
#include "colours.h"
#include "pixels.h"
#include "plotsurface.h"

#include <QLineF>
#include <QPainter>
#include <QTest>

#include <cmath>
#include <limits>
#include <vector>

// The image behind the plot area: where points land, what survives a resize, and its limits.
class TestPlotSurface : public QObject
{
    Q_OBJECT

private slots:
    void pointLandsOnItsPixel_data();
    void pointLandsOnItsPixel();
    void horizontalLineSpansTheArea();
    void linesAsQPainterDrawsThem_data();
    void linesAsQPainterDrawsThem();
    void pictureSurvivesShrinkAndEnlarge();
    void clearErasesAlsoWhatIsHidden();
    void imageIsCapped();
    void emptyAndBrokenSizes_data();
    void emptyAndBrokenSizes();
    void highDensityDrawsDevicePixels();
    void samplesLandWhereTheirPointsDo_data();
    void samplesLandWhereTheirPointsDo();
};

namespace {

constexpr QRgb Red = RowPlotColours[1];
constexpr QRgb White = PlotSurface::Background;

} // namespace

void TestPlotSurface::pointLandsOnItsPixel_data()
{
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<QPoint>("pixel"); // (-1, -1): not drawn

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("origin") << 0.0f << 0.0f << QPoint(0, 0);
    QTest::newRow("just inside the first pixel") << 14.99f << 14.99f << QPoint(0, 0);
    QTest::newRow("second pixel") << 15.0f << 30.0f << QPoint(1, 2);
    QTest::newRow("the axis of the design height") << 100.0f << 2167.5f << QPoint(6, 144);
    QTest::newRow("last pixel") << 8774.0f << 4334.0f << QPoint(584, 288);
    QTest::newRow("last column") << 8774.99f << 100.0f << QPoint(584, 6);
    QTest::newRow("right edge") << 8775.0f << 100.0f << QPoint(-1, -1);
    QTest::newRow("bottom edge") << 100.0f << 4335.0f << QPoint(-1, -1);
    QTest::newRow("just left") << -0.01f << 100.0f << QPoint(-1, -1);
    QTest::newRow("far above") << 100.0f << -3e38f << QPoint(-1, -1);
    QTest::newRow("not a number") << nan << nan << QPoint(-1, -1);
    QTest::newRow("infinite") << 100.0f << inf << QPoint(-1, -1);
}

void TestPlotSurface::pointLandsOnItsPixel()
{
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(QPoint, pixel);

    PlotSurface surface;
    surface.resize(8775, 4335);
    surface.takeChangedPixels();
    surface.setPoint(x, y, Red);
    const int painted = countOf(surface.image(), Red);
    // The screen shows the point only if the changed pixels hold it.
    const QRect changed = surface.takeChangedPixels();
    if (pixel == QPoint(-1, -1)) {
        QCOMPARE(painted, 0);
        QVERIFY(changed.isEmpty());
    } else {
        QCOMPARE(painted, 1);
        QCOMPARE(surface.image().pixel(pixel), Red);
        QVERIFY(changed.contains(pixel));
    }
}

void TestPlotSurface::horizontalLineSpansTheArea()
{
    PlotSurface surface;
    surface.resize(8775, 4335);
    surface.drawLine(0, 2167.5f, 8775, 2167.5f, Red);
    QCOMPARE(countOf(surface.image(), Red), 585);
    for (int x = 0; x < 585; ++x)
        QCOMPARE(surface.image().pixel(x, 144), Red);
}

void TestPlotSurface::linesAsQPainterDrawsThem_data()
{
    QTest::addColumn<QLineF>("units");
    QTest::newRow("across") << QLineF(0, 2167.5, 8775, 2167.5);
    QTest::newRow("right to left") << QLineF(4000, 30, 100, 30);
    QTest::newRow("from outside in") << QLineF(-3000, 4000, 3000, 4000);
    QTest::newRow("within one pixel") << QLineF(16, 16, 29, 16);
    QTest::newRow("first row") << QLineF(0, 0, 8774, 0);
    QTest::newRow("last row") << QLineF(0, 4334, 20000, 4334);
    QTest::newRow("below the area") << QLineF(0, 4335, 8775, 4335);
    QTest::newRow("above the area") << QLineF(0, -1, 8775, -1);
    QTest::newRow("slanted") << QLineF(0, 0, 8775, 4335);
    QTest::newRow("slanted, right to left") << QLineF(8000, 100, 50, 4000);
}

void TestPlotSurface::linesAsQPainterDrawsThem()
{
    // Lines land where QPainter puts a one-pixel line between their end points' pixels.
    QFETCH(QLineF, units);
    PlotSurface surface;
    surface.resize(8775, 4335);
    surface.drawLine(units.x1(), units.y1(), units.x2(), units.y2(), Red);
    QImage expected(surface.image().size(), QImage::Format_RGB32);
    expected.fill(White);
    QPainter painter(&expected);
    painter.setClipRect(QRect(QPoint(0, 0), surface.drawablePixels()));
    painter.setPen(QPen(QColor(Red), 1));
    auto pixel = [](double units) { return int(std::floor(units / 15)); };
    painter.drawLine(pixel(units.x1()), pixel(units.y1()), pixel(units.x2()), pixel(units.y2()));
    painter.end();
    QCOMPARE(surface.image(), expected);
    // And the surface reports every pixel it set as changed.
    const QRect changed = surface.takeChangedPixels();
    QCOMPARE(countOf(surface.image(), Red, changed), countOf(surface.image(), Red));
}

void TestPlotSurface::pictureSurvivesShrinkAndEnlarge()
{
    PlotSurface surface;
    surface.resize(8775, 4335);
    surface.setPoint(8000, 4000, Red);
    surface.resize(150, 150);
    QCOMPARE(surface.drawablePixels(), QSize(10, 10));
    surface.setPoint(8000, 4000, RowPlotColours[0]); // Outside the shrunken area: ignored.
    surface.resize(9000, 5000);
    QCOMPARE(surface.pixelAt(8000, 4000), Red);
    QCOMPARE(surface.drawablePixels(), QSize(600, 334));
}

void TestPlotSurface::clearErasesAlsoWhatIsHidden()
{
    PlotSurface surface;
    surface.resize(8775, 4335);
    surface.setPoint(8000, 4000, Red);
    surface.resize(150, 150);
    surface.clear();
    surface.resize(8775, 4335);
    QCOMPARE(countOf(surface.image(), Red), 0);
}

void TestPlotSurface::imageIsCapped()
{
    PlotSurface surface;
    surface.setMaximumSidePixels(1000);
    surface.resize(1e9f, 1e9f);
    QCOMPARE(surface.image().size(), QSize(1000, 1000));
    surface.setPoint(999 * 15, 999 * 15, Red);
    surface.setPoint(1000 * 15, 10, Red);
    QCOMPARE(countOf(surface.image(), Red), 1);
    QCOMPARE(surface.drawableWidthUnits(), 15000.0);
}

void TestPlotSurface::emptyAndBrokenSizes_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::newRow("zero") << 0.0f << 0.0f;
    QTest::newRow("zero height") << 8775.0f << 0.0f;
    QTest::newRow("negative") << -135.0f << -2535.0f;
    QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN()
                                  << std::numeric_limits<float>::quiet_NaN();
}

void TestPlotSurface::emptyAndBrokenSizes()
{
    QFETCH(float, width);
    QFETCH(float, height);
    PlotSurface surface;
    surface.resize(width, height);
    QVERIFY(surface.widthUnits() >= 0 && surface.heightUnits() >= 0);
    surface.clear();
    surface.setPoint(0, 0, Red);
    surface.drawLine(0, 0, 8775, 0, Red);
    QCOMPARE(countOf(surface.image(), Red), 0);
}

void TestPlotSurface::highDensityDrawsDevicePixels()
{
    PlotSurface surface(2.0);
    surface.resize(8775, 4335);
    QCOMPARE(surface.drawablePixels(), QSize(1170, 578));
    surface.setPoint(7.5f, 2167.5f, Red);
    QCOMPARE(surface.image().pixel(1, 289), Red);
    surface.drawLine(0, 2167.5f, 8775, 2167.5f, Red);
    QCOMPARE(countOf(surface.image(), Red), 1170);
    // A change of density keeps the picture, at the new density.
    surface.setDevicePixelRatio(1.0);
    QCOMPARE(surface.drawablePixels(), QSize(585, 289));
    QVERIFY(surface.pixelAt(100, 2167.5f) != White);
    QCOMPARE(surface.pixelAt(100, 2100), White);
    surface.setDevicePixelRatio(2.0);
    QVERIFY(surface.pixelAt(100, 2167.5f) != White);
}

void TestPlotSurface::samplesLandWhereTheirPointsDo_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<float>("widthUnits");
    // 1.14 is one where c * unitsPerPixel, rounded up, can lie past column c's first unit.
    for (double ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 0.5, 1.1, 1.14})
        QTest::addRow("ratio %g", ratio) << ratio << 8775.0f;
    // The curve runs on past the right edge, where the image ends too.
    for (double ratio : {1.0, 1.14, 2.0})
        QTest::addRow("ratio %g, narrow", ratio) << ratio << 1500.0f;
}

void TestPlotSurface::samplesLandWhereTheirPointsDo()
{
    // A curve's samples set in runs land on exactly the pixels that setting them one by one
    // chooses, also right at the edges between pixels, where the division's rounding decides.
    QFETCH(double, ratio);
    QFETCH(float, widthUnits);
    const double unitsPerPixel = 15 / ratio;
    std::vector<double> ordinates;
    auto add = [&](double y) { ordinates.push_back(y); };
    for (int row = -2; row <= 40; ++row) {
        // From within the row down across its edge, then up across it.
        const float edge = float(row * unitsPerPixel);
        add(row * unitsPerPixel + 0.37);
        for (float y = edge, step = 0; step < 3; ++step)
            y = std::nextafter(y, -1e9f), add(y);
        for (float y = edge, step = 0; step < 3; ++step)
            add(y), y = std::nextafter(y, 1e9f);
        // Halfway between two floats, where rounding to single precision goes to the even one.
        add((double(edge) + double(std::nextafter(edge, 1e9f))) / 2);
        add((double(edge) + double(std::nextafter(edge, -1e9f))) / 2);
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double y : {nan, inf, -inf, 1e300, -1e300, -0.0, 0.0, -1e-300, 3.4028235e38, 4e38, 2167.5})
        add(y);
    const int count = int(ordinates.size());

    // A long curve wandering over the rows, so that columns change under every kind of value.
    for (int i = 0; i < 3 * count; ++i)
        add(ordinates[(i * 7) % count]);
    for (int i = 0; i < 2000; ++i)
        add(300 + 280 * std::sin(i * 0.01));

    PlotSurface runs(ratio);
    runs.resize(widthUnits, 600);
    PlotSurface single(ratio);
    single.resize(widthUnits, 600);
    auto writer = runs.pointWriter(Red);
    const double firstX = 7;
    // In batches of varying sizes, as a plot hands them over.
    for (std::size_t first = 0, size = 1; first < ordinates.size();
         first += size, size = size * 3 % 257 + 1)
        writer.setSamples(
            firstX + double(first),
            std::span(ordinates).subspan(first, std::min(size, ordinates.size() - first)));
    runs.finish(writer);
    for (std::size_t i = 0; i < ordinates.size(); ++i)
        if (std::abs(ordinates[i]) <= std::numeric_limits<float>::max())
            single.setPoint(float(firstX + double(i)), float(ordinates[i]), Red);
    QVERIFY(countOf(single.image(), Red) > 300);
    QCOMPARE(runs.image(), single.image());
    QCOMPARE(runs.takeChangedPixels(), single.takeChangedPixels());
}

QTEST_APPLESS_MAIN(TestPlotSurface)
#include "tst_plotsurface.moc"
