// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline.h"
#include "lessonexamples.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using Action = CommandLine::Request::Action;

// What the command line asks for, and the built program answering without a display.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void requests_data()
    {
        QTest::addColumn<QStringList>("arguments"); // After the program's name.
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("result"); // The file, or the text's first line.
        const QString usage = "Použití: vibraton [SOUBOR]";
        const QString hint = " (nápovědu vypíše „vibraton --help“)";
        QTest::newRow("no file") << QStringList() << Action::OpenWindow << QString();
        QTest::newRow("a file") << QStringList{"a b.vibraton"} << Action::OpenWindow
                                << "a b.vibraton";
        QTest::newRow("a file named like an option")
            << QStringList{"--", "-h.vibraton"} << Action::OpenWindow << "-h.vibraton";
        QTest::newRow("Qt's own options")
            << QStringList{"-platform", "xcb", "-reverse", "x.vibraton", "--style=fusion"}
            << Action::OpenWindow << "x.vibraton";
        // Each of Qt's options on its own, before the file: its value is no file.
        for (const QString &option :
             QString("qmljsdebugger platform platformpluginpath platformtheme plugin "
                     "qwindowgeometry geometry qwindowicon icon qwindowtitle title session style "
                     "stylesheet display name visual")
                 .split(' ')) {
            QTest::addRow("-%s", qPrintable(option))
                << QStringList{"-" + option, "hodnota", "x.vibraton"} << Action::OpenWindow
                << "x.vibraton";
        }
        for (const QString &flag :
             QString("reverse testability widgetcount nograb dograb sync").split(' ')) {
            QTest::addRow("-%s", qPrintable(flag))
                << QStringList{"-" + flag, "x.vibraton"} << Action::OpenWindow << "x.vibraton";
        }
        QTest::newRow("--help") << QStringList{"--help"} << Action::Print << usage;
        QTest::newRow("-h, with a file")
            << QStringList{"x.vibraton", "-h"} << Action::Print << usage;
        QTest::newRow("--version") << QStringList{"--version"} << Action::Print << "Vibraton 9.8";
        QTest::newRow("-v") << QStringList{"-v"} << Action::Print << "Vibraton 9.8";
        QTest::newRow("unknown option") << QStringList{"--help", "-barva=modrá"} << Action::Refuse
                                        << "vibraton: neznámá volba „-barva=modrá“" + hint;
        QTest::newRow("unknown option over two lines, not UTF-8")
            << QStringList{QString("--b\nar\x1b[2Jva") + QChar(0xdce9)} << Action::Refuse
            << "vibraton: neznámá volba „--b\\x0aar\\x1b[2Jva�“" + hint;
        QTest::newRow("value missing")
            << QStringList{"-platform"} << Action::Refuse << "vibraton: chybně zadaná volba" + hint;
        QTest::newRow("two files")
            << QStringList{"a.vibraton", "b.vibraton"} << Action::Refuse
            << "vibraton: lze otevřít jen jeden soubor, zadané jsou 2" + hint;
        QTest::newRow("an empty name")
            << QStringList{""} << Action::Refuse << "vibraton: jméno souboru je prázdné" + hint;
    }
    void requests()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(QString, result);
        const CommandLine::Request request =
            CommandLine::parse(QStringList{"vibraton"} + arguments, "9.8");
        QCOMPARE(request.action, action);
        QCOMPARE(action == Action::OpenWindow ? LessonFile::shownName(request.fileName)
                                              : request.text.section('\n', 0, 0),
                 result);
        QVERIFY(action != Action::Refuse || request.text.count('\n') == 1);
    }

    void fileNameKeepsItsBytes_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("UTF-8") << QByteArray("Rázy 😀.vibraton");
        QTest::newRow("Latin-1") << QByteArray("lat\xe9n.vibraton");
        QTest::newRow("a cut sequence") << QByteArray("r\xc3.vibraton");
        QTest::newRow("an overlong slash") << QByteArray("a\xc0\xaf.vibraton");
        QTest::newRow("an encoded surrogate") << QByteArray("\xed\xb3\x80.vibraton");
        QTest::newRow("a surrogate's escape as UTF-8")
            << QByteArray("\xf0\x90\x82\x80\x80.vibraton");
    }
    void fileNameKeepsItsBytes()
    {
        // Linux names a file by bytes, which need not be UTF-8: the same bytes open it.
#ifndef Q_OS_UNIX
        QSKIP("Windows hands the program its arguments as UTF-16 text");
#else
        QFETCH(QByteArray, name);
        QTemporaryDir folder;
        const QByteArray path = QFile::encodeName(folder.path()) + '/' + name;
        QFile file;
        QVERIFY(file.open(std::fopen(path.constData(), "wb"), QIODevice::WriteOnly,
                          QFileDevice::AutoCloseHandle));
        file.write(LessonFile::encode(lessonExamples()[0].lesson));
        file.close();
        const char *argv[] = {"vibraton", path.constData()};
        const CommandLine::Request request =
            CommandLine::parse(CommandLine::fromSystem(2, argv), "9.8");
        QCOMPARE(request.action, Action::OpenWindow);
        QCOMPARE(QByteArray::fromStdString(request.fileName.native()), path);
        const LessonFile::Reading reading = LessonFile::read(request.fileName);
        QVERIFY2(reading.lesson, qPrintable(reading.reason));
        QCOMPARE(reading.lesson->title, lessonExamples()[0].lesson.title);
        ::unlink(path.constData()); // A name Qt can't spell, so the scratch folder can't go.
#endif
    }

    // Printed text is UTF-8; Windows ends its lines with CR LF.
    static QString textOf(const QByteArray &printed)
    {
        return QString::fromUtf8(printed).replace("\r\n", "\n");
    }
    void programNeedsNoDisplay_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("printed"); // Standard output's first line.
        QTest::addColumn<QString>("error");
        QTest::newRow("--help") << "--help" << 0 << "Použití: vibraton [SOUBOR]"
                                << "";
        QTest::newRow("--version") << "--version" << 0 << "Vibraton " VIBRATON_VERSION << "";
        QTest::newRow("--bogus") << "--bogus" << 2 << ""
                                 << "vibraton: neznámá volba „--bogus“ (nápovědu vypíše "
                                    "„vibraton --help“)\n";
        QTest::newRow("an empty name")
            << "" << 2 << ""
            << "vibraton: jméno souboru je prázdné (nápovědu vypíše „vibraton --help“)\n";
        // Letters a Western code page lacks come through as typed.
        QTest::newRow("--přehrát") << "--přehrát" << 2 << ""
                                   << "vibraton: neznámá volba „--přehrát“ (nápovědu vypíše "
                                      "„vibraton --help“)\n";
    }
    void programNeedsNoDisplay()
    {
        // With no display and no platform named, a program that wanted a window would fail.
        QFETCH(QString, argument);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);
        QFETCH(QString, error);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        program.setProcessEnvironment(environment);
        program.start(VIBRATON_PROGRAM, {argument});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), exitCode);
        QCOMPARE(textOf(program.readAllStandardOutput()).section('\n', 0, 0), printed);
        QCOMPARE(textOf(program.readAllStandardError()), error);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
