// SPDX-License-Identifier: GPL-3.0-or-later
#include "czechqttexts.h"
#include "form1.h"

#include <QAccessible>
#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vibraton"));
    QApplication::setApplicationVersion(QStringLiteral(VIBRATON_VERSION));
    // Lets the desktop match the window to its launcher and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(VIBRATON_APP_ID));
    QAccessible::installFactory(Form1::accessibleInterface);
    installCzechQtTexts(app);
    // Message boxes speak in the window's font too, and the system's default font is never
    // loaded just to lay out a field's text before the field takes the window's font.
    QApplication::setFont(Form1::windowFont());
    Form1 window;
    window.show();
    return app.exec();
}
