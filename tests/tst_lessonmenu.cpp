// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowfixture.h"

#include "commandline.h"
#include "lastfolder.h"
#include "lessonexamples.h"

#include <QAccessible>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QStringList Defaults = {"1", "0", "20", "2", "0", "20", "3", "0", "20"};
const QStringList Beats = {"8", "0", "50", "9", "0", "50", "1", "0", "0"};

// A window with the default curves drawn, and a folder for its files.
struct Window : WindowFixture
{
    explicit Window(Answers answers = Answers::ByTheTest)
        : WindowFixture(QLocale::c(), answers)
    {
        showWithTheDefaultCurves();
    }
    QStringList texts() const
    {
        QStringList texts;
        for (int i = 1; i <= 9; ++i)
            texts << control<QLineEdit>(qPrintable(QStringLiteral("Text%1").arg(i)))->text();
        return texts;
    }
    void type(const QStringList &texts) const
    {
        for (int i = 1; i <= 9; ++i)
            setText(qPrintable(QStringLiteral("Text%1").arg(i)), texts[i - 1]);
    }
    void trigger(const char *action, const QString &fileName)
    {
        answer = fileName.isEmpty() ? fileName : folder.filePath(fileName);
        form.findChild<QAction *>(action)->trigger();
    }
    void chooseExample(const QString &title) const
    {
        for (QAction *example : control<QMenu>("examplesMenu")->actions()) {
            if (example->text() == title)
                example->trigger();
        }
    }
    QTemporaryDir folder;
};

// Writes a file under a name of bytes, which need not be UTF-8.
bool put(const QByteArray &fileName, const QByteArray &data)
{
    FILE *file = std::fopen(fileName.constData(), "wb");
    const bool written =
        file && std::fwrite(data.constData(), 1, size_t(data.size()), file) == size_t(data.size());
    return file && std::fclose(file) == 0 && written;
}

const QString Refusal = QStringLiteral("Název souboru nesmí obsahovat uvozovky (\").");

// Runs the steps on the open dialog once it has opened, then lets the window go on.
void onOpenDialog(WindowFixture &window, std::function<void(QFileDialog *)> steps)
{
    QTimer::singleShot(0, [steps] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget()))
            steps(dialog);
    });
    window.action("openLessonAction")->trigger();
}

} // namespace

