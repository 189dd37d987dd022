// SPDX-License-Identifier: GPL-3.0-or-later
#include "plotareasize.h"

#include <QTest>

// The plot area follows the window's outer size by fixed margins, with the designed frame
// standing in for a frame without a caption bar.
class TestPlotAreaSize : public QObject
{
    Q_OBJECT

private slots:
    void followsTheWindow_data();
    void followsTheWindow();
};

void TestPlotAreaSize::followsTheWindow_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QMargins>("reportedFrame");
    QTest::addColumn<QSize>("plotUnits");
    const QMargins none;
    // The designed frame is 4 pixels at the sides and bottom, 23 at the top.
    QTest::newRow("design, no frame") << QSize(584, 435) << none << QSize(8745, 4395);
    QTest::newRow("larger, no frame") << QSize(800, 600) << none << QSize(11985, 6870);
    QTest::newRow("offscreen's bare border")
        << QSize(584, 435) << QMargins(1, 1, 1, 1) << QSize(8745, 4395);
    QTest::newRow("a frame with a caption bar")
        << QSize(584, 435) << QMargins(2, 30, 2, 2) << QSize(8685, 4470);
    QTest::newRow("narrow and short") << QSize(100, 150) << none << QSize(1485, 120);
    QTest::newRow("below the height margin") << QSize(300, 100) << none << QSize(4485, 0);
    QTest::newRow("one pixel") << QSize(1, 1) << none << QSize(0, 0);
}

void TestPlotAreaSize::followsTheWindow()
{
    QFETCH(QSize, client);
    QFETCH(QMargins, reportedFrame);
    QFETCH(QSize, plotUnits);
    const QMargins frame = PlotAreaSize::frameToCount(reportedFrame);
    QCOMPARE(PlotAreaSize::forWindow(client, frame) * UnitsPerPixel, plotUnits);
}

QTEST_APPLESS_MAIN(TestPlotAreaSize)
#include "tst_plotareasize.moc"
