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
    return {Request::Action::Refuse, std::filesystem::path(),
            QStringLiteral("vibraton: %1 (nápovědu vypíše „vibraton --help“)\n").arg(what)};
}

// Qt's own options, which QApplication takes from the command line after this: those with a
// value, then those without. Qt's core, its GUI, its widgets and X11's each take some.
const QStringList QtOptionsWithValue =
    QStringLiteral("qmljsdebugger platform platformpluginpath platformtheme plugin qwindowgeometry "
                   "geometry qwindowicon icon qwindowtitle title session style stylesheet display "
                   "name visual")
        .split(u' ');
const QStringList QtFlags =
    QStringLiteral("reverse testability widgetcount nograb dograb sync").split(u' ');

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

// An argument as one line of a terminal shows it: each control character (a line end, an
// escape that would command the terminal) as \xNN, a byte that wasn't UTF-8 as U+FFFD.
QString printable(const QString &argument)
{
    QString shown;
    for (qsizetype at = 0; at < argument.size(); ++at) {
        const QChar c = argument[at];
        const bool pairedLow = c.isLowSurrogate() && at > 0 && argument[at - 1].isHighSurrogate();
        const bool pairedHigh =
            c.isHighSurrogate() && at + 1 < argument.size() && argument[at + 1].isLowSurrogate();
        if (c.category() == QChar::Other_Control)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else if (c.isSurrogate() && !pairedLow && !pairedHigh)
            shown += QChar(QChar::ReplacementCharacter);
        else
            shown += c;
    }
    return shown;
}

// The length of the well-formed UTF-8 sequence that bytes start with, or 0.
qsizetype utf8SequenceAtStart(QByteArrayView bytes)
{
    const auto byte = [bytes](qsizetype at) { return at < bytes.size() ? uchar(bytes[at]) : 0; };
    const uchar lead = byte(0);
    if (lead < 0x80)
        return 1;
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    qsizetype length = 0;
    uchar lowest = 0x80;
    uchar highest = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowest = lead == 0xE0 ? 0xA0 : lowest;
        highest = lead == 0xED ? 0x9F : highest;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowest = lead == 0xF0 ? 0x90 : lowest;
        highest = lead == 0xF4 ? 0x8F : highest;
    } else {
        return 0;
    }
    if (byte(1) < lowest || byte(1) > highest)
        return 0;
    for (qsizetype at = 2; at < length; ++at) {
        if ((byte(at) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// Bytes as text, each byte that isn't UTF-8 as U+DC80 + byte.
QString withForeignBytesEscaped(QByteArrayView bytes)
{
    QString text;
    qsizetype runStart = 0;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype length = utf8SequenceAtStart(bytes.sliced(at));
        if (length > 0) {
            at += length;
            continue;
        }
        text += QString::fromUtf8(bytes.sliced(runStart, at - runStart));
        text += QChar(0xDC00 + uchar(bytes[at]));
        runStart = ++at;
    }
    return text + QString::fromUtf8(bytes.sliced(runStart));
}

// A file's name from its argument: the bytes withForeignBytesEscaped() took it from.
std::filesystem::path systemName(const QString &argument)
{
#ifdef Q_OS_WIN
    return argument.toStdWString();
#else
    std::string bytes;
    qsizetype runStart = 0;
    for (qsizetype at = 0; at < argument.size(); ++at) {
        const char16_t unit = argument[at].unicode();
        const bool escaped =
            unit >= 0xDC80 && unit <= 0xDCFF && (at == 0 || !argument[at - 1].isHighSurrogate());
        if (!escaped)
            continue;
        bytes += argument.sliced(runStart, at - runStart).toStdString();
        bytes += char(unit - 0xDC00);
        runStart = at + 1;
    }
    return bytes + argument.sliced(runStart).toStdString();
#endif
}

} // namespace

QStringList CommandLine::fromSystem(int argc, const char *const argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << withForeignBytesEscaped(argv[i]);
    return arguments;
}

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
            return refusal(
                QStringLiteral("neznámá volba „%1“")
                    .arg(printable(asTyped(arguments, parser.unknownOptionNames().first()))));
        // A value missing after an option that needs one, or given to one that takes none.
        return refusal(QStringLiteral("chybně zadaná volba"));
    }
    if (parser.isSet(help))
        return {Request::Action::Print, std::filesystem::path(), HelpText};
    if (parser.isSet(showVersion))
        return {Request::Action::Print, std::filesystem::path(),
                QStringLiteral("Vibraton %1\n").arg(version)};
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return refusal(
            QStringLiteral("lze otevřít jen jeden soubor, zadané jsou %1").arg(files.size()));
    if (!files.isEmpty() && files.first().isEmpty())
        return refusal(QStringLiteral("jméno souboru je prázdné"));
    return {Request::Action::OpenWindow,
            files.isEmpty() ? std::filesystem::path() : systemName(files.first()), QString()};
}
