// SPDX-License-Identifier: GPL-3.0-or-later
#include "pixels.h"
#include "windowfixture.h"

#include <QAccessible>
#include <QClipboard>
#include <QScreen>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <functional>
#include <string>

// The window as the user sees it and works it, headless.
class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void controls_data();
    void controls();
    void colourKeys();
    void captionsFit();
    void focusOrder();
    void fieldsNamedForScreenReaders_data();
    void fieldsNamedForScreenReaders();
    void buttonsNamedByCaptions_data();
    void buttonsNamedByCaptions();
    void everyReachableControlHasAName();
    void axisDrawnAtLoad();
    void plotAreaFollowsTheWindow_data();
    void plotAreaFollowsTheWindow();
    void clearAfterResize();
    void pictureSurvives_data();
    void pictureSurvives();
    void buttonsPlotTheirRows_data();
    void buttonsPlotTheirRows();
    void notANumberThroughTheWindow();
    void amplitudeWarningThroughTheWindow_data();
    void amplitudeWarningThroughTheWindow();
    void superpositionThroughTheWindow();
    void resizeWhileTheWarningIsUp_data();
    void resizeWhileTheWarningIsUp();
    void longPastesAreReadWhole_data();
    void longPastesAreReadWhole();
    void screenShowsThePictureAfterEveryCommand();
    void imageIsCappedByTheScreen();
    void beyondTheCapTheScreenShowsBackground_data();
    void beyondTheCapTheScreenShowsBackground();
    void messageBox();
    void thousandCommandsLeaveMemoryFlat();
};

Q_DECLARE_METATYPE(QRect)

namespace {

constexpr QRgb Black = AxisColour;
constexpr QRgb White = PlotSurface::Background;

QRect unitsOf(const QWidget *widget)
{
    const QRect pixels = widget->geometry();
    return {pixels.topLeft() * 15, pixels.size() * 15};
}

} // namespace

void TestForm1::initTestCase()
{
    QAccessible::installFactory(Form1::accessibleInterface);
}

void TestForm1::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QRect>("units");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("bold");

    struct Control
    {
        const char *name;
        const char *kind;
        QRect units;
        const char *text;
        bool bold;
    };
    static const Control expected[] = {
        {"Label4", "QLabel", {0, 240, 855, 255}, "První graf", true},
        {"Label1", "QLabel", {1080, 240, 255, 375}, " f=", false},
        {"Text1", "QLineEdit", {1320, 240, 975, 285}, "1", false},
        {"Label2", "QLabel", {2400, 240, 375, 375}, "φ_0 =", false},
        {"Text2", "QLineEdit", {2880, 240, 855, 285}, "0", false},
        {"Label3", "QLabel", {3840, 240, 735, 375}, "°  y_m =", false},
        {"Text3", "QLineEdit", {4560, 240, 855, 285}, "20", false},
        {"Line1", "QWidget", {5640, 360, 360, 15}, "", false},
        {"Command1", "QPushButton", {6240, 240, 855, 375}, "Kreslit", false},
        {"Label5", "QLabel", {0, 600, 975, 375}, "Druhý graf", true},
        {"Label6", "QLabel", {1080, 600, 255, 375}, " f=", false},
        {"Text4", "QLineEdit", {1320, 600, 975, 285}, "2", false},
        {"Label7", "QLabel", {2400, 600, 375, 375}, "φ_0 =", false},
        {"Text5", "QLineEdit", {2880, 600, 855, 285}, "0", false},
        {"Label8", "QLabel", {3840, 600, 735, 375}, "°  y_m =", false},
        {"Text6", "QLineEdit", {4560, 600, 855, 285}, "20", false},
        {"Line2", "QWidget", {5640, 720, 360, 15}, "", false},
        {"Command3", "QPushButton", {6240, 600, 855, 375}, "Kreslit", false},
        {"Label9", "QLabel", {0, 960, 975, 255}, "Třetí graf", true},
        {"Label10", "QLabel", {1080, 960, 255, 375}, " f=", false},
        {"Text7", "QLineEdit", {1320, 960, 975, 285}, "3", false},
        {"Label11", "QLabel", {2400, 960, 375, 375}, "φ_0 =", false},
        {"Text8", "QLineEdit", {2880, 960, 855, 285}, "0", false},
        {"Label12", "QLabel", {3840, 960, 735, 375}, "°  y_m =", false},
        {"Text9", "QLineEdit", {4560, 960, 855, 285}, "20", false},
        {"Line3", "QWidget", {5640, 1080, 360, 15}, "", false},
        {"Command4", "QPushButton", {6240, 960, 855, 375}, "Kreslit", false},
        {"Command5", "QPushButton", {7080, 240, 855, 1095}, "Složit", false},
        {"Command2", "QPushButton", {0, 1440, 2655, 375}, "Vymazat grafy", false},
        {"Picture1", "PlotArea", {0, 1920, 8775, 4335}, "", false},
        {"StatusBar1", "QWidget", {0, 6270, 8760, 255}, "", false},
    };
    for (const Control &c : expected)
        QTest::newRow(c.name) << c.name << c.kind << c.units << QString::fromUtf8(c.text) << c.bold;
}

