// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QStandardPaths>
#include <QString>

// The folder the user last saved or opened a file in, remembered across runs, so that every
// file dialog starts where the user works.
namespace LastFolder {

// The remembered folder while it exists; else the given standard place (the pictures folder,
// say), and the home folder where there is none.
QDir folder(QStandardPaths::StandardLocation firstTimeDefault);

// Remembers the folder of a file the user just saved or opened.
void remember(const QString &fileName);

} // namespace LastFolder
