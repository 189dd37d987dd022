// SPDX-License-Identifier: GPL-3.0-or-later
#include "applicationfont.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>

QStringList addApplicationFonts(const QString &folder)
{
    QStringList families;
    const QDir dir(folder);
    const QStringList files = dir.entryList({QStringLiteral("*.ttf")}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        const int id = QFontDatabase::addApplicationFont(dir.filePath(file));
        if (id < 0)
            continue;
        for (const QString &family : QFontDatabase::applicationFontFamilies(id))
            if (!families.contains(family))
                families << family;
    }
    return families;
}

QString shippedFontsFolder()
{
#ifdef Q_OS_WIN
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("fonts"));
#else
    return {}; // The system's fonts (package fonts-liberation) serve.
#endif
}

void loadShippedFonts()
{
    const QString folder = shippedFontsFolder();
    if (!folder.isEmpty())
        addApplicationFonts(folder);
}