void TestForm1::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QRect, units);
    QFETCH(QString, text);
    QFETCH(bool, bold);

    WindowFixture window;
    QCOMPARE(window.form.windowTitle(), "Vibraton " VIBRATON_VERSION);
    QCOMPARE(window.form.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size(), 31);
    QWidget *control = window.control(qPrintable(name));
    QVERIFY(control);
    QCOMPARE(control->metaObject()->className(), kind);
    QCOMPARE(unitsOf(control), units);
    if (auto *label = qobject_cast<QLabel *>(control))
        QCOMPARE(label->text(), text);
    if (auto *field = qobject_cast<QLineEdit *>(control))
        QCOMPARE(field->text(), text);
    if (auto *button = qobject_cast<QPushButton *>(control))
        QCOMPARE(button->text(), text);
    QCOMPARE(control->font().bold(), bold);
}

void TestForm1::colourKeys()
{
    WindowFixture window;
    const QImage shown = window.form.grab().toImage();
    QCOMPARE(shown.pixel(376, 24), qRgb(0, 0, 255));
    QCOMPARE(shown.pixel(399, 48), qRgb(255, 0, 0));
    QCOMPARE(shown.pixel(390, 72), qRgb(0, 192, 0));
    QVERIFY(shown.pixel(390, 73) != qRgb(0, 192, 0));
}

void TestForm1::captionsFit()
{
    // At the design geometry nothing is clipped: every caption and default text fits its
    // control, margins and frames included.
    WindowFixture window;
    for (auto *label : window.form.findChildren<QLabel *>()) {
        const QFontMetrics metrics(label->font());
        QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->contentsRect().width(),
                 qPrintable(label->objectName()));
        QVERIFY2(metrics.height() <= label->height(), qPrintable(label->objectName()));
    }
    for (auto *button : window.form.findChildren<QPushButton *>()) {
        const QFontMetrics metrics(button->font());
        QVERIFY2(metrics.horizontalAdvance(button->text()) + 12 <= button->width(),
                 qPrintable(button->objectName()));
        QVERIFY2(metrics.height() + 6 <= button->height(), qPrintable(button->objectName()));
    }
    for (auto *field : window.form.findChildren<QLineEdit *>()) {
        const QFontMetrics metrics(field->font());
        QVERIFY2(metrics.height() + 4 <= field->height(), qPrintable(field->objectName()));
    }
    // The phase labels show phi, whatever the font.
    for (const char *name : {"Label2", "Label7", "Label11"}) {
        const QFontMetrics metrics(window.control(name)->font());
        QVERIFY(metrics.inFont(QChar(0x03c6)));
    }
}

