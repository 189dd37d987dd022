// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf.h"
#include "picturefile.h"
#include "windowfixture.h"

#include "lastfolder.h"

#include <QAbstractFileIconProvider>
#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The plot area's menu: copying, saving and printing the picture, through the window.
class TestPictureMenu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void menuOpens_data();
    void menuOpens();
    void nothingToTakeFromAnEmptyArea_data();
    void nothingToTakeFromAnEmptyArea();
    void copyTakesThePictureOnlyFromThePlotArea();
    void copyKeysFollowTheFocus_data();
    void copyKeysFollowTheFocus();
    void savedPictureIsWhatTheScreenShows_data();
    void savedPictureIsWhatTheScreenShows();
    void failedOrCancelledSaveWritesNothing_data();
    void failedOrCancelledSaveWritesNothing();
    void printingWithoutAPrinterSaysSo();
    void printsOnOneLandscapePage_data();
    void printsOnOneLandscapePage();
    void saveDialogStartsInTheLastFolder();
    void saveDialogTurnsTheSuffixOfATypedPath_data();
    void saveDialogTurnsTheSuffixOfATypedPath();
    void saveDialogRefusesAQuotedName();
    void saveDialogReadsNoFileToShowAFolder();
};

namespace {

// A window with the default curves drawn.
struct Window : WindowFixture
{
    Window() { showWithTheDefaultCurves(); }
};

// Runs the check on the menu as soon as it has opened, then closes it.
void onMenu(std::function<void(QMenu *)> check, bool *seen)
{
    QTimer::singleShot(0, [=] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        *seen = menu != nullptr;
        if (menu) {
            check(menu);
            menu->close();
        }
    });
}

} // namespace

void TestPictureMenu::initTestCase()
{
    QAccessible::installFactory(Form1::accessibleInterface);
    QStandardPaths::setTestModeEnabled(true); // Remembered folders stay the tests' own.
}

void TestPictureMenu::init()
{
    QSettings().clear(); // Each test starts as a first run.
}

void TestPictureMenu::menuOpens_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("right button") << "mouse";
    QTest::newRow("menu key") << "menu";
    QTest::newRow("shift F10") << "shift-f10";
}

void TestPictureMenu::menuOpens()
{
    QFETCH(QString, how);
    Window window;
    PlotArea *area = window.plotArea();
    bool seen = false;
    onMenu(
        [](QMenu *menu) {
            QStringList names;
            for (int i = 0; i < 3; ++i) {
                QAccessibleInterface *item = QAccessible::queryAccessibleInterface(menu)->child(i);
                names << item->text(QAccessible::Name);
                QVERIFY(!item->state().disabled);
            }
            QCOMPARE(names, QStringList({"Kopírovat obrázek", "Uložit obrázek…", "Tisknout…"}));
        },
        &seen);
    if (how == "mouse") {
        const QPoint inArea = area->mapTo(&window.form, QPoint(100, 100));
        QTest::mouseClick(window.form.windowHandle(), Qt::RightButton, {}, inArea);
    } else {
        area->setFocus();
        QCOMPARE(QApplication::focusWidget(), area);
        if (how == "menu")
            QTest::keyClick(area, Qt::Key_Menu);
        else
            QTest::keyClick(area, Qt::Key_F10, Qt::ShiftModifier);
    }
    QVERIFY(seen);
    QVERIFY(QAccessible::queryAccessibleInterface(area)
                ->text(QAccessible::Description)
                .contains("nabídka"));
}

void TestPictureMenu::nothingToTakeFromAnEmptyArea_data()
{
    // Offscreen, the plot area is as tall as the window less 142 pixels and starts at row
    // 128; the bottom strip, 17 pixels, covers the window's last rows.
    QTest::addColumn<QSize>("windowSize");
    QTest::addColumn<bool>("hasPicture");
    QTest::newRow("below the height the area needs") << QSize(300, 120) << false;
    QTest::newRow("area 1 pixel tall, under the strip") << QSize(300, 143) << false;
    QTest::newRow("area 2 pixels tall, under the strip") << QSize(300, 144) << false;
    QTest::newRow("area 3 pixels tall, under the strip") << QSize(300, 145) << false;
    QTest::newRow("area's first row above the strip") << QSize(300, 146) << true;
}

