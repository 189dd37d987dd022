// SPDX-License-Identifier: GPL-3.0-or-later
#include "lastfolder.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString Key = QStringLiteral("soubory/posledniSlozka");

} // namespace

QDir LastFolder::folder(QStandardPaths::StandardLocation firstTimeDefault)
{
    const QString remembered = QSettings().value(Key).toString();
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
        return QDir(remembered);
    const QDir standard(QStandardPaths::writableLocation(firstTimeDefault));
    return standard.exists() ? standard : QDir::home();
}

void LastFolder::remember(const QString &fileName)
{
    QSettings().setValue(Key, QFileInfo(fileName).absolutePath());
}