void TestForm1::focusOrder()
{
    WindowFixture window;
    window.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    QCOMPARE(QApplication::focusWidget(), window.control("Command1"));

    const QStringList expected = {
        "Picture1", "Text1",    "Text2", "Text3", "Command2", "Text4",    "Text5",      "Text6",
        "Command3", "Command4", "Text7", "Text8", "Text9",    "Command5", "StatusBar1", "Command1"};
    QStringList visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

void TestForm1::fieldsNamedForScreenReaders_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("name");
    const char *fields[][3] = {
        {"Text1", "Label1", "První graf, frekvence"},
        {"Text2", "Label2", "První graf, počáteční fáze ve stupních"},
        {"Text3", "Label3", "První graf, amplituda"},
        {"Text4", "Label6", "Druhý graf, frekvence"},
        {"Text5", "Label7", "Druhý graf, počáteční fáze ve stupních"},
        {"Text6", "Label8", "Druhý graf, amplituda"},
        {"Text7", "Label10", "Třetí graf, frekvence"},
        {"Text8", "Label11", "Třetí graf, počáteční fáze ve stupních"},
        {"Text9", "Label12", "Třetí graf, amplituda"},
    };
    for (const auto &[field, label, name] : fields)
        QTest::newRow(field) << field << label << QString::fromUtf8(name);
}

void TestForm1::fieldsNamedForScreenReaders()
{
    // Every row has the same three labels, so a field is named by its row and quantity; its
    // label is its buddy, so the reader also knows which label belongs to it.
    QFETCH(QString, field);
    QFETCH(QString, label);
    QFETCH(QString, name);
    WindowFixture window;
    QWidget *control = window.control(qPrintable(field));
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::EditableText);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(accessible->text(QAccessible::Value),
             window.control<QLineEdit>(qPrintable(field))->text());
    const auto labels = accessible->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.first().first->object(), window.control(qPrintable(label)));
    QCOMPARE(window.control<QLabel>(qPrintable(label))->buddy(), control);
}

void TestForm1::buttonsNamedByCaptions_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::newRow("Command1") << "Command1"
                              << "Kreslit"
                              << "Nakreslí první graf";
    QTest::newRow("Command3") << "Command3"
                              << "Kreslit"
                              << "Nakreslí druhý graf";
    QTest::newRow("Command4") << "Command4"
                              << "Kreslit"
                              << "Nakreslí třetí graf";
    QTest::newRow("Command5") << "Command5"
                              << "Složit"
                              << "Nakreslí součet všech tří grafů";
    QTest::newRow("Command2") << "Command2"
                              << "Vymazat grafy"
                              << "Vymaže všechny grafy";
}

void TestForm1::buttonsNamedByCaptions()
{
    // Three buttons share the caption "Kreslit"; the description tells them apart.
    QFETCH(QString, button);
    QFETCH(QString, name);
    QFETCH(QString, description);
    WindowFixture window;
    QAccessibleInterface *accessible =
        QAccessible::queryAccessibleInterface(window.control(qPrintable(button)));
    QCOMPARE(accessible->role(), QAccessible::Button);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(accessible->text(QAccessible::Description), description);
    QVERIFY(accessible->actionInterface()->actionNames().contains(
        QAccessibleActionInterface::pressAction()));
}

void TestForm1::everyReachableControlHasAName()
{
    // Walk the tree a screen reader sees from the window down: every control the keyboard can
    // reach is in it and has a name, and no two fields share one.
    WindowFixture window;
    window.form.show();
    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(&window.form);
    QCOMPARE(root->role(), QAccessible::Window);
    QCOMPARE(root->text(QAccessible::Name), "Vibraton " VIBRATON_VERSION);
    QSet<QObject *> seen;
    QSet<QString> fieldNames;
    std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *node) {
        for (int i = 0; i < node->childCount(); ++i) {
            QAccessibleInterface *child = node->child(i);
            seen.insert(child->object());
            if (child->role() == QAccessible::EditableText)
                fieldNames.insert(child->text(QAccessible::Name));
            walk(child);
        }
    };
    walk(root);
    QCOMPARE(fieldNames.size(), 9);
    for (auto *control : window.form.findChildren<QWidget *>()) {
        if (!(control->focusPolicy() & Qt::TabFocus))
            continue;
        QVERIFY2(seen.contains(control), qPrintable(control->objectName()));
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(window.plotArea())->text(QAccessible::Name),
             "Pole grafu");
}

