// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"
#include "pixels.h"

#include <QLabel>
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
};

namespace {

constexpr QRgb Blue = qRgb(0, 0, 255);

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
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    if (form.devicePixelRatio() != 2)
        QSKIP("needs QT_SCALE_FACTOR=2");
}

void TestHighDensity::layoutScales()
{
    Form1 form;
    form.show();
    // Logical geometry is as designed; the window covers twice as many device pixels.
    QCOMPARE(form.ui().Command1->geometry(), QRect(416, 16, 57, 25));
    const QImage shown = form.grab().toImage();
    QCOMPARE(shown.size(), QSize(584, 435) * 2);
    QCOMPARE(form.plotArea()->surface().drawableSize(), form.plotArea()->size() * 2);
}

void TestHighDensity::textIsDrawnAtDeviceResolution()
{
    Form1 form;
    form.show();
    QLabel *title = form.ui().Label4;
    const QImage text = title->grab().toImage();
    QCOMPARE(text.devicePixelRatio(), 2.0);
    QVERIFY(detailedBlocks(text) > 20);
}

void TestHighDensity::curvesAreOneDevicePixelThick()
{
    // At double density a curve is twice as long in device pixels and still one pixel thick:
    // about twice the pixels it has at single density, not four times.
    Form1 form;
    form.show();
    form.Command1_Click();
    const QImage &dense = form.plotArea()->surface().image();

    PlotSurface single(1.0);
    single.resize(form.plotArea()->width() * 15.0f, form.plotArea()->height() * 15.0f);
    Plotter plotter(single, NumberText(QLocale()));
    plotter.plotOscillation({"1", "0", "20"}, Blue);

    const double ratio = double(countOf(dense, Blue)) / countOf(single.image(), Blue);
    QVERIFY2(ratio > 1.6 && ratio < 2.4, qPrintable(QString::number(ratio)));
    QVERIFY(detailedBlocks(pixelsOf(dense, Blue).convertToFormat(QImage::Format_RGB32)) > 500);
}

void TestHighDensity::savedPictureHasTheScreensPixels()
{
    // At double density the saved picture holds the screen's device pixels, at 192 dpi.
    QTemporaryDir folder;
    const QString fileName = folder.filePath("graf.png");
    Form1 form;
    form.setDialogs({[&](const QString &) { return fileName; }, {}});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Command1_Click();
    form.Command5_Click();
    QCoreApplication::processEvents();
    form.ui().savePictureAction->trigger();
    const QImage saved(fileName);
    QCOMPARE(saved.dotsPerMeterX(), 7559);
    const QRect area =
        form.ui().Picture1->geometry() & QRect(0, 0, form.width(), form.ui().StatusBar1->y());
    QCOMPARE(saved.size(), area.size() * 2);
    // What the plot area paints, as the screen shows it where the strip doesn't cover it.
    const QImage painted = form.ui().Picture1->grab().toImage();
    QCOMPARE(painted.devicePixelRatio(), 2.0);
    QVERIFY(saved ==
            painted.copy(QRect(QPoint(0, 0), area.size() * 2)).convertToFormat(saved.format()));
    QVERIFY(countOf(saved, Blue) > 1000);
}

QTEST_MAIN(TestHighDensity)
#include "tst_hidpi.moc"
