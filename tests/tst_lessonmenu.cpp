// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowfixture.h"

#include <QAccessible>
#include <QDir>
#include <QMenu>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

namespace {

const QStringList Defaults = {"1", "0", "20", "2", "0", "20", "3", "0", "20"};
const QStringList Beats = {"8", "0", "50", "9", "0", "50", "1", "0", "0"};

// A window with the default curves drawn, and a folder for its files.
struct Window : WindowFixture
{
    Window() { showWithTheDefaultCurves(); }
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
    QTemporaryDir folder;
};

} // namespace

// The menu "Hodnoty" through the window: the nine values saved and opened again, the
// examples, a dropped file, the keys and the menu itself.
class TestLessonMenu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QAccessible::installFactory(Form1::accessibleInterface); }
    void init() { QSettings().clear(); } // Each test starts as a first run.

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

    void valuesTooLongForAFileAreNotSaved()
    {
        // Nine texts of 40,000 three-byte characters would make a file that can't be opened.
        Window window;
        window.type(QStringList(9, QString(40000, u'€')));
        window.trigger("saveLessonAction", "hodina.vibraton");
        QCOMPARE(window.messages,
                 QStringList{"Hodnoty nelze uložit: texty v polích jsou tak dlouhé, že by "
                             "soubor byl větší než 1 MB a nešel by znovu otevřít."});
        QVERIFY(window.suggestions.isEmpty() && !QFile::exists(window.answer));
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
    }

    void droppedFile_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("files");
        QTest::newRow("one file on the plot area") << "Picture1" << 1;
        QTest::newRow("one file on a field") << "Text5" << 1;
        QTest::newRow("two files") << "Picture1" << 2;
    }
    void droppedFile()
    {
        // As a file manager drags a file: its address, and its path as text, which a field
        // would take. The application passes it on to the nearest widget that takes drops.
        QFETCH(QString, target);
        QFETCH(int, files);
        Window window;
        window.type(Beats);
        window.trigger("saveLessonAction", "rázy.vibraton");
        window.type(Defaults);
        QMimeData data;
        data.setUrls(QList<QUrl>(files, QUrl::fromLocalFile(window.answer)));
        data.setText(window.answer);
        QWidget *widget = window.control(qPrintable(target));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        if (QApplication::sendEvent(widget, &enter) && enter.isAccepted())
            QApplication::sendEvent(widget, &drop);
        QCoreApplication::processEvents(); // The file opens once the drop is over.
        QCOMPARE(window.texts(), files == 1 ? Beats : Defaults);
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
                                     "Zvuk"}));
        QStringList values;
        for (const QAction *action : window.control<QMenu>("lessonMenu")->actions())
            values << action->text();
        QCOMPARE(values, QStringList({"Otevřít hodnoty…", "Uložit hodnoty…", "Příklady"}));
        QCOMPARE(window.control<QMenu>("examplesMenu")->actions().size(), 6);
    }
};

QTEST_MAIN(TestLessonMenu)
#include "tst_lessonmenu.moc"