void TestForm1::axisDrawnAtLoad()
{
    // Drawn before the window is shown, at the design middle across the design width, and
    // still there once the window is shown and resized.
    WindowFixture window;
    QCOMPARE(window.plotArea()->size() * 15, QSize(8775, 4335));
    QCOMPARE(countOf(window.image(), Black), 585);
    QCOMPARE(countOf(window.image(), Black, QRect(0, 144, 585, 1)), 585);
    window.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window.form));
    const QImage shown = window.plotArea()->grab().toImage();
    QCOMPARE(shown.pixel(0, 144), Black);
    QCOMPARE(shown.pixel(582, 144), Black);
    QCOMPARE(shown.pixel(300, 143), White);
}

void TestForm1::plotAreaFollowsTheWindow_data()
{
    // Offscreen there is no frame: the designed one is assumed, 8 pixels wide and 27 high.
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QSize>("plotUnits");
    QTest::newRow("design") << QSize(584, 435) << QSize(8745, 4395);
    QTest::newRow("larger") << QSize(800, 600) << QSize(11985, 6870);
    QTest::newRow("narrow and short") << QSize(100, 150) << QSize(1485, 120);
    QTest::newRow("below the height margin") << QSize(300, 100) << QSize(4485, 0);
    QTest::newRow("one pixel") << QSize(1, 1) << QSize(0, 0);
}

void TestForm1::plotAreaFollowsTheWindow()
{
    QFETCH(QSize, client);
    QFETCH(QSize, plotUnits);
    WindowFixture window;
    window.form.show();
    window.form.resize(client);
    QCOMPARE(window.plotArea()->size() * 15, plotUnits);
    QCOMPARE(window.plotArea()->pos(), QPoint(0, 128));
    // Resizing draws nothing: the axis drawn at load stays where it was.
    QCOMPARE(countOf(window.image(), Black), 585);
    QCOMPARE(countOf(window.image(), Black, QRect(0, 144, 585, 1)), 585);
    // The bottom strip stays docked across the full width.
    QCOMPARE(window.control("StatusBar1")->geometry(),
             QRect(0, client.height() - 17, client.width(), 17));
}

void TestForm1::clearAfterResize()
{
    WindowFixture window;
    window.form.show();
    window.click("Command1");
    window.form.resize(400, 300);
    window.click("Command2");
    // The plot area is 399 by 158 pixels: one axis on row 79, nothing else.
    QCOMPARE(window.plotArea()->size() * 15, QSize(5985, 2370));
    const QSize area = window.plotArea()->surface().drawablePixels();
    QCOMPARE(area, QSize(399, 158));
    QCOMPARE(countOf(window.image(), Black, QRect(QPoint(0, 0), area)), 399);
    QCOMPARE(countOf(window.image(), Black, QRect(0, 79, 399, 1)), 399);
    QCOMPARE(countOf(window.image(), White),
             window.image().width() * window.image().height() - 399);
}

void TestForm1::pictureSurvives_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("shrink and enlarge") << "resize";
    QTest::newRow("tiny and back") << "tiny";
    QTest::newRow("minimise and restore") << "minimise";
    QTest::newRow("maximise and restore") << "maximise";
    QTest::newRow("far larger than any screen") << "huge";
    QTest::newRow("hundreds of resizes") << "many";
}

