// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement.h"
#include "windowfixture.h"

#include <QAccessible>
#include <QClipboard>
#include <QMenu>
#include <QTest>

// The plot area's "Měření" menu through the window: the cursor and its keys, the callipers and
// the envelope as the screen shows them and screen readers hear them, and a picture that is
// unchanged once measuring is off.
class TestMeasureMenu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void menuHoldsTheMeasureItems_data();
    void menuHoldsTheMeasureItems();
    void keysMoveTheCursor_data();
    void keysMoveTheCursor();
    void beatPeriodOfTheExample_data();
    void beatPeriodOfTheExample();
    void clickSnapsUnlessShift_data();
    void clickSnapsUnlessShift();
    void escapeEndsMeasuringInThePlotArea_data();
    void escapeEndsMeasuringInThePlotArea();
    void offLeavesThePictureAsItWas_data();
    void offLeavesThePictureAsItWas();
    void pictureTakenOutShowsTheMarks_data();
    void pictureTakenOutShowsTheMarks();
};

namespace {

// The window at its designed size, its plot area 583 pixels wide, with curves drawn.
struct Window : WindowFixture
{
    explicit Window(const QStringList &buttons = {"Command1", "Command3", "Command4", "Command5"},
                    const QStringList &texts = {})
    {
        showAtDesignHeight();
        // Active, as a window a user works in: its keys work only then.
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        for (qsizetype i = 0; i < texts.size(); ++i)
            setText(qPrintable(QStringLiteral("Text%1").arg(i + 1)), texts[i]);
        for (const QString &button : buttons)
            click(qPrintable(button));
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) const
    {
        QTest::keyClick(plotArea(), key, modifiers);
    }
    void startMeasuring() const { key(Qt::Key_M, Qt::ControlModifier); }
    bool measuring() const { return action("measureAction")->isChecked(); }
    // What a screen reader hears of the plot area.
    QString said() const
    {
        return QAccessible::queryAccessibleInterface(plotArea())->text(QAccessible::Description);
    }
    QImage shown() const
    {
        QCoreApplication::processEvents();
        return onScreen().convertToFormat(QImage::Format_RGB32);
    }
};

// The beats of the example "Rázy", 8 and 9 at 50 each.
const QStringList Beats = {"8", "0", "50", "9", "0", "50", "1", "0", "0"};

} // namespace

void TestMeasureMenu::initTestCase()
{
    QAccessible::installFactory(Form1::accessibleInterface);
}

void TestMeasureMenu::init()
{
    WindowFixture settingsOfTheTests; // Keeps the settings in the tests' own place.
    QSettings().clear();              // The pitch is the first run's, 220 Hz.
}

void TestMeasureMenu::menuHoldsTheMeasureItems_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("key");
    QTest::newRow("measuring") << "measureAction"
                               << "Měřit" << QKeySequence("Ctrl+M");
    QTest::newRow("the envelope") << "envelopeAction"
                                  << "Obálka složení" << QKeySequence("Ctrl+Shift+M");
}

void TestMeasureMenu::menuHoldsTheMeasureItems()
{
    QFETCH(QString, action);
    QFETCH(QString, text);
    QFETCH(QKeySequence, key);
    WindowFixture window;
    const auto *menu = window.form.findChild<QMenu *>("measureMenu");
    QCOMPARE(menu->title(), "Měření");
    QAction *item = window.action(qPrintable(action));
    QVERIFY(menu->actions().contains(item));
    QCOMPARE(item->text(), text);
    QVERIFY(item->isCheckable() && !item->isChecked());
    QCOMPARE(item->shortcut(), key);
    QVERIFY(window.form.actions().contains(item)); // Its key works in the whole window.
}

void TestMeasureMenu::keysMoveTheCursor_data()
{
    // One pixel is 15 units, a time unit 3390.69 units.
    QTest::addColumn<QList<QKeyCombination>>("keys");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("time");
    using K = QList<QKeyCombination>;
    QTest::newRow("Home") << K{Qt::Key_Home} << 0 << "t = 0,00 (0,00 ms)";
    QTest::newRow("Home, right") << K{Qt::Key_Home, Qt::Key_Right} << 1 << "t = 0,00 (0,02 ms)";
    QTest::newRow("Home, shift right three times")
        << K{Qt::Key_Home, Qt::ShiftModifier | Qt::Key_Right, Qt::ShiftModifier | Qt::Key_Right,
             Qt::ShiftModifier | Qt::Key_Right}
        << 30 << "t = 0,13 (0,60 ms)";
    QTest::newRow("End, left, shift left")
        << K{Qt::Key_End, Qt::Key_Left, Qt::ShiftModifier | Qt::Key_Left} << 571
        << "t = 2,53 (11,5 ms)";
    QTest::newRow("no further left than the area")
        << K{Qt::Key_Home, Qt::Key_Left} << 0 << "t = 0,00 (0,00 ms)";
}

void TestMeasureMenu::keysMoveTheCursor()
{
    QFETCH(QList<QKeyCombination>, keys);
    QFETCH(int, column);
    QFETCH(QString, time);
    Window window{QStringList()}; // The axis alone.
    window.startMeasuring();
    QVERIFY(window.measuring());
    for (QKeyCombination key : keys)
        window.key(key.key(), key.keyboardModifiers());
    QVERIFY2(window.said().startsWith("Měření: " + time), qPrintable(window.said()));
    const QImage shown = window.shown();
    for (int x : {column - 1, column, column + 1})
        if (shown.rect().contains(x, 250))
            QCOMPARE(shown.pixel(x, 250) == Measure::CursorColour, x == column);
}

