// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QSizeF>

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