void TestForm1::pictureSurvives()
{
    QFETCH(QString, how);
    WindowFixture window;
    window.form.show();
    window.click("Command1");
    window.click("Command5");
    const QImage before = window.image().copy();
    const QSize design = window.form.size();
    if (how == "resize") {
        window.form.resize(200, 200);
    } else if (how == "tiny") {
        window.form.resize(1, 1);
        window.form.resize(300, 0);
    } else if (how == "minimise") {
        window.form.showMinimized();
        window.form.showNormal();
    } else if (how == "maximise") {
        window.form.showMaximized();
        window.form.showNormal();
    } else if (how == "huge") {
        window.form.resize(1000000, 1000000);
        const int cap = window.plotArea()->surface().maximumSidePixels();
        QVERIFY(window.image().width() <= cap && window.image().height() <= cap);
        window.click("Command1");
        window.click("Command5");
    } else {
        for (int i = 0; i < 300; ++i)
            window.form.resize(1 + (i * 37) % 900, 1 + (i * 53) % 700);
    }
    window.form.resize(design);
    QCoreApplication::processEvents();
    // Same picture; the image may have grown. After the huge window the plots were drawn again
    // over the same pixels.
    QCOMPARE(window.image().copy(before.rect()), before);
}

void TestForm1::buttonsPlotTheirRows_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QRgb>("colour");
    QTest::addColumn<QPoint>("pixel");
    // The design-height sample at 1000 units: row 1 at 1975.4152, row 2 at 500 too. The rows'
    // colours are pinned here, once.
    QTest::newRow("row 1") << "Command1" << qRgb(0, 0, 255) << QPoint(66, 131);
    QTest::newRow("row 2") << "Command3" << qRgb(255, 0, 0) << QPoint(33, 131);
    QTest::newRow("row 3") << "Command4" << qRgb(102, 153, 51) << QPoint(33, 139);
}

void TestForm1::buttonsPlotTheirRows()
{
    QFETCH(QString, button);
    QFETCH(QRgb, colour);
    QFETCH(QPoint, pixel);
    WindowFixture window;
    window.showAtDesignHeight();
    window.click(qPrintable(button));
    QVERIFY(window.messages.isEmpty());
    QCOMPARE(window.image().pixel(pixel), colour);
    QCOMPARE(window.image().pixel(100, 144), Black);
    // Every other row's colour is absent, and the fields show what they did.
    QVERIFY(countOf(window.image(), colour) > 500);
    const QStringList texts = {"1", "0", "20", "2", "0", "20", "3", "0", "20"};
    for (int i = 0; i < 9; ++i)
        QCOMPARE(window.control<QLineEdit>(qPrintable(QString("Text%1").arg(i + 1)))->text(),
                 texts[i]);
}

void TestForm1::notANumberThroughTheWindow()
{
    WindowFixture window;
    window.showAtDesignHeight();
    window.click("Command2");
    const QImage before = window.image().copy();
    window.setText("Text6", "abc");
    window.click("Command3");
    QCOMPARE(window.messages, QStringList{"Zadaná hodnota není číslo"});
    QCOMPARE(window.image(), before);
    QCOMPARE(window.control<QLineEdit>("Text6")->text(), "abc");
}

void TestForm1::amplitudeWarningThroughTheWindow_data()
{
    QTest::addColumn<QString>("amplitude");
    QTest::addColumn<bool>("warns");
    QTest::newRow("216.75") << "216.75" << false;
    QTest::newRow("216.76") << "216.76" << true;
    QTest::newRow("-1000") << "-1000" << false;
}

void TestForm1::amplitudeWarningThroughTheWindow()
{
    QFETCH(QString, amplitude);
    QFETCH(bool, warns);
    WindowFixture window;
    window.showAtDesignHeight();
    window.setText("Text3", amplitude);
    window.click("Command1");
    QCOMPARE(window.plotArea()->height() * 15, 4335); // The axis at 2167.5.
    QCOMPARE(window.messages,
             warns ? QStringList{"Amplituda je větší než je pole grafu."} : QStringList{});
    QVERIFY(countOf(window.image(), RowPlotColours[0]) > 0);
    QCOMPARE(window.control<QLineEdit>("Text3")->text(), amplitude);
}

