// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>

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
    // As the system gave it: on Linux the very bytes, which need not be UTF-8.
    std::filesystem::path fileName;
    QString text;
};

// The exit code after a command line that can't be followed.
inline constexpr int ExitCode = 2;

// The arguments main() gets on Linux, bytes in any encoding, as text for parse(): UTF-8 as
// such, and each byte that isn't as the lone surrogate U+DC80 + byte, so that a file's name
// comes back from parse() as the same bytes. (Windows gives its arguments as UTF-16 text.)
QStringList fromSystem(int argc, const char *const argv[]);

// The program's arguments, its own name first; the version is what --version prints.
Request parse(const QStringList &arguments, const QString &version);

} // namespace CommandLine
