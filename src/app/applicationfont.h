// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The window's fonts (Liberation Sans and Liberation Sans Narrow) are part of the system on
// Linux. On Windows they ship in a "fonts" folder beside the program, so the window looks the
// same there; this loads them into the application's font database.

// Adds every TrueType font of the folder to the application's fonts and returns the families
// that came with them; a missing folder or a file that is no font adds nothing. Needs the
// application object.
QStringList addApplicationFonts(const QString &folder);

// Where the program's own fonts are: the "fonts" folder beside the program on Windows, none
// elsewhere (an empty name).
QString shippedFontsFolder();

// Loads the fonts shipped with the program, where there are any; call it once the application
// object exists and before any widget takes a font.
void loadShippedFonts();