void TestForm1::superpositionThroughTheWindow()
{
    WindowFixture window;
    window.showAtDesignHeight();
    window.click("Command2");
    window.click("Command5");
    QVERIFY(window.messages.isEmpty());
    // The sum at 1000 units lies at 2214.8953: column 66, row 147.
    QCOMPARE(window.image().pixel(66, 147), Black);
    QVERIFY(countOf(window.image(), Black) > 585 + 500);
}

void TestForm1::messageBox()
{
    WindowFixture window(QLocale::c(), WindowFixture::Answers::ByTheDesktop); // The real box.
    window.form.show();
    window.setText("Text1", "");
    bool checked = false;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        checked = true;
        QCOMPARE(box->windowTitle(), "Vibraton");
        QCOMPARE(box->text(), "Zadaná hodnota není číslo");
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->buttons().size(), 1);
        QCOMPARE(box->standardButton(box->buttons().first()), QMessageBox::Ok);
        box->buttons().first()->click();
    });
    window.click("Command1");
    QVERIFY(checked);
}

namespace {

// Peak resident memory of this process so far, in KiB.
long peakResidentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

} // namespace

void TestForm1::thousandCommandsLeaveMemoryFlat()
{
    WindowFixture window;
    window.form.show();
    const char *commands[] = {"Command1", "Command3", "Command4", "Command5", "Command2"};
    auto run = [&](int count) {
        for (int i = 0; i < count; ++i)
            window.click(commands[i % 5]);
    };
    run(100);
    const long warmedUp = peakResidentKiB();
    run(1000);
    const long after = peakResidentKiB();
    qInfo("peak resident memory: %ld KiB after 100 commands, %ld KiB after 1100", warmedUp, after);
#if !defined(__SANITIZE_ADDRESS__)
    QVERIFY(after - warmedUp < 1024);
#endif
}

void TestForm1::resizeWhileTheWarningIsUp_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QRgb>("colour");
    QTest::newRow("Kreslit") << "Command3" << RowPlotColours[1];
    QTest::newRow("Složit") << "Command5" << SuperpositionColour;
}

void TestForm1::resizeWhileTheWarningIsUp()
{
    // The warning's box lets the user enlarge the window before pressing OK; the plot is then
    // for the area as it is, its axis at the new middle across the new width.
    QFETCH(QString, button);
    QFETCH(QRgb, colour);
    WindowFixture window;
    window.showAtDesignHeight();
    window.click("Command2");
    window.setText("Text6", "300");
    window.whenTold = [&](const QString &) { window.form.resize(800, 600); };
    window.click(qPrintable(button));
    QCOMPARE(window.messages, QStringList{"Amplituda je větší než je pole grafu."});
    // 799 by 458 pixels now: the axis on row 229 reaches the last column, and so does the curve.
    const QSize area = window.plotArea()->surface().drawablePixels();
    QCOMPARE(area, QSize(799, 458));
    QCOMPARE(window.plotArea()->size() * 15, QSize(11985, 6870));
    QCOMPARE(countOf(window.image(), Black, QRect(0, 229, 799, 1)), 799);
    QVERIFY(countOf(window.image(), colour, QRect(700, 0, 99, 458)) > 0);
    // Nothing was cut off at the old area's bottom (row 288): the curve goes on below it.
    QVERIFY(countOf(window.image(), colour, QRect(0, 300, 799, 158)) > 0);
}

void TestForm1::longPastesAreReadWhole_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("40,000 characters of 20") << QString(39998, '0') + "20" << QStringList();
    QTest::newRow("a million digits")
        << QString(1000000, '7') << QStringList{"Zadaná hodnota není číslo"};
}

