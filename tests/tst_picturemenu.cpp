// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"
#include "pdf.h"
#include "screen.h"

#include <QAccessible>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
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
    void menuOpens_data();
    void menuOpens();
    void nothingToTakeFromAnEmptyArea();
    void copyTakesThePictureOnlyFromThePlotArea();
    void savedPictureIsWhatTheScreenShows_data();
    void savedPictureIsWhatTheScreenShows();
    void failedOrCancelledSaveWritesNothing_data();
    void failedOrCancelledSaveWritesNothing();
    void printsOnOneLandscapePage_data();
    void printsOnOneLandscapePage();
};

namespace {

// A window with the default curves drawn, its messages recorded and its dialogs answered.
struct Window
{
    Window()
    {
        form.setMessageHandler([this](const QString &text) { messages << text; });
        form.setDialogs({[this](const QString &suggested) {
                             suggestions << suggested;
                             return answer;
                         },
                         [this](QPrinter &printer) {
                             if (printedTo.isEmpty())
                                 return false;
                             printer.setOutputFileName(printedTo);
                             return true;
                         }});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (QPushButton *button : {ui().Command1, ui().Command3, ui().Command4, ui().Command5})
            QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    const Ui::Form1 &ui() const { return form.ui(); }
    QImage onScreen() const { return plotAreaOnScreen(form); }

    Form1 form{QLocale::c()};
    QStringList messages;
    QStringList suggestions;
    QString answer;
    QString printedTo;
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
    PlotArea *area = window.ui().Picture1;
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

void TestPictureMenu::nothingToTakeFromAnEmptyArea()
{
    Window window;
    const QList<QAction *> actions = window.ui().Picture1->actions();
    QCOMPARE(actions.size(), 3);
    window.form.resize(300, 120); // Below the height the plot area needs.
    for (const QAction *action : actions)
        QVERIFY(!action->isEnabled());
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
    window.ui().Text1->setFocus();
    window.ui().Text1->selectAll();
    QTest::keySequence(window.ui().Text1, QKeySequence::Copy);
    QCOMPARE(clipboard->text(), "1");
    QVERIFY(!clipboard->mimeData()->hasImage());

    window.ui().Picture1->setFocus();
    QTest::keySequence(window.ui().Picture1, QKeySequence::Copy);
    const QImage picture = window.form.visiblePicture();
    QCOMPARE(picture.size(), QSize(583, 290)); // The strip covers the last 3 rows.
    QVERIFY(clipboard->image().convertToFormat(picture.format()) == picture);
    QVERIFY(QImage::fromData(clipboard->mimeData()->data("image/png")) == picture);
    QVERIFY(window.onScreen().convertToFormat(picture.format()) == picture);
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
    QTest::keySequence(&window.form, QKeySequence::Save);
    QCOMPARE(window.messages, QStringList());
    QCOMPARE(window.suggestions.size(), 1);
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!QDir(pictures).exists())
        pictures = QDir::homePath();
    QVERIFY(QRegularExpression(QRegularExpression::escape(pictures) +
                               R"(/vibraton-\d{4}-\d\d-\d\d-\d{4}\.png)")
                .match(window.suggestions.first())
                .hasMatch());
    const QImage saved(window.answer);
    QCOMPARE(saved.size(), window.onScreen().size());
    QVERIFY(saved == window.onScreen().convertToFormat(saved.format()));
}

void TestPictureMenu::failedOrCancelledSaveWritesNothing_data()
{
    QTest::addColumn<QString>("answer"); // Empty: cancelled.
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("cancelled") << QString() << QStringList();
    QTest::newRow("no such folder") << "/nonexistent/graf.png"
                                    << QStringList{"Obrázek se nepodařilo uložit do souboru "
                                                   "„/nonexistent/graf.png“: složka /nonexistent "
                                                   "neexistuje."};
}

void TestPictureMenu::failedOrCancelledSaveWritesNothing()
{
    // Nothing is written, and the picture and the fields stay as they were.
    QFETCH(QString, answer);
    QFETCH(QStringList, messages);
    Window window;
    const QImage before = window.ui().Picture1->surface().image().copy();
    window.answer = answer;
    window.ui().savePictureAction->trigger();
    QCOMPARE(window.suggestions.size(), 1);
    QCOMPARE(window.messages, messages);
    QVERIFY(answer.isEmpty() || !QFile::exists(answer));
    QCOMPARE(window.ui().Picture1->surface().image(), before);
    QCOMPARE(window.ui().Text1->text(), "1");
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
}

QTEST_MAIN(TestPictureMenu)
#include "tst_picturemenu.moc"
