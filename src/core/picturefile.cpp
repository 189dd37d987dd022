// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturefile.h"

#include "savefile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

namespace {

constexpr double DotsPerInch = 96;

// The PDF file's bytes, made in memory so that the file takes them in one step.
QByteArray pdf(const QImage &picture)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    return PictureFile::writePdf(picture, &buffer) ? data : QByteArray();
}

} // namespace

PictureFile::Format PictureFile::formatOf(const QString &fileName)
{
    const bool pdf =
        QFileInfo(fileName).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    return pdf ? Format::Pdf : Format::Png;
}

QByteArray PictureFile::png(const QImage &picture)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(picture);
    return data;
}

bool PictureFile::writePdf(const QImage &picture, QIODevice *device)
{
    if (picture.isNull())
        return false;
    // One unit of the page is one pixel of the picture.
    const double pixelsPerInch = DotsPerInch * picture.devicePixelRatio();
    QPdfWriter pdf(device);
    pdf.setCreator(QStringLiteral("Vibraton"));
    pdf.setResolution(qRound(pixelsPerInch));
    // A PDF page is a whole number of points; the picture's last fraction of a point is
    // white page.
    const QSizeF points = QSizeF(picture.size()) / pixelsPerInch * 72;
    const QPageSize size(QSize(int(std::ceil(points.width())), int(std::ceil(points.height()))),
                         QString(), QPageSize::ExactMatch);
    if (!pdf.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF())))
        return false;
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    painter.setRenderHint(QPainter::LosslessImageRendering); // JPEG would smear thin curves.
    painter.drawImage(QRect(QPoint(0, 0), picture.size()), picture);
    return painter.end();
}

std::optional<QString> PictureFile::save(const QImage &picture, const QString &fileName,
                                         Format format)
{
    const bool isPdf = format == Format::Pdf;
    const QByteArray data = isPdf ? pdf(picture) : png(picture);
    if (data.isEmpty())
        return QStringLiteral("obrázek se nepodařilo převést do formátu %1")
            .arg(isPdf ? QLatin1String("PDF") : QLatin1String("PNG"));
    return SaveFile::write(fileName, data);
}

QRect PictureFile::placeOnPage(QSize picture, const QRect &page)
{
    QRect place(QPoint(0, 0), picture.scaled(page.size(), Qt::KeepAspectRatio));
    place.moveCenter(page.center());
    return place;
}