void TestPictureMenu::nothingToTakeFromAnEmptyArea()
{
    QFETCH(QSize, windowSize);
    QFETCH(bool, hasPicture);
    Window window;
    const QList<QAction *> actions = window.plotArea()->actions();
    QCOMPARE(actions.size(), 3);
    window.form.resize(windowSize);
    for (const QAction *action : actions)
        QCOMPARE(action->isEnabled(), hasPicture);
    window.form.resize(584, 435);
    for (const QAction *action : actions)
        QVERIFY(action->isEnabled());
}

void TestPictureMenu::copyTakesThePictureOnlyFromThePlotArea()
{
    // The Copy keys copy the picture where the plot area has the focus, and a field's text
    // where the field has it.
    Window window;
    QClipboard *clipboard = QGuiApplication::clipboard();
    window.control<QLineEdit>("Text1")->setFocus();
    window.control<QLineEdit>("Text1")->selectAll();
    QTest::keySequence(window.control<QLineEdit>("Text1"), QKeySequence::Copy);
    QCOMPARE(clipboard->text(), "1");
    QVERIFY(!clipboard->mimeData()->hasImage());

    window.plotArea()->setFocus();
    QTest::keySequence(window.plotArea(), QKeySequence::Copy);
    const QImage picture = window.visiblePicture();
    QCOMPARE(picture.size(), QSize(583, 290)); // The strip covers the last 3 rows.
    QVERIFY(clipboard->image().convertToFormat(picture.format()) == picture);
    QVERIFY(QImage::fromData(clipboard->mimeData()->data("image/png")) == picture);
    QVERIFY(window.onScreen().convertToFormat(picture.format()) == picture);
}

void TestPictureMenu::copyKeysFollowTheFocus_data()
{
    // Where the focus goes, and whether the Copy keys then copy the picture.
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("copiesPicture");
    QTest::newRow("a click on the plot area") << "click" << true;
    QTest::newRow("a button") << "button" << false;
}

void TestPictureMenu::copyKeysFollowTheFocus()
{
    // The menu shows the Copy keys beside "Kopírovat obrázek": after a click on the picture
    // they copy it, and with the focus on a button they copy nothing.
    QFETCH(QString, how);
    QFETCH(bool, copiesPicture);
    Window window;
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText("text copied before");
    if (how == "click")
        QTest::mouseClick(window.plotArea(), Qt::LeftButton, {}, QPoint(100, 100));
    else
        window.control("Command3")->setFocus();
    QTest::keySequence(QApplication::focusWidget(), QKeySequence::Copy);
    QCOMPARE(clipboard->mimeData()->hasImage(), copiesPicture);
    if (copiesPicture)
        QVERIFY(clipboard->image().convertToFormat(QImage::Format_RGB32) ==
                window.visiblePicture());
}

void TestPictureMenu::savedPictureIsWhatTheScreenShows_data()
{
    QTest::addColumn<QSize>("windowSize");
    QTest::newRow("as designed") << QSize(584, 435);
    QTest::newRow("after the area shrank") << QSize(300, 250);
}

void TestPictureMenu::savedPictureIsWhatTheScreenShows()
{
    QFETCH(QSize, windowSize);
    Window window;
    window.form.resize(windowSize);
    QCoreApplication::processEvents();
    QTemporaryDir folder;
    window.answer = folder.filePath("graf.png");
    const QDateTime before = QDateTime::currentDateTime();
    QTest::keySequence(&window.form, QKeySequence::Save);
    const QDateTime after = QDateTime::currentDateTime();
    QCOMPARE(window.messages, QStringList());
    QCOMPARE(window.suggestions.size(), 1);
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!QDir(pictures).exists())
        pictures = QDir::homePath();
    const QRegularExpressionMatch suggested =
        QRegularExpression(QRegularExpression::escape(pictures) + R"(/vibraton-(.{15})\.png)")
            .match(window.suggestions.first());
    QVERIFY2(suggested.hasMatch(), qPrintable(window.suggestions.first()));
    // The time the dialog opened, to the minute, as a date and a time of day.
    const QDateTime named = QDateTime::fromString(suggested.captured(1), "yyyy-MM-dd-HHmm");
    QVERIFY2(named.isValid(), qPrintable(suggested.captured(1)));
    const QDateTime minuteBefore(before.date(),
                                 QTime(before.time().hour(), before.time().minute()));
    QVERIFY(named >= minuteBefore && named <= after);
    const QImage saved(window.answer);
    QCOMPARE(saved.size(), window.onScreen().size());
    QVERIFY(saved == window.onScreen().convertToFormat(saved.format()));
}

