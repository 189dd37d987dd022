// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"

#include <QCommandLineParser>

namespace {

using Request = CommandLine::Request;

const QString HelpText =
    QStringLiteral("Použití: vibraton [SOUBOR]\n"
                   "Kreslí harmonické kmity, jejich skládání a rázy.\n"
                   "\n"
                   "  SOUBOR          otevře okno s hodnotami ze souboru (*.vibraton)\n"
                   "  -h, --help      vypíše tuto nápovědu a skončí\n"
                   "  -v, --version   vypíše název a verzi programu a skončí\n");

Request refusal(const QString &what)
{
    return {Request::Action::Refuse, QString(),
            QStringLiteral("vibraton: %1 (nápovědu vypíše „vibraton --help“)\n").arg(what)};
}

// Qt's own options, which QApplication takes from the command line after this: those with a
// value, then those without.
const QStringList QtOptionsWithValue = {
    QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
    QStringLiteral("style"),           QStringLiteral("stylesheet"),
    QStringLiteral("display"),         QStringLiteral("geometry"),
};
const QStringList QtFlags = {QStringLiteral("reverse"), QStringLiteral("nograb"),
                             QStringLiteral("dograb"), QStringLiteral("sync")};

void addQtOptions(QCommandLineParser &parser)
{
    for (const QString &name : QtOptionsWithValue)
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("value")));
    for (const QString &name : QtFlags)
        parser.addOption(QCommandLineOption(name));
}

// An unknown option as it was typed: Qt's parser gives its name without dashes or value.
QString asTyped(const QStringList &arguments, const QString &name)
{
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        qsizetype start = 0;
        while (start < argument.size() && argument[start] == u'-')
            ++start;
        if (start > 0 && argument.sliced(start).section(u'=', 0, 0) == name)
            return argument;
    }
    return name;
}

} // namespace

CommandLine::Request CommandLine::parse(const QStringList &arguments, const QString &version)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption showVersion(
        QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({help, showVersion});
    addQtOptions(parser);
    // "-platform" is one of Qt's options, not seven letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Qt's parser explains itself in English; only whether it succeeded is used.
    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty())
            return refusal(QStringLiteral("neznámá volba „%1“")
                               .arg(asTyped(arguments, parser.unknownOptionNames().first())));
        // A value missing after an option that needs one, or given to one that takes none.
        return refusal(QStringLiteral("chybně zadaná volba"));
    }
    if (parser.isSet(help))
        return {Request::Action::Print, QString(), HelpText};
    if (parser.isSet(showVersion))
        return {Request::Action::Print, QString(), QStringLiteral("Vibraton %1\n").arg(version)};
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return refusal(
            QStringLiteral("lze otevřít jen jeden soubor, zadané jsou %1").arg(files.size()));
    return {Request::Action::OpenWindow, files.value(0), QString()};
}
