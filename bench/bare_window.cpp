// SPDX-License-Identifier: GPL-3.0-or-later
// The yardsticks for start-up time and memory: the least a Qt Widgets program can do to put a
// window of the main window's client size on screen, built with the same flags as vibraton.
// With --caption the window also shows one line of text, so it pays what any text costs once
// (the font configuration, the font itself, text layout).
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.resize(584, 435);
    if (QApplication::arguments().contains(QStringLiteral("--caption")))
        new QLabel(QStringLiteral("Vibraton"), &window);
    window.show();
    return app.exec();
}
