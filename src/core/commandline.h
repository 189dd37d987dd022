// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What the program's command line asks for: `vibraton [SOUBOR]`, `--help` or `--version`.
// It is read before the program has a window or a display, so help and errors need neither.
namespace CommandLine {

struct Request
{
    enum class Action {
        OpenWindow, // With the lesson file in fileName, if one was given.
        Print,      // Writes text to standard output and exits with 0.
        Refuse,     // Writes text, one line, to standard error and exits with ExitCode.
    };
    Action action = Action::OpenWindow;
    QString fileName;
    QString text;
};

// The exit code after a command line that can't be followed.
inline constexpr int ExitCode = 2;

// The program's arguments, its own name first; the version is what --version prints.
Request parse(const QStringList &arguments, const QString &version);

} // namespace CommandLine