void TestPictureMenu::failedOrCancelledSaveWritesNothing_data()
{
    QTest::addColumn<QString>("answer"); // Empty: cancelled.
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("cancelled") << QString() << QStringList();
    // The names as the system writes them: "%1" the file's, "%2" its folder's.
    QTest::newRow("no such folder") << "/nonexistent/graf.png"
                                    << QStringList{"Obrázek se nepodařilo uložit do souboru "
                                                   "„%1“: složka %2 neexistuje."};
}

void TestPictureMenu::failedOrCancelledSaveWritesNothing()
{
    // Nothing is written, and the picture and the fields stay as they were.
    QFETCH(QString, answer);
    QFETCH(QStringList, messages);
    for (QString &message : messages)
        message = message.arg(QDir::toNativeSeparators(answer),
                              QDir::toNativeSeparators(QFileInfo(answer).absolutePath()));
    Window window;
    const QImage before = window.plotArea()->surface().image().copy();
    window.answer = answer;
    window.action("savePictureAction")->trigger();
    QCOMPARE(window.suggestions.size(), 1);
    QCOMPARE(window.messages, messages);
    QVERIFY(answer.isEmpty() || !QFile::exists(answer));
    QCOMPARE(window.plotArea()->surface().image(), before);
    QCOMPARE(window.control<QLineEdit>("Text1")->text(), "1");
}

void TestPictureMenu::printsOnOneLandscapePage_data()
{
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("printed") << false;
    QTest::newRow("cancelled") << true;
}

void TestPictureMenu::printsOnOneLandscapePage()
{
    // Printed into a PDF file in place of a printer.
    QFETCH(bool, cancelled);
    Window window;
    QTemporaryDir folder;
    const QString printed = folder.filePath("tisk.pdf");
    if (!cancelled)
        window.printedTo = printed;
    QTest::keySequence(&window.form, QKeySequence::Print);
    QCOMPARE(QFile::exists(printed), !cancelled);
    if (cancelled)
        return;
    const PdfPages pages(printed);
    QCOMPARE(pages.count, 1);
    QVERIFY(pages.size.width() > pages.size.height());
    // The document names the program that made it, as Qt writes a text: UTF-16 with its mark.
    QFile file(printed);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray creator("/Creator (\xfe\xff");
    for (const char letter : QByteArrayView("Vibraton"))
        creator.append('\0').append(letter);
    QVERIFY(file.readAll().contains(creator + ')'));
}

namespace {

// Runs the steps on the save dialog once it has opened, then lets the window go on.
QFileDialog *openSaveDialog(const WindowFixture &window, std::function<void(QFileDialog *)> steps)
{
    QFileDialog *seen = nullptr;
    QTimer::singleShot(0, [&] {
        seen = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (seen)
            steps(seen);
    });
    window.action("savePictureAction")->trigger();
    return seen;
}

} // namespace

void TestPictureMenu::saveDialogStartsInTheLastFolder()
{
    // Where the user saved last, also in a later run; the pictures folder only the first time.
    QTemporaryDir folder;
    {
        Window firstRun;
        firstRun.answer = folder.filePath("graf.png");
        firstRun.action("savePictureAction")->trigger();
        QVERIFY(QFile::exists(firstRun.answer));
    }
    Window laterRun;
    laterRun.action("savePictureAction")->trigger();
    QCOMPARE(QFileInfo(laterRun.suggestions.value(0)).absolutePath(), folder.path());
}

void TestPictureMenu::saveDialogTurnsTheSuffixOfATypedPath_data()
{
    QTest::addColumn<bool>("typedFirst"); // Else the kind is chosen before the name is typed.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::newRow("a typed path, then PDF chosen") << true << "sub/graf"
                                                   << "sub/graf.pdf";
    QTest::newRow("PDF chosen, then a name without a suffix") << false << "graf"
                                                              << "graf.pdf";
}