// The menu "Hodnoty" through the window: the nine values saved and opened again, the
// examples, a dropped file, the keys and the menu itself.
class TestLessonMenu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QAccessible::installFactory(Form1::accessibleInterface);
        WindowFixture::useTestSettings(); // So that init() clears the tests' own.
    }
    void init() { QSettings().clear(); } // Each test starts as a first run.

    void commandLineFileFillsTheWindow_data()
    {
        QTest::addColumn<QByteArrayList>("options"); // Before the file.
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("a file") << QByteArrayList() << QByteArray("hodina.vibraton");
        QTest::newRow("after Qt's options")
            << QByteArrayList{"-platform", "offscreen", "-session", "s", "-sync"}
            << QByteArray("hodina.vibraton");
#ifdef Q_OS_UNIX
        QTest::newRow("a name not UTF-8") << QByteArrayList() << QByteArray("lat\xe9n.vibraton");
#endif
    }
    void commandLineFileFillsTheWindow()
    {
        // As main() takes the arguments: the window shown with its defaults, the file's values
        // once the program waits for the user.
        QFETCH(QByteArrayList, options);
        QFETCH(QByteArray, name);
        Window window;
        const QByteArray path = QFile::encodeName(window.folder.path()) + '/' + name;
        QVERIFY(put(path, LessonFile::encode(lessonExamples()[0].lesson)));
        std::vector<const char *> argv = {"vibraton"};
        for (const QByteArray &option : std::as_const(options))
            argv.push_back(option.constData());
        argv.push_back(path.constData());
        const CommandLine::Request request =
            CommandLine::parse(CommandLine::fromSystem(int(argv.size()), argv.data()), "9.8");
        QCOMPARE(request.action, CommandLine::Request::Action::OpenWindow);
        window.form.lessonActions().openSoon(request.fileName);
        QCOMPARE(window.texts(), Defaults);
        QCoreApplication::processEvents();
        QCOMPARE(window.messages, QStringList());
        QCOMPARE(window.texts(), Beats);
#ifdef Q_OS_UNIX
        ::unlink(path.constData()); // Qt can't spell every such name to remove it.
#endif
    }

    void savedFileKeepsTheTitleAndTheEnvelope_data()
    {
        // What the fields were filled from, in turn, then saved.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("envelope");
        QTest::newRow("nothing opened") << QStringList() << QString() << false;
        QTest::newRow("a file") << QStringList{"file"} << "Hodina o rázech" << false;
        QTest::newRow("a file, then edited by hand")
            << QStringList{"file", "edit"} << "Hodina o rázech" << false;
        QTest::newRow("an example") << QStringList{"example"} << "Fázový posun" << false;
        QTest::newRow("a file, then an example")
            << QStringList{"file", "example"} << "Fázový posun" << false;
        QTest::newRow("an example, then a file without a title")
            << QStringList{"example", "untitled file"} << QString() << false;
        QTest::newRow("the envelope turned on") << QStringList{"envelope"} << QString() << true;
        QTest::newRow("a file with the envelope")
            << QStringList{"file with the envelope"} << "Obálka" << true;
        QTest::newRow("then a file without")
            << QStringList{"file with the envelope", "untitled file"} << QString() << false;
    }
    void savedFileKeepsTheTitleAndTheEnvelope()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, title);
        QFETCH(bool, envelope);
        Window window;
        const auto write = [&](const QString &name, const Lesson &lesson) {
            QFile file(window.folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(LessonFile::encode(lesson)) > 0);
        };
        const auto rows = lessonExamples()[0].lesson.rows;
        write("s.vibraton", {"Hodina o rázech", rows});
        write("bez.vibraton", {QString(), rows});
        write("obalka.vibraton", {"Obálka", rows, true});
        for (const QString &step : std::as_const(steps)) {
            if (step == "file")
                window.trigger("openLessonAction", "s.vibraton");
            else if (step == "untitled file")
                window.trigger("openLessonAction", "bez.vibraton");
            else if (step == "file with the envelope")
                window.trigger("openLessonAction", "obalka.vibraton");
            else if (step == "example")
                window.chooseExample("Fázový posun");
            else if (step == "envelope")
                window.action("envelopeAction")->trigger();
            else
                window.setText("Text2", "45");
        }
        QCOMPARE(window.action("envelopeAction")->isChecked(), envelope);
        window.trigger("saveLessonAction", "ulozeno.vibraton");
        QCOMPARE(window.messages, QStringList());
        const LessonFile::Reading saved =
            LessonFile::read(LessonFile::systemName(window.folder.filePath("ulozeno.vibraton")));
        QVERIFY2(saved.lesson, qPrintable(saved.reason));
        QCOMPARE(saved.lesson->title, title);
        QCOMPARE(saved.lesson->envelope, envelope);
    }

    void dialogsStartWhereTheUserWorks_data()
    {
        QTest::addColumn<QString>("dialog"); // "open" or "save"
        QTest::addColumn<QString>("before"); // What happened in an earlier run.
        for (const QString dialog : {"open", "save"}) {
            for (const QString before : {"nothing", "a save", "a save, its folder deleted"})
                QTest::addRow("%s after %s", qPrintable(dialog), qPrintable(before))
                    << dialog << before;
        }
    }
    void dialogsStartWhereTheUserWorks()
    {
        // The documents folder the first time, then the folder last saved to, until it goes.
        QFETCH(QString, dialog);
        QFETCH(QString, before);
        const StandardFolder documents(QStandardPaths::DocumentsLocation);
        QTemporaryDir elsewhere;
        if (before != "nothing") {
            Window earlier;
            earlier.answer = elsewhere.filePath("hodina.vibraton");
            earlier.action("saveLessonAction")->trigger();
            QVERIFY(QFile::exists(earlier.answer));
        }
        if (before.endsWith("deleted"))
            QVERIFY(elsewhere.remove());
        Window window;
        window.action(dialog == "open" ? "openLessonAction" : "saveLessonAction")->trigger();
        const QString started = dialog == "open"
                                    ? window.openedIn.value(0)
                                    : QFileInfo(window.suggestions.value(0)).absolutePath();
        QCOMPARE(started, before == "a save" ? elsewhere.path() : documents.path());
    }

    void openDialogTakesWhatTheSaveDialogTakes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("opened"); // Else refused as the save dialog refuses it.
        QTest::newRow("a quote") << "zz\"q.vibraton" << false;
        QTest::newRow("a quote, no such file") << "chybi\".vibraton" << false;
        QTest::newRow("blanks, an apostrophe, brackets") << "-hodina 'b' (2) ž.vibraton" << true;
        QTest::newRow("a wildcard's characters") << "a[1]*?.vibraton" << true;
    }
    void openDialogTakesWhatTheSaveDialogTakes()
    {
        // Qt's own dialog, typed into as the user types. A name it would read as a list of
        // names is refused in Czech, and the dialog stays open.
        QFETCH(QString, name);
        QFETCH(bool, opened);
#ifdef Q_OS_WIN
        // Windows allows no quote, * or ? in a name: a quote is still refused as typed, and a
        // file with the wildcard's characters can't be made at all.
        if (name.contains(u'*'))
            QSKIP("Windows allows no * or ? in a file's name");
        const bool madeBeforehand = !name.startsWith("chybi") && !name.contains(u'"');
#else
        const bool madeBeforehand = !name.startsWith("chybi");
#endif
        Window window(WindowFixture::Answers::ByTheDesktop);
        QTemporaryDir folder;
        if (madeBeforehand) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(LessonFile::encode(lessonExamples()[0].lesson));
        }
        LastFolder::remember(folder.filePath("x"));
        bool stayedOpen = false;
        onOpenDialog(window, [&](QFileDialog *dialog) {
            auto *typed = dialog->findChild<QLineEdit *>("fileNameEdit");
            typed->setText(name);
            QTimer::singleShot(0, [] {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                    box->accept();
            });
            QTest::keyClick(typed, Qt::Key_Return);
            stayedOpen = dialog->isVisible();
            if (stayedOpen)
                dialog->reject();
        });
        QCOMPARE(window.messages, opened ? QStringList() : QStringList{Refusal});
        QCOMPARE(stayedOpen, !opened);
        QCOMPARE(window.texts(), opened ? Beats : Defaults);
    }

    void savedValuesOpenAsTyped_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("decimal comma")
            << QStringList{"1,5", "0", "20", "2.5", "-90", "1e1", "3", "0", "0,25"};
        QTest::newRow("blanks, empty, JSON's characters")
            << QStringList{" 5 ", "", "  ", "\t7", "abc", "1 000", "\"", "\\", "{}"};
        QTest::newRow("Unicode") << QStringList{"−5",      "φ₀",       "Rázy", "١٢", "😀",
                                                "\u200f3", "a\u00a0b", "ž",    "終"};
        QTest::newRow("40,000 characters") << QStringList{
            QString(40000, u'9'), "0", "20", "2", QString(40000, u'ř'), "20", "3", "0", "20"};
    }
    void savedValuesOpenAsTyped()
    {
        // Opened after the fields changed: the same texts, the picture as it was, and the
        // open dialog where the file was saved.
        QFETCH(QStringList, texts);
        Window window;
        window.type(texts);
        window.trigger("saveLessonAction", "hodina.vibraton");
        QCOMPARE(QFileInfo(window.suggestions.value(0)).fileName(), "vibraton-hodnoty.vibraton");
        window.type(Defaults);
        const QImage before = window.image().copy();
        window.trigger("openLessonAction", "hodina.vibraton");
        QCOMPARE(window.messages, QStringList());
        QCOMPARE(window.openedIn, QStringList{window.folder.path()});
        QCOMPARE(window.texts(), texts);
        QCOMPARE(window.image(), before);
    }

    void unusableFileChangesNoField_data()
    {
        QTest::addColumn<QByteArray>("contents"); // Empty: no file at all.
        QTest::addColumn<QString>("reason");
        QTest::newRow("no such file") << QByteArray() << "soubor neexistuje";
        QTest::newRow("not JSON") << QByteArray("f = 8 Hz")
                                  << "obsah souboru není platný zápis JSON (chyba na řádku 1 u "
                                     "1. znaku)";
        QTest::newRow("two rows") << QByteArray(R"({"format": "vibraton-hodnoty", "version": 1,
            "rows": [{"frequency": "8", "phase": "0", "amplitude": "50"},
                     {"frequency": "9", "phase": "0", "amplitude": "50"}]})")
                                  << "počet grafů v souboru je 2, má být 3";
    }
    void unusableFileChangesNoField()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        Window window;
        QFile file(window.folder.filePath("hodina.vibraton"));
        QVERIFY(contents.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(contents)));
        file.close();
        window.type(Beats);
        const QImage before = window.image().copy();
        window.trigger("openLessonAction", "hodina.vibraton");
        QCOMPARE(window.messages,
                 QStringList{"Hodnoty se nepodařilo načíst ze souboru „" +
                             QDir::toNativeSeparators(file.fileName()) + "“: " + reason + "."});
        QCOMPARE(window.texts(), Beats);
        QCOMPARE(window.image(), before);
    }

    void valuesTooLongForAFileAreNotSaved_data()
    {
        // The nine texts, and whether the file they make is saved.
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("saved");
        QTest::newRow("nine texts of 40,000 three-byte characters")
            << QStringList(9, QString(40000, u'€')) << false;
        // The first frequency as long as makes the file exactly 1 MB, or a byte more.
        const qsizetype rest =
            LessonFile::encode({QString(), {{{"", "0", "20"}, {"2", "0", "20"}, {"3", "0", "20"}}}})
                .size();
        QStringList texts = Defaults;
        texts[0] = QString(LessonFile::MaximumSize - rest, u'9');
        QTest::newRow("a file of exactly 1 MB") << texts << true;
        texts[0] += u'9';
        QTest::newRow("a byte more") << texts << false;
    }
    void valuesTooLongForAFileAreNotSaved()
    {
        // A file that could not be opened again is not written; one that can, opens again.
        QFETCH(QStringList, texts);
        QFETCH(bool, saved);
        Window window;
        window.type(texts);
        window.trigger("saveLessonAction", "hodina.vibraton");
        if (!saved) {
            QCOMPARE(window.messages,
                     QStringList{"Hodnoty nelze uložit: texty v polích jsou tak dlouhé, že by "
                                 "soubor byl větší než 1 MB a nešel by znovu otevřít."});
            QVERIFY(window.suggestions.isEmpty() && !QFile::exists(window.answer));
            return;
        }
        QCOMPARE(QFileInfo(window.answer).size(), LessonFile::MaximumSize);
        window.type(Defaults);
        window.trigger("openLessonAction", "hodina.vibraton");
        QCOMPARE(window.messages, QStringList());
        QCOMPARE(window.texts(), texts);
    }

    void examplesFillTheirValues_data()
    {
        // As the README lists them.
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("Rázy") << Beats;
        QTest::newRow("Konstruktivní interference")
            << QStringList{"2", "0", "40", "2", "0", "20", "1", "0", "0"};
        QTest::newRow("Destruktivní interference")
            << QStringList{"2", "0", "40", "2", "180", "40", "1", "0", "0"};
        QTest::newRow("Fázový posun")
            << QStringList{"2", "0", "40", "2", "90", "40", "1", "0", "0"};
        QTest::newRow("Tři harmonické") << Defaults;
        QTest::newRow("Obdélníkový průběh")
            << QStringList{"1", "0", "60", "3", "0", "20", "5", "0", "12"};
    }
    void examplesFillTheirValues()
    {
        QFETCH(QStringList, texts);
        Window window;
        window.type(QStringList(9, "x"));
        const QList<QAction *> examples = window.control<QMenu>("examplesMenu")->actions();
        const auto example = std::find_if(examples.begin(), examples.end(), [](QAction *action) {
            return action->text() == QString::fromUtf8(QTest::currentDataTag());
        });
        QVERIFY(example != examples.end());
        (*example)->trigger();
        QCOMPARE(window.texts(), texts);
        // Its sentence as its tooltip, shown in the menu.
        const auto shown = std::find_if(
            lessonExamples().begin(), lessonExamples().end(),
            [&](const LessonExample &known) { return known.lesson.title == (*example)->text(); });
        QCOMPARE((*example)->toolTip(), shown->description);
        QVERIFY(window.control<QMenu>("examplesMenu")->toolTipsVisible());
    }

    void droppedFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("usable");
        QTest::newRow("one file on the plot area") << "Picture1" << 1 << true;
        QTest::newRow("one file on a field") << "Text5" << 1 << true;
        QTest::newRow("two files") << "Picture1" << 2 << true;
        QTest::newRow("an unusable file") << "Picture1" << 1 << false;
    }
    void droppedFile()
    {
        // As a file manager drags a file: its address, and its path as text, which a field
        // would take. The application passes it on to the nearest widget that takes drops.
        QFETCH(QString, target);
        QFETCH(int, files);
        QFETCH(bool, usable);
        Window window;
        window.type(Beats);
        window.trigger("saveLessonAction", "rázy.vibraton");
        window.type(Defaults);
        QFile file(window.answer);
        if (!usable)
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("f = 8 Hz") > 0);
        file.close();
        QMimeData data;
        data.setUrls(QList<QUrl>(files, QUrl::fromLocalFile(window.answer)));
        data.setText(window.answer);
        QWidget *widget = window.control(qPrintable(target));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        if (QApplication::sendEvent(widget, &enter) && enter.isAccepted())
            QApplication::sendEvent(widget, &drop);
        // The file opens once the drop is over: a message must not hold up the dragging
        // program, which waits for the drop to end.
        QCOMPARE(window.messages, QStringList());
        QCoreApplication::processEvents();
        QCOMPARE(window.texts(), files == 1 && usable ? Beats : Defaults);
        QCOMPARE(window.messages.size(), usable ? 0 : 1);
    }

    void keysWorkFromAField()
    {
        Window window;
        QVERIFY(QTest::qWaitForWindowActive(&window.form));
        auto *field = window.control<QLineEdit>("Text5");
        field->setFocus();
        QTest::keySequence(field, QKeySequence::Open);
        QTest::keySequence(field, QKeySequence("Ctrl+Shift+S"));
        QCOMPARE(window.openedIn.size(), 1);
        QCOMPARE(window.suggestions.size(), 1);
        QCOMPARE(field->text(), "0");
    }

    void menuListsTheValuesAfterThePicture()
    {
        Window window;
        QStringList items;
        QTimer::singleShot(0, [&] {
            QWidget *menu = QApplication::activePopupWidget();
            if (!menu)
                return;
            QAccessibleInterface *shown = QAccessible::queryAccessibleInterface(menu);
            for (int i = 0; i < shown->childCount(); ++i)
                items << shown->child(i)->text(QAccessible::Name);
            menu->close();
        });
        const QPoint inArea = window.plotArea()->mapTo(&window.form, QPoint(100, 100));
        QTest::mouseClick(window.form.windowHandle(), Qt::RightButton, {}, inArea);
        QCOMPARE(items, QStringList({"Kopírovat obrázek", "Uložit obrázek…", "Tisknout…", "Hodnoty",
                                     "Zvuk", "Měření"}));
        QStringList values;
        for (const QAction *action : window.control<QMenu>("lessonMenu")->actions())
            values << action->text();
        QCOMPARE(values, QStringList({"Otevřít hodnoty…", "Uložit hodnoty…", "Příklady"}));
        QCOMPARE(window.control<QMenu>("examplesMenu")->actions().size(), 6);
    }
};

QTEST_MAIN(TestLessonMenu)
#include "tst_lessonmenu.moc"
