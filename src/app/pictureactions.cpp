// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictureactions.h"

#include "dialogs.h"
#include "picturefile.h"

#include <QAction>
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>

PictureActions::PictureActions(QAction *copy, QAction *save, QAction *print,
                               const PictureSource &source, Dialogs &dialogs, QObject *parent)
    : QObject(parent)
    , m_actions{copy, save, print}
    , m_source(source)
    , m_dialogs(dialogs)
{
    // The platform's own key sequences, which a form can't name.
    copy->setShortcuts(QKeySequence::Copy);
    save->setShortcuts(QKeySequence::Save);
    print->setShortcuts(QKeySequence::Print);
    connect(copy, &QAction::triggered, this, &PictureActions::copyPicture);
    connect(save, &QAction::triggered, this, &PictureActions::savePicture);
    connect(print, &QAction::triggered, this, &PictureActions::printPicture);
}

void PictureActions::enableForPicture()
{
    const bool hasPicture = m_source.hasPicture();
    for (QAction *action : m_actions)
        action->setEnabled(hasPicture);
}

void PictureActions::copyPicture() const
{
    // As an image and as PNG data, which office suites and image editors paste.
    const QImage picture = m_source.picture();
    auto *data = new QMimeData;
    data->setImageData(picture);
    data->setData(QStringLiteral("image/png"), PictureFile::png(picture));
    QGuiApplication::clipboard()->setMimeData(data);
}

void PictureActions::savePicture() const
{
    const QImage picture = m_source.picture();
    const QString name =
        QDateTime::currentDateTime().toString(QStringLiteral("'vibraton-'yyyy-MM-dd-HHmm'.png'"));
    m_dialogs.save({QStringLiteral("Uložit obrázek"),
                    QStandardPaths::PicturesLocation,
                    name,
                    {{QStringLiteral("Obrázek PNG (*.png)"), QStringLiteral("png")},
                     {QStringLiteral("Dokument PDF (*.pdf)"), QStringLiteral("pdf")}},
                    QStringLiteral("Obrázek se nepodařilo uložit do souboru „%1“: %2.")},
                   [&picture](const QString &fileName) {
                       return PictureFile::save(picture, fileName, PictureFile::formatOf(fileName));
                   });
}

void PictureActions::printPicture() const
{
    const QImage picture = m_source.picture();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Vibraton"));
    printer.setCreator(QStringLiteral("Vibraton"));
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!m_dialogs.setUpPrinter(printer))
        return;
    // The picture on one page, as large as the printable area lets it be, centred.
    QPainter painter(&printer);
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.drawImage(PictureFile::placeOnPage(picture.size(), painter.viewport()), picture);
}
