// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QCoreApplication;

// Qt's own texts, such as the text fields' context menus, in Czech like the rest of the window,
// whatever the user's locale. Where Qt's translations are not installed the program keeps Qt's
// English texts and works all the same; that case returns false.
bool installCzechQtTexts(QCoreApplication &application);
