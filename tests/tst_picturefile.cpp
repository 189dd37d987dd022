// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf.h"
#include "picturefile.h"
#include "plotbench.h"
#include "plotter.h"

#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <csignal>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

// The picture as it leaves the program, without a window: what it holds, PNG, PDF and files.
class TestPictureFile : public QObject
{
    Q_OBJECT

private slots:
    void formatFollowsTheName_data();
    void formatFollowsTheName();
    void pngReadsBackAsThePicture_data();
    void pngReadsBackAsThePicture();
    void pictureIsOnlyTheDrawableArea();
    void pdfIsOnePageOfTheSizeOnScreen_data();
    void pdfIsOnePageOfTheSizeOnScreen();
    void pdfShowsThePictureAtItsSizeAndPlace();
    void emptyPictureIsNotSaved_data();
    void emptyPictureIsNotSaved();
    void placeOnPageKeepsProportionsCentred_data();
    void placeOnPageKeepsProportionsCentred();
    void folderThatCannotTakeTheFile_data();
    void folderThatCannotTakeTheFile();
    void replacingIsAllOrNothing();
};

namespace {

// A picture of the three default rows and their sum on a surface of the design size.
PlotSurface plotted(double ratio)
{
    PlotBench bench(DesignWidthUnits, DesignHeightUnits, ratio);
    const OscillationTexts rows[] = {{"1", "0", "20"}, {"2", "0", "20"}, {"3", "0", "20"}};
    for (int row = 0; row < 3; ++row)
        bench.plotter.plotOscillation(rows[row], RowPlotColours[row]);
    bench.plotter.plotSuperposition({rows[0], rows[1], rows[2]});
    return bench.surface;
}

QImage wholePicture(const PlotSurface &surface)
{
    return surface.picture(QRect(QPoint(0, 0), surface.drawablePixels()));
}

[[maybe_unused]] QByteArray contentsOf(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Everything in a folder, hidden files too: a temporary file left behind shows.
QStringList entriesOf(const QString &folder, QDir::Filters filters = QDir::AllEntries)
{
    return QDir(folder).entryList(filters | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

// How many pixels of two images of the same size differ; -1 for images of different sizes.
qsizetype differingPixels(const QImage &one, const QImage &other)
{
    if (one.size() != other.size())
        return -1;
    qsizetype count = 0;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x)
            count += one.pixel(x, y) != other.pixel(x, y);
    return count;
}

} // namespace

void TestPictureFile::formatFollowsTheName_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<PictureFile::Format>("format");
    QTest::newRow("png") << "graf.png" << PictureFile::Format::Png;
    QTest::newRow("pdf") << "graf.pdf" << PictureFile::Format::Pdf;
    QTest::newRow("upper-case PDF") << "/tmp/GRAF.PDF" << PictureFile::Format::Pdf;
    QTest::newRow("mixed-case Pdf") << "graf.Pdf" << PictureFile::Format::Pdf;
    QTest::newRow("no suffix") << "graf" << PictureFile::Format::Png;
    QTest::newRow("pdf not last") << "graf.pdf.png" << PictureFile::Format::Png;
    QTest::newRow("pdf as the name") << "/tmp/pdf" << PictureFile::Format::Png;
    QTest::newRow("pdf as a folder") << "/tmp/x.pdf/graf" << PictureFile::Format::Png;
    QTest::newRow("other suffix") << "graf.jpg" << PictureFile::Format::Png;
}

void TestPictureFile::formatFollowsTheName()
{
    QFETCH(QString, fileName);
    QFETCH(PictureFile::Format, format);
    QCOMPARE(PictureFile::formatOf(fileName), format);
}

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
    QTest::addColumn<QString>("name");
    QTest::newRow("single density") << 1.0 << "graf.pdf";
    QTest::newRow("double density") << 2.0 << "graf.pdf";
    QTest::newRow("upper-case suffix") << 1.0 << "GRAF.PDF";
}

void TestPictureFile::pdfIsOnePageOfTheSizeOnScreen()
{
    // 585 by 289 logical pixels at 96 per inch: 438.75 by 216.75 points, whatever the density,
    // on a page of whole points.
    QFETCH(double, ratio);
    QFETCH(QString, name);
    QTemporaryDir folder;
    const QString fileName = folder.filePath(name);
    QCOMPARE(
        PictureFile::save(wholePicture(plotted(ratio)), fileName, PictureFile::formatOf(fileName)),
        std::nullopt);
    const PdfPages pages(fileName);
    QCOMPARE(pages.count, 1);
    QCOMPARE(pages.size, QSizeF(439, 217));
    QVERIFY2(!pages.lossy, "the picture is embedded as lossy JPEG");
}

