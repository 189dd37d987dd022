#include "pixels.h"
#include "plotsurface.h"

#include <QTest>

#include <limits>

// The image behind the plot area: where points land, what survives a resize, and its limits.
class TestPlotSurface : public QObject
{
    Q_OBJECT

private slots:
    void pointLandsOnItsPixel_data();
    void pointLandsOnItsPixel();
    void horizontalLineSpansTheArea();
    void pictureSurvivesShrinkAndEnlarge();
    void clearErasesAlsoWhatIsHidden();
    void imageIsCapped();
    void emptyAndBrokenSizes_data();
    void emptyAndBrokenSizes();
    void highDensityDrawsDevicePixels();
};

namespace {

constexpr QRgb Red = qRgb(255, 0, 0);
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
    surface.setPoint(x, y, Red);
    const int painted = countOf(surface.image(), Red);
    if (pixel == QPoint(-1, -1)) {
        QCOMPARE(painted, 0);
    } else {
        QCOMPARE(painted, 1);
        QCOMPARE(surface.image().pixel(pixel), Red);
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

void TestPlotSurface::pictureSurvivesShrinkAndEnlarge()
{
    PlotSurface surface;
    surface.resize(8775, 4335);
    surface.setPoint(8000, 4000, Red);
    surface.resize(150, 150);
    QCOMPARE(surface.drawableSize(), QSize(10, 10));
    surface.setPoint(8000, 4000, qRgb(0, 0, 255)); // Outside the shrunken area: ignored.
    surface.resize(9000, 5000);
    QCOMPARE(surface.pixelAt(8000, 4000), Red);
    QCOMPARE(surface.drawableSize(), QSize(600, 334));
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
    surface.setMaximumSide(1000);
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
    QVERIFY(surface.width() >= 0 && surface.height() >= 0);
    surface.clear();
    surface.setPoint(0, 0, Red);
    surface.drawLine(0, 0, 8775, 0, Red);
    QCOMPARE(countOf(surface.image(), Red), 0);
}

void TestPlotSurface::highDensityDrawsDevicePixels()
{
    PlotSurface surface(2.0);
    surface.resize(8775, 4335);
    QCOMPARE(surface.drawableSize(), QSize(1170, 578));
    surface.setPoint(7.5f, 2167.5f, Red);
    QCOMPARE(surface.image().pixel(1, 289), Red);
    surface.drawLine(0, 2167.5f, 8775, 2167.5f, Red);
    QCOMPARE(countOf(surface.image(), Red), 1170);
    // A change of density keeps the picture, at the new density.
    surface.setDevicePixelRatio(1.0);
    QCOMPARE(surface.drawableSize(), QSize(585, 289));
    QVERIFY(surface.pixelAt(100, 2167.5f) != White);
    QCOMPARE(surface.pixelAt(100, 2100), White);
    surface.setDevicePixelRatio(2.0);
    QVERIFY(surface.pixelAt(100, 2167.5f) != White);
}

QTEST_APPLESS_MAIN(TestPlotSurface)
#include "tst_plotsurface.moc"
