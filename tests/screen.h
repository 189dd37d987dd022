// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "form1.h"

#include <QImage>
#include <QScreen>

// The plot area as the screen shows it (the window's backing store), as far as the bottom
// strip that lies over its last rows.
inline QImage plotAreaOnScreen(const Form1 &form)
{
    const Ui::Form1 &ui = form.ui();
    const QRect area = ui.Picture1->geometry() & QRect(0, 0, form.width(), ui.StatusBar1->y());
    return form.screen()->grabWindow(form.winId()).toImage().copy(area);
}
