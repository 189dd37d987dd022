// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf.h"
#include "picturefile.h"
#include "plotter.h"

#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

// The picture as it leaves the program, without a window: what it holds, PNG, PDF and files.
class TestPictureFile : public QObject
{
    Q_OBJECT

private slots:
    void pngReadsBackAsThePicture_data();
    void pngReadsBackAsThePicture();
    void pictureIsOnlyTheDrawableArea();
    void pdfIsOnePageOfTheSizeOnScreen_data();
    void pdfIsOnePageOfTheSizeOnScreen();
    void folderThatCannotTakeTheFile_data();
    void folderThatCannotTakeTheFile();
    void replacingIsAllOrNothing();
};

namespace {

// A picture of the three default rows and their sum on a surface of the design size.
PlotSurface plotted(double ratio)
{
    PlotSurface surface(ratio);
    surface.resize(8775, 4335);
    Plotter plotter(surface, NumberText(QLocale::c()));
    plotter.setMessageHandler([](const QString &) {});
    const OscillationTexts rows[] = {{"1", "0", "20"}, {"2", "0", "20"}, {"3", "0", "20"}};
    for (int row = 0; row < 3; ++row)
        plotter.plotOscillation(rows[row], RowPlotColours[row]);
    plotter.plotSuperposition({rows[0], rows[1], rows[2]});
    return surface;
}

QImage wholePicture(const PlotSurface &surface)
{
    return surface.picture(QRect(QPoint(0, 0), surface.drawableSize()));
}

QByteArray contentsOf(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TestPictureFile::pngReadsBackAsThePicture_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("dotsPerMetre");
    QTest::newRow("single density") << 1.0 << 3780; // 96 dpi
    QTest::newRow("double density") << 2.0 << 7559; // 192 dpi
}

void TestPictureFile::pngReadsBackAsThePicture()
{
    QFETCH(double, ratio);
    QFETCH(int, dotsPerMetre);
    const QImage picture = wholePicture(plotted(ratio));
    QCOMPARE(picture.size(), QSize(585, 289) * ratio);
    QTemporaryDir folder;
    const QString fileName = folder.filePath("graf.png");
    QCOMPARE(PictureFile::save(picture, fileName, PictureFile::Format::Png), std::nullopt);
    QImage read(fileName);
    QCOMPARE(read.format(), QImage::Format_RGB32);
    QCOMPARE(read.dotsPerMeterX(), dotsPerMetre);
    QCOMPARE(read.dotsPerMeterY(), dotsPerMetre);
    QVERIFY(read.convertToFormat(picture.format()) == picture);
    QCOMPARE(QImage::fromData(PictureFile::png(picture)), read);
}

void TestPictureFile::pictureIsOnlyTheDrawableArea()
{
    // After the area shrank, the part of the image it no longer shows is not in the picture.
    PlotSurface surface = plotted(1.0);
    surface.resize(3000, 1500);
    const QImage picture = wholePicture(surface);
    QCOMPARE(picture.size(), QSize(200, 100));
    QCOMPARE(surface.picture(QRect(0, 0, 10000, 10000)), picture);
    QVERIFY(picture == surface.image().copy(0, 0, 200, 100));
    QVERIFY(surface.picture(QRect(0, 0, 0, 10)).isNull());
}

void TestPictureFile::pdfIsOnePageOfTheSizeOnScreen_data()
{
    QTest::addColumn<double>("ratio");
    QTest::newRow("single density") << 1.0;
    QTest::newRow("double density") << 2.0;
}

void TestPictureFile::pdfIsOnePageOfTheSizeOnScreen()
{
    // 585 by 289 logical pixels at 96 per inch: 438.75 by 216.75 points, whatever the density,
    // on a page of whole points.
    QFETCH(double, ratio);
    QTemporaryDir folder;
    const QString fileName = folder.filePath("graf.pdf");
    QCOMPARE(PictureFile::save(wholePicture(plotted(ratio)), fileName, PictureFile::Format::Pdf),
             std::nullopt);
    const PdfPages pages(fileName);
    QCOMPARE(pages.count, 1);
    QCOMPARE(pages.size, QSizeF(439, 217));
    QVERIFY2(!pages.lossy, "the picture is embedded as lossy JPEG");
}

void TestPictureFile::folderThatCannotTakeTheFile_data()
{
    QTest::addColumn<QString>("path"); // Within a scratch folder that holds a file "soubor".
    QTest::addColumn<QString>("reason");
    QTest::newRow("no such folder") << "chybi/graf.png"
                                    << "složka %1/chybi neexistuje";
    QTest::newRow("a file, not a folder") << "soubor/graf.png"
                                          << "složka %1/soubor neexistuje";
    QTest::newRow("name too long") << QString(300, 'g') + ".png"
                                   << "takový název souboru není dovolen";
    QTest::newRow("a folder's name") << "."
                                     << "toto jméno nese složka";
    QTest::newRow("a folder nobody may write to, not even root")
        << "/proc/graf.png"
        << "zápis se nezdařil (No such file or directory)";
}

void TestPictureFile::folderThatCannotTakeTheFile()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    QFile file(folder.filePath("soubor"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString fileName = path.startsWith('/') ? path : folder.filePath(path);
    const std::optional<QString> failure =
        PictureFile::save(wholePicture(plotted(1.0)), fileName, PictureFile::Format::Png);
    QVERIFY(failure.has_value());
    QCOMPARE(*failure, reason.contains("%1") ? reason.arg(folder.path()) : reason);
    QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{"soubor"});
}

void TestPictureFile::replacingIsAllOrNothing()
{
    // An existing file is either kept whole or replaced whole, also when the disk fills up
    // halfway through the new one; no temporary file is left behind.
    QTemporaryDir folder;
    const QString fileName = folder.filePath("graf.png");
    const QImage older = wholePicture(plotted(1.0));
    QCOMPARE(PictureFile::save(older, fileName, PictureFile::Format::Png), std::nullopt);
    const QByteArray olderData = contentsOf(fileName);

    const QImage newer = wholePicture(plotted(2.0));
    rlimit limit{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &limit) == 0);
    const rlimit full{rlim_t(olderData.size()), limit.rlim_max};
    std::signal(SIGXFSZ, SIG_IGN); // A write past the limit fails instead of ending the process.
    QVERIFY(setrlimit(RLIMIT_FSIZE, &full) == 0);
    const std::optional<QString> failure =
        PictureFile::save(newer, fileName, PictureFile::Format::Png);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
    QVERIFY(failure.has_value());
    QVERIFY2(failure->startsWith("zápis se nezdařil"), qPrintable(*failure));
    QCOMPARE(contentsOf(fileName), olderData);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"graf.png"});

    QCOMPARE(PictureFile::save(newer, fileName, PictureFile::Format::Png), std::nullopt);
    QVERIFY(QImage(fileName).convertToFormat(newer.format()) == newer);
}

QTEST_GUILESS_MAIN(TestPictureFile)
#include "tst_picturefile.moc"
