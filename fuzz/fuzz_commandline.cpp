// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary arguments, as Linux hands them to main(), to the command line's reader and
// checks what the user could observe: help or the version on standard output, one line of
// refusal on standard error, or the window with a file whose name is one of the arguments byte
// for byte.
//
// Input layout: the arguments after the program's name, each ended by a zero byte; bytes after
// the last zero are one more argument.

#include "commandline.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using Request = CommandLine::Request;

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// More than any shell hands a program in practice, and few enough to keep each input quick.
constexpr qsizetype MostArguments = 64;

QList<QByteArray> argumentsOf(const QByteArray &input)
{
    QList<QByteArray> arguments;
    qsizetype start = 0;
    while (start < input.size() && arguments.size() < MostArguments) {
        qsizetype end = input.indexOf('\0', start);
        if (end < 0)
            end = input.size();
        arguments << input.sliced(start, end - start);
        start = end + 1;
    }
    return arguments;
}

Request parse(const QList<QByteArray> &arguments)
{
    std::vector<const char *> argv = {"vibraton"};
    for (const QByteArray &argument : arguments)
        argv.push_back(argument.constData());
    return CommandLine::parse(CommandLine::fromSystem(int(argv.size()), argv.data()), "9.8");
}

QByteArray bytesOf(const std::filesystem::path &fileName)
{
    return QByteArray::fromStdString(fileName.native());
}

void checkRequest(const Request &request, const QList<QByteArray> &arguments)
{
    switch (request.action) {
    case Request::Action::Print:
        check(request.text.startsWith(QStringLiteral("Použití: vibraton [SOUBOR]\n")) ||
              request.text == QStringLiteral("Vibraton 9.8\n"));
        check(request.fileName.empty());
        return;
    case Request::Action::Refuse:
        check(request.text.startsWith(QStringLiteral("vibraton: ")));
        check(request.text.endsWith(QStringLiteral(" (nápovědu vypíše „vibraton --help“)\n")));
        check(request.text.count(u'\n') == 1);
        check(request.fileName.empty());
        return;
    case Request::Action::OpenWindow:
        check(request.text.isEmpty());
        check(request.fileName.empty() || arguments.contains(bytesOf(request.fileName)));
        return;
    }
    check(false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> arguments = argumentsOf(input);
    checkRequest(parse(arguments), arguments);
    // Each argument given as the file, after "--", comes back as the same bytes.
    for (const QByteArray &argument : arguments) {
        if (argument.isEmpty())
            continue;
        const Request request = parse({"--", argument});
        check(request.action == Request::Action::OpenWindow);
        check(bytesOf(request.fileName) == argument);
    }
    return 0;
}
