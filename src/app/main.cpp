// SPDX-License-Identifier: GPL-3.0-or-later
#include "applicationfont.h"
#include "commandline.h"
#include "czechqttexts.h"
#include "form1.h"

#include <QAccessible>
#include <QApplication>

#include <cstdio>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shellapi.h>
#endif

namespace {

// The command line as given, read before there is an application: help, the version and
// errors need no display.
CommandLine::Request readCommandLine(int argc, char *argv[])
{
    QStringList arguments;
#ifdef Q_OS_WIN
    // Windows hands main() the arguments in the system's code page, which may lack letters of
    // a file's name ("ř" on a Western European system); its own command line has them all.
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; wide && i < count; ++i)
        arguments << QString::fromWCharArray(wide[i]);
    LocalFree(wide);
#else
    // Linux hands bytes: a file's name need not be UTF-8, and is opened by the same bytes.
    arguments = CommandLine::fromSystem(argc, argv);
#endif
    return CommandLine::parse(arguments, QStringLiteral(VIBRATON_VERSION));
}

} // namespace

int main(int argc, char *argv[])
{
    const CommandLine::Request request = readCommandLine(argc, argv);
    // What is printed is UTF-8, as on Linux: Windows' own code page may lack Czech letters.
    switch (request.action) {
    case CommandLine::Request::Action::Print:
        std::fputs(request.text.toUtf8().constData(), stdout);
        return 0;
    case CommandLine::Request::Action::Refuse:
        std::fputs(request.text.toUtf8().constData(), stderr);
        return CommandLine::ExitCode;
    case CommandLine::Request::Action::OpenWindow:
        break;
    }

    QApplication app(argc, argv);
    loadShippedFonts();
    QApplication::setApplicationName(QStringLiteral("Vibraton"));
    // Settings (the folder last used, the pitch) go to ~/.config/Vibraton/Vibraton.conf.
    QApplication::setOrganizationName(QStringLiteral("Vibraton"));
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
    // The file's values once the window is up, so a file that can't be used leaves the
    // window with its defaults behind the message.
    if (!request.fileName.empty())
        window.lessonActions().openSoon(request.fileName);
    return app.exec();
}