void TestForm1::longPastesAreReadWhole()
{
    // A pasted text is never cut at a length limit into another number.
    QFETCH(QString, pasted);
    QFETCH(QStringList, messages);
    WindowFixture window;
    window.showAtDesignHeight();
    window.click("Command2");
    window.click("Command1");
    const QImage defaults = window.image().copy();
    window.click("Command2");
    QGuiApplication::clipboard()->setText(pasted);
    auto *amplitude = window.control<QLineEdit>("Text3");
    amplitude->selectAll();
    amplitude->paste();
    QCOMPARE(amplitude->text().size(), pasted.size());
    window.click("Command1");
    QCOMPARE(window.messages, messages);
    if (messages.isEmpty())
        QCOMPARE(window.image(), defaults);
}

void TestForm1::screenShowsThePictureAfterEveryCommand()
{
    // Each command repaints only what it changed; what reaches the screen must still be the
    // whole picture, with no stale pixel left anywhere in the plot area.
    WindowFixture window;
    window.showAtDesignHeight();
    QVERIFY(QTest::qWaitForWindowExposed(&window.form));
    const char *commands[] = {"Command1", "Command3", "Command4", "Command5", "Command2",
                              "Command4", "Command5", "Command1", "Command2"};
    const QStringList amplitudes = {"20", "-150", "300", "0.5", "1e300", "1e17"};
    for (qsizetype i = 0; i < amplitudes.size(); ++i) {
        window.setText("Text3", amplitudes[i]);
        window.setText("Text6", amplitudes[(i + 1) % amplitudes.size()]);
        for (const char *command : commands) {
            window.click(command);
            QCoreApplication::processEvents();
            const QImage onScreen = window.onScreen();
            const QImage picture = window.image()
                                       .copy(QRect(QPoint(0, 0), onScreen.size()))
                                       .convertToFormat(onScreen.format());
            QVERIFY2(onScreen == picture,
                     qPrintable(QString("after %1 with amplitude %2").arg(command, amplitudes[i])));
        }
    }
}

void TestForm1::imageIsCappedByTheScreen()
{
    // A window far larger than the screen gets no image larger than the screen can show.
    WindowFixture window;
    window.form.show();
    window.form.resize(1000000, 1000000);
    const QScreen *screen = window.form.screen();
    const QSize desktop = screen->virtualSize() * screen->devicePixelRatio();
    const int side = std::max(desktop.width(), desktop.height());
    QVERIFY(window.image().width() <= side && window.image().height() <= side);
    // A plot on it samples no further than the image reaches (tst_plotter checks where it
    // stops), so it is done at once rather than after a million columns.
    window.click("Command5");
}

void TestForm1::beyondTheCapTheScreenShowsBackground_data()
{
    QTest::addColumn<bool>("drawnBeforeTheCap");
    QTest::newRow("cap set on an empty image") << false;
    QTest::newRow("cap lowered under the curves") << true;
}

void TestForm1::beyondTheCapTheScreenShowsBackground()
{
    // The image holds 200 × 200 pixels; the rest of the plot area shows the background, also
    // where the image itself still holds curves drawn before the cap was lowered.
    QFETCH(bool, drawnBeforeTheCap);
    WindowFixture window;
    window.showAtDesignHeight();
    QVERIFY(QTest::qWaitForWindowExposed(&window.form));
    if (drawnBeforeTheCap)
        window.showWithTheDefaultCurves();
    window.plotArea()->surface().setMaximumSidePixels(200);
    window.click("Command5");
    window.plotArea()->update();
    QCoreApplication::processEvents();
    const QImage onScreen = window.onScreen().convertToFormat(QImage::Format_RGB32);
    const QRect image(0, 0, 200, 200);
    const int background = countOf(onScreen, PlotSurface::Background);
    QCOMPARE(background - countOf(onScreen, PlotSurface::Background, image),
             onScreen.width() * onScreen.height() - image.width() * image.height());
    QCOMPARE(countOf(onScreen, Black, QRect(0, 144, 200, 1)), 200); // The axis, within the cap.
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