void TestPictureMenu::saveDialogTurnsTheSuffixOfATypedPath()
{
    // The PDF filter chosen in Qt's own dialog: the PDF goes into the typed folder, under the
    // typed name with the suffix of the kind chosen.
    QFETCH(bool, typedFirst);
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    WindowFixture window(QLocale::c(), WindowFixture::Answers::ByTheDesktop);
    window.showWithTheDefaultCurves();
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir("sub"));
    LastFolder::remember(folder.filePath("graf.png"));
    const QFileDialog *dialog = openSaveDialog(window, [&](QFileDialog *dialog) {
        auto *name = dialog->findChild<QLineEdit *>("fileNameEdit");
        auto *kinds = dialog->findChild<QComboBox *>("fileTypeCombo");
        if (typedFirst)
            name->setText(typed);
        QTest::keyClick(kinds, Qt::Key_Down); // From PNG to PDF.
        if (!typedFirst)
            name->setText(typed);
        QTest::keyClick(name, Qt::Key_Return);
    });
    QVERIFY(dialog);
    QCOMPARE(window.messages, QStringList());
    QFile file(folder.filePath(saved));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QVERIFY(file.read(5) == "%PDF-");
}

void TestPictureMenu::saveDialogRefusesAQuotedName()
{
    // Qt's own dialog reads a name in quotes as a list of names, and would save "zz\"q.png" as
    // q.png in another folder. The name is refused and the dialog stays open.
    WindowFixture window(QLocale::c(), WindowFixture::Answers::ByTheDesktop);
    window.showWithTheDefaultCurves();
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir("Obrazky"));
    LastFolder::remember(folder.filePath("graf.png"));
    QString refusal;
    bool stayedOpen = false;
    openSaveDialog(window, [&](QFileDialog *dialog) {
        auto *typed = dialog->findChild<QLineEdit *>("fileNameEdit");
        typed->setText(folder.filePath("Obrazky/zz\"q.png"));
        QTimer::singleShot(0, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                refusal = box->text();
                box->accept();
            }
        });
        QTest::keyClick(typed, Qt::Key_Return);
        stayedOpen = dialog->isVisible();
        dialog->reject();
    });
    QCOMPARE(refusal, "Název souboru nesmí obsahovat uvozovky (\").");
    QVERIFY(stayedOpen);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name),
             QStringList());
    QCOMPARE(QDir(folder.filePath("Obrazky")).entryList(QDir::Files), QStringList());
}

void TestPictureMenu::saveDialogReadsNoFileToShowAFolder()
{
    // A file of /proc such as kmsg never answers a read; the dialog must name types from file
    // names alone. A PNG without a suffix is therefore not named a PNG image.
    WindowFixture window(QLocale::c(), WindowFixture::Answers::ByTheDesktop);
    window.showWithTheDefaultCurves();
    QTemporaryDir folder;
    QFile unnamed(folder.filePath("kmsg"));
    QVERIFY(unnamed.open(QIODevice::WriteOnly));
    unnamed.write(PictureFile::png(QImage(4, 4, QImage::Format_RGB32)));
    unnamed.close();
    LastFolder::remember(unnamed.fileName());
    QString type;
    openSaveDialog(window, [&](QFileDialog *dialog) {
        type = dialog->iconProvider()->type(QFileInfo(unnamed.fileName()));
        dialog->iconProvider()->icon(QFileInfo(unnamed.fileName()));
        dialog->reject();
    });
    QVERIFY(!type.isEmpty());
    QVERIFY2(type != QMimeDatabase().mimeTypeForName("image/png").comment(), qPrintable(type));
}

void TestPictureMenu::printingWithoutAPrinterSaysSo()
{
    // Windows' print dialog needs a printer; without one the user is told so, not left with
    // a menu item that does nothing.
#ifndef Q_OS_WIN
    QSKIP("Qt's own print dialog prints to a PDF file where there is no printer");
#endif
    if (QPrinter(QPrinter::HighResolution).outputFormat() == QPrinter::NativeFormat)
        QSKIP("this computer has a printer");
    WindowFixture window(QLocale::c(), WindowFixture::Answers::ByTheDesktop);
    window.showWithTheDefaultCurves();
    QTimer::singleShot(0, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->accept();
    });
    window.action("printPictureAction")->trigger();
    QCOMPARE(window.messages,
             QStringList{"Obrázek nelze vytisknout: v počítači není nainstalována žádná "
                         "tiskárna. Do PDF jej uložíte příkazem „Uložit obrázek…“."});
}

QTEST_MAIN(TestPictureMenu)
#include "tst_picturemenu.moc"