void TestPictureFile::pdfShowsThePictureAtItsSizeAndPlace()
{
    // At double density, 192 dpi gives each pixel of the picture one pixel of the rendered
    // page, from the top left corner on; the rest of the last point is white.
#ifdef Q_OS_WIN
    QSKIP("the PDF is rendered with Debian's pdftocairo, which Windows lacks");
#endif
    const QImage picture = wholePicture(plotted(2.0)).convertToFormat(QImage::Format_RGB32);
    QTemporaryDir folder;
    const QString fileName = folder.filePath("graf.pdf");
    QCOMPARE(PictureFile::save(picture, fileName, PictureFile::Format::Pdf), std::nullopt);
    const QImage page = renderedPage(fileName, 192).convertToFormat(QImage::Format_RGB32);
    QVERIFY2(!page.isNull(), "pdftocairo (Debian's poppler-utils) did not render the PDF");
    QCOMPARE(page.size(), QSize(1171, 579)); // 439 by 217 points, rounded up.
    QCOMPARE(picture.size(), QSize(1170, 578));
    QCOMPARE(differingPixels(page.copy(QRect(QPoint(0, 0), picture.size())), picture), 0);
    QImage white(page.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    QPainter(&white).drawImage(0, 0, page.copy(QRect(QPoint(0, 0), picture.size())));
    QCOMPARE(differingPixels(page, white), 0);
}

void TestPictureFile::emptyPictureIsNotSaved_data()
{
    QTest::addColumn<PictureFile::Format>("format");
    QTest::addColumn<QString>("reason");
    QTest::newRow("PNG") << PictureFile::Format::Png
                         << "obrázek se nepodařilo převést do formátu PNG";
    QTest::newRow("PDF") << PictureFile::Format::Pdf
                         << "obrázek se nepodařilo převést do formátu PDF";
}

void TestPictureFile::emptyPictureIsNotSaved()
{
    QFETCH(PictureFile::Format, format);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    QCOMPARE(PictureFile::save(QImage(), folder.filePath("graf"), format), reason);
    QCOMPARE(entriesOf(folder.path()), QStringList());
}

void TestPictureFile::placeOnPageKeepsProportionsCentred_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("page");
    QTest::newRow("wide on a tall page") << QSize(585, 289) << QRect(0, 0, 600, 800);
    QTest::newRow("tall on a wide page") << QSize(289, 585) << QRect(0, 0, 800, 600);
    QTest::newRow("same proportions") << QSize(585, 289) << QRect(0, 0, 1170, 578);
    QTest::newRow("page with an offset origin") << QSize(585, 289) << QRect(100, 50, 800, 600);
    QTest::newRow("page with a negative origin") << QSize(585, 289) << QRect(-30, -20, 4000, 3001);
    QTest::newRow("larger than the page") << QSize(8775, 4335) << QRect(0, 0, 499, 700);
    QTest::newRow("tiny on a large page") << QSize(3, 7) << QRect(10, 10, 1000, 1001);
}

void TestPictureFile::placeOnPageKeepsProportionsCentred()
{
    QFETCH(QSize, picture);
    QFETCH(QRect, page);
    const QRect place = PictureFile::placeOnPage(picture, page);
    QVERIFY(page.contains(place));
    // As large as the page allows: it fills the page one way, the other way in proportion.
    const double aspect = double(picture.width()) / picture.height();
    if (place.width() == page.width())
        QVERIFY(std::abs(place.height() - place.width() / aspect) < 1);
    else if (place.height() == page.height())
        QVERIFY(std::abs(place.width() - place.height() * aspect) < 1);
    else
        QFAIL("the picture fills the page neither way");
    // Centred: the margins on either side differ by a pixel at most.
    QVERIFY(std::abs((place.left() - page.left()) - (page.right() - place.right())) <= 1);
    QVERIFY(std::abs((place.top() - page.top()) - (page.bottom() - place.bottom())) <= 1);
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
#ifdef Q_OS_WIN
    if (path.startsWith("/proc/"))
        QSKIP("Windows has no folder that not even an administrator may write to");
#endif
    QTemporaryDir folder;
    QFile file(folder.filePath("soubor"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString fileName = path.startsWith('/') ? path : folder.filePath(path);
    const std::optional<QString> failure =
        PictureFile::save(wholePicture(plotted(1.0)), fileName, PictureFile::Format::Png);
    QVERIFY(failure.has_value());
    // The reason names the folder as the system writes it.
    QCOMPARE(*failure,
             reason.contains("%1") ? QDir::toNativeSeparators(reason.arg(folder.path())) : reason);
    QCOMPARE(entriesOf(folder.path()), QStringList{"soubor"});
}

void TestPictureFile::replacingIsAllOrNothing()
{
#ifdef Q_OS_WIN
    QSKIP("the disk fills up here through POSIX's file size limit, which Windows lacks");
#else
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
    QCOMPARE(entriesOf(folder.path(), QDir::Files), QStringList{"graf.png"});

    QCOMPARE(PictureFile::save(newer, fileName, PictureFile::Format::Png), std::nullopt);
    QVERIFY(QImage(fileName).convertToFormat(newer.format()) == newer);
#endif
}

QTEST_GUILESS_MAIN(TestPictureFile)
#include "tst_picturefile.moc"
