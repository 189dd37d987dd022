// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturefile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <climits>
#include <cmath>

namespace {

constexpr double DotsPerInch = 96;

// What went wrong with a file that failed to open, take or keep its data.
QString reasonOf(const QSaveFile &file)
{
    switch (file.error()) {
    case QFileDevice::ResourceError:
        return QStringLiteral("na disku není dost místa");
    case QFileDevice::PermissionsError:
        return QStringLiteral("k souboru není přístup");
    default:
        return QStringLiteral("zápis se nezdařil (%1)").arg(file.errorString());
    }
}

// What stands in the way of a new file of that name, before a byte is written.
std::optional<QString> obstacleTo(const QString &fileName)
{
    const QFileInfo target(fileName);
    const QFileInfo folder(target.absolutePath());
    const QString folderName = QDir::toNativeSeparators(folder.absoluteFilePath());
    if (!folder.isDir())
        return QStringLiteral("složka %1 neexistuje").arg(folderName);
    if (!folder.isWritable())
        return QStringLiteral("do složky %1 nelze zapisovat").arg(folderName);
    const qsizetype nameBytes = target.fileName().toLocal8Bit().size();
    if (nameBytes == 0 || nameBytes > NAME_MAX)
        return QStringLiteral("takový název souboru není dovolen");
    if (target.isDir())
        return QStringLiteral("toto jméno nese složka");
    return std::nullopt;
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
    if (const std::optional<QString> obstacle = obstacleTo(fileName))
        return obstacle;
    // The data goes to a temporary file beside the target, which takes the target's name only
    // once it is complete.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return reasonOf(file);
    bool written = false;
    if (format == Format::Pdf) {
        written = writePdf(picture, &file);
    } else {
        const QByteArray data = png(picture);
        written = !data.isEmpty() && file.write(data) == data.size();
    }
    // Qt's commit() misses a write that fails as the buffer is flushed on closing (a full disk)
    // and would put the truncated file in place; flushing first catches it.
    if (!written || !file.flush() || !file.commit())
        return reasonOf(file);
    return std::nullopt;
}
