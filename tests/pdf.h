// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QTemporaryDir>

// What the tests need to know of a PDF file Qt wrote: its pages and the first one's size in
// points (Qt writes the page objects uncompressed).
struct PdfPages
{
    explicit PdfPages(const QString &fileName)
    {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QByteArray pdf = file.readAll();
        count = pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page/");
        const QRegularExpressionMatch box =
            QRegularExpression(R"(/MediaBox \[0 0 ([\d.]+) ([\d.]+)\])")
                .match(QString::fromLatin1(pdf));
        if (box.hasMatch())
            size = {box.captured(1).toDouble(), box.captured(2).toDouble()};
        lossy = pdf.contains("/DCTDecode");
    }

    qsizetype count = 0;
    QSizeF size;
    bool lossy = false; // An image embedded as JPEG.
};

// The first page of a PDF file as poppler renders it through Cairo, or a null image where it
// can't. (pdftoppm's own renderer stretches an image by a pixel each way, blurring it.)
inline QImage renderedPage(const QString &fileName, int dotsPerInch)
{
    QTemporaryDir folder;
    const QString image = folder.filePath("stranka");
    QProcess pdftocairo;
    pdftocairo.start("pdftocairo", {"-png", "-r", QString::number(dotsPerInch), "-singlefile", "-f",
                                    "1", "-l", "1", fileName, image});
    if (!pdftocairo.waitForFinished() || pdftocairo.exitStatus() != QProcess::NormalExit ||
        pdftocairo.exitCode() != 0)
        return QImage();
    return QImage(image + ".png");
}