void TestMeasureMenu::beatPeriodOfTheExample_data()
{
    // From one loud swell to the next, with the keys; with the envelope the markers snap to its
    // maxima, without it to the sum's crossings there.
    QTest::addColumn<QString>("pitch");
    QTest::addColumn<bool>("envelope");
    QTest::addColumn<QStringList>("callipers");
    QTest::newRow("220 Hz") << "pitch220Action" << false
                            << QStringList{"Δt = 1,00 (4,55 ms)", "1/Δt = 1,00 (220 Hz)"};
    QTest::newRow("220 Hz, the envelope shown")
        << "pitch220Action" << true << QStringList{"Δt = 1,00 (4,55 ms)", "1/Δt = 1,00 (220 Hz)"};
    QTest::newRow("55 Hz") << "pitch55Action" << false
                           << QStringList{"Δt = 1,00 (18,2 ms)", "1/Δt = 1,00 (55,0 Hz)"};
}

void TestMeasureMenu::beatPeriodOfTheExample()
{
    QFETCH(QString, pitch);
    QFETCH(bool, envelope);
    QFETCH(QStringList, callipers);
    Window window({"Command5"}, Beats);
    window.action(qPrintable(pitch))->trigger();
    if (envelope)
        window.key(Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    window.startMeasuring();
    window.key(Qt::Key_Home);
    window.key(Qt::Key_Enter);
    for (int i = 0; i < 22; ++i)
        window.key(Qt::Key_Right, Qt::ShiftModifier);
    for (int i = 0; i < 6; ++i)
        window.key(Qt::Key_Right);
    window.key(Qt::Key_Return);
    for (const QString &line : callipers)
        QVERIFY2(window.said().contains(line), qPrintable(window.said()));
    QCOMPARE(window.said().contains("rázy"), false); // The label is on the picture alone.
}

void TestMeasureMenu::clickSnapsUnlessShift_data()
{
    // The first row alone peaks at x 848 (pixel 56), 13 pixels above the axis at row 144.
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("marker");
    QTest::newRow("near the peak")
        << QPoint(50, 133) << Qt::KeyboardModifiers() << "A: t = 0,25 (1,14 ms)";
    QTest::newRow("near the peak with Shift")
        << QPoint(50, 133) << Qt::KeyboardModifiers(Qt::ShiftModifier) << "A: t = 0,22 (1,01 ms)";
    QTest::newRow("far from the curve")
        << QPoint(50, 40) << Qt::KeyboardModifiers() << "A: t = 0,22 (1,01 ms)";
}

void TestMeasureMenu::clickSnapsUnlessShift()
{
    QFETCH(QPoint, at);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, marker);
    Window window({"Command1"});
    window.startMeasuring();
    QTest::mouseMove(window.plotArea(), at);
    QTest::mouseClick(window.plotArea(), Qt::LeftButton, modifiers, at);
    QVERIFY2(window.said().endsWith(marker), qPrintable(window.said()));
}

void TestMeasureMenu::escapeEndsMeasuringInThePlotArea_data()
{
    // With no sound playing; elsewhere in the window Esc stays "Zastavit zvuk".
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("measuring");
    QTest::newRow("the plot area") << "Picture1" << false;
    QTest::newRow("a field") << "Text1" << true;
}

void TestMeasureMenu::escapeEndsMeasuringInThePlotArea()
{
    QFETCH(QString, focus);
    QFETCH(bool, measuring);
    Window window;
    const QString description = window.said();
    window.startMeasuring();
    QWidget *focused = window.control(qPrintable(focus));
    focused->setFocus();
    QTest::keyClick(focused, Qt::Key_Escape);
    QCOMPARE(window.measuring(), measuring);
    QCOMPARE(window.said() == description, !measuring);
}

void TestMeasureMenu::offLeavesThePictureAsItWas_data()
{
    QTest::addColumn<QStringList>("actions"); // Each turned on, then all off again.
    QTest::newRow("measuring") << QStringList{"measureAction"};
    QTest::newRow("the envelope") << QStringList{"envelopeAction"};
    QTest::newRow("both") << QStringList{"envelopeAction", "measureAction"};
}

void TestMeasureMenu::offLeavesThePictureAsItWas()
{
    QFETCH(QStringList, actions);
    Window window;
    const QImage shown = window.shown();
    const QImage picture = window.visiblePicture();
    const QString description = window.said();
    for (const QString &action : actions)
        window.action(qPrintable(action))->trigger();
    window.key(Qt::Key_Return);
    QVERIFY(window.shown() != shown);
    for (const QString &action : actions)
        window.action(qPrintable(action))->trigger();
    QCOMPARE(window.shown(), shown);
    QCOMPARE(window.visiblePicture(), picture);
    QCOMPARE(window.said(), description);
    QVERIFY(!window.plotArea()->hasMouseTracking());
}

void TestMeasureMenu::pictureTakenOutShowsTheMarks_data()
{
    offLeavesThePictureAsItWas_data();
}

void TestMeasureMenu::pictureTakenOutShowsTheMarks()
{
    // What is copied, saved and printed is what the screen shows, marks and all.
    QFETCH(QStringList, actions);
    Window window({"Command5"}, Beats);
    const QImage bare = window.visiblePicture();
    for (const QString &action : actions)
        window.action(qPrintable(action))->trigger();
    for (Qt::Key key : {Qt::Key_Home, Qt::Key_Return, Qt::Key_End, Qt::Key_Return, Qt::Key_Left})
        window.key(key);
    window.plotArea()->setFocus();
    window.action("copyPictureAction")->trigger();
    const QImage copied =
        QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    QVERIFY(copied != bare);
    QCOMPARE(copied, window.shown());
}

QTEST_MAIN(TestMeasureMenu)
#include "tst_measuremenu.moc"
