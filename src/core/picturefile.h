// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

#include <optional>

class QIODevice;

// The plot area's picture as it leaves the program: PNG data, a PDF page, a file.
namespace PictureFile {

enum class Format { Png, Pdf };

// The format a file's name asks for: PDF for a name ending in ".pdf", else PNG.
Format formatOf(const QString &fileName);

// PNG data of a picture, with its resolution recorded.
QByteArray png(const QImage &picture);

// One PDF page of the picture's size on screen, a logical pixel being 1/96 inch, so that it
// prints at the scale the user sees. The picture is embedded without loss. False for an empty
// picture.
bool writePdf(const QImage &picture, QIODevice *device);

// Writes the picture to a file in one step, as SaveFile::write does. On failure, says in Czech
// what went wrong.
std::optional<QString> save(const QImage &picture, const QString &fileName, Format format);

// Where a picture goes on a page: as large as the page allows keeping its proportions, centred.
QRect placeOnPage(QSize picture, const QRect &page);

} // namespace PictureFile
