// SPDX-License-Identifier: GPL-3.0-or-later
#include "pixels.h"
#include "plotbench.h"
#include "windowfixture.h"

#include <QLabel>
#include <QPaintEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// The window on a screen of twice the usual density (run with QT_SCALE_FACTOR=2): the layout
// scales, and text and curves are drawn in device pixels rather than blown up.
class TestHighDensity : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void layoutScales();
    void textIsDrawnAtDeviceResolution();
    void curvesAreOneDevicePixelThick();
    void savedPictureHasTheScreensPixels();
    void repaintCoversEveryChangedDevicePixel();
};

namespace {

constexpr QRgb Blue = RowPlotColours[0];

// 2×2 blocks of a picture drawn at double density that are not one flat colour: none where
// the picture was merely blown up.
int detailedBlocks(const QImage &image)
{
    int count = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb corner = image.pixel(x, y);
            count += image.pixel(x + 1, y) != corner || image.pixel(x, y + 1) != corner ||
                     image.pixel(x + 1, y + 1) != corner;
        }
    return count;
}

} // namespace

void TestHighDensity::initTestCase()
{
    WindowFixture window;
    window.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window.form));
    if (window.form.devicePixelRatio() != 2)
        QSKIP("needs QT_SCALE_FACTOR=2");
}

void TestHighDensity::layoutScales()
{
    WindowFixture window;
    window.form.show();
    // Logical geometry is as designed; the window covers twice as many device pixels.
    QCOMPARE(window.control("Command1")->geometry(), QRect(416, 16, 57, 25));
    const QImage shown = window.form.grab().toImage();
    QCOMPARE(shown.size(), QSize(584, 435) * 2);
    QCOMPARE(window.plotArea()->surface().drawablePixels(), window.plotArea()->size() * 2);
}

void TestHighDensity::textIsDrawnAtDeviceResolution()
{
    WindowFixture window;
    window.form.show();
    auto *title = window.control<QLabel>("Label4");
    const QImage text = title->grab().toImage();
    QCOMPARE(text.devicePixelRatio(), 2.0);
    QVERIFY(detailedBlocks(text) > 20);
}

void TestHighDensity::curvesAreOneDevicePixelThick()
{
    // At double density a curve is twice as long in device pixels and still one pixel thick:
    // about twice the pixels it has at single density, not four times.
    WindowFixture window{QLocale()};
    window.form.show();
    window.form.Command1_Click();
    const QImage &dense = window.image();

    PlotBench single(window.plotArea()->width() * 15.0f, window.plotArea()->height() * 15.0f, 1.0,
                     QLocale());
    single.plotter.plotOscillation({"1", "0", "20"}, Blue);

    const double ratio = double(countOf(dense, Blue)) / countOf(single.surface.image(), Blue);
    QVERIFY2(ratio > 1.6 && ratio < 2.4, qPrintable(QString::number(ratio)));
    QVERIFY(detailedBlocks(pixelsOf(dense, Blue).convertToFormat(QImage::Format_RGB32)) > 500);
}

void TestHighDensity::savedPictureHasTheScreensPixels()
{
    // At double density the saved picture holds the screen's device pixels, at 192 dpi.
    QTemporaryDir folder;
    const QString fileName = folder.filePath("graf.png");
    WindowFixture window{QLocale()};
    window.answer = fileName;
    window.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window.form));
    window.form.Command1_Click();
    window.form.Command5_Click();
    QCoreApplication::processEvents();
    window.action("savePictureAction")->trigger();
    const QImage saved(fileName);
    QCOMPARE(saved.dotsPerMeterX(), 7559);
    const QRect area = window.visiblePlotArea();
    QCOMPARE(saved.size(), area.size() * 2);
    // What the plot area paints, as the screen shows it where the strip doesn't cover it.
    const QImage painted = window.plotArea()->grab().toImage();
    QCOMPARE(painted.devicePixelRatio(), 2.0);
    QVERIFY(saved ==
            painted.copy(QRect(QPoint(0, 0), area.size() * 2)).convertToFormat(saved.format()));
    QVERIFY(countOf(saved, Blue) > 1000);
}

namespace {

// Gathers the regions the plot area is asked to paint.
struct PaintedRegion : QObject
{
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            region += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
    QRegion region;
};

} // namespace

void TestHighDensity::repaintCoversEveryChangedDevicePixel()
{
    // A command repaints the logical pixels that hold the device pixels it changed; a device
    // row left out would leave a stale half row on screen.
    WindowFixture window;
    window.showAtDesignHeight();
    QVERIFY(QTest::qWaitForWindowExposed(&window.form));
    PaintedRegion painted;
    window.plotArea()->installEventFilter(&painted);
    for (const QString amplitude : {"20", "-150", "0.5", "7.3"}) {
        window.setText("Text3", amplitude);
        for (const char *command : {"Command1", "Command3", "Command5", "Command2", "Command1"}) {
            QCoreApplication::processEvents();
            const QImage before = window.image().copy();
            painted.region = QRegion();
            window.click(command);
            QCoreApplication::processEvents();
            const QImage &after = window.image();
            const QSize shown = window.plotArea()->surface().drawablePixels();
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    if (after.pixel(x, y) != before.pixel(x, y))
                        QVERIFY2(painted.region.contains(QPoint(x / 2, y / 2)),
                                 qPrintable(QString("device pixel (%1, %2) after %3")
                                                .arg(x)
                                                .arg(y)
                                                .arg(command)));
        }
    }
}

int main(int argc, char *argv[])
{
    // Set here, not only by the test's caller: Wine hands no QT_* variable on to a program.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication application(argc, argv);
    application.setAttribute(Qt::AA_Use96Dpi, true); // As QTEST_MAIN does.
    TestHighDensity test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_hidpi.moc"
