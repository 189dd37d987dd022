// SPDX-License-Identifier: GPL-3.0-or-later
#include "czechqttexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installCzechQtTexts(QCoreApplication &application)
{
    auto *translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_cs"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
