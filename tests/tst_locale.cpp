// SPDX-License-Identifier: GPL-3.0-or-later
#include "czechqttexts.h"
#include "pixels.h"
#include "windowfixture.h"

#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

// The window under the locale the user runs it in. The suite is registered once for each of
// several locales, each run with its own LC_ALL and LANG.
class TestLocale : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void captionsStayCzech();
    void qtTextsAreCzech();
    void numbersInTheLocalesOwnSpelling_data();
    void numbersInTheLocalesOwnSpelling();
};

namespace {

constexpr QRgb Blue = RowPlotColours[0];

// The picture row 1 draws from these texts in a window of the given locale.
QImage plotRow1(const QLocale &locale, const QString &frequency, const QString &phase,
                const QString &amplitude, QStringList *messages)
{
    WindowFixture window(locale);
    window.setText("Text1", frequency);
    window.setText("Text2", phase);
    window.setText("Text3", amplitude);
    window.form.Command1_Click();
    *messages << window.messages;
    return window.image();
}

} // namespace

void TestLocale::initTestCase()
{
    qInfo("locale: %s", qPrintable(QLocale().name()));
    QVERIFY(installCzechQtTexts(*QCoreApplication::instance()));
}

void TestLocale::captionsStayCzech()
{
    const WindowFixture window{QLocale()};
    QCOMPARE(window.form.windowTitle(), "Vibraton " VIBRATON_VERSION);
    const std::pair<const char *, const char *> captions[] = {
        {"Label4", "První graf"}, {"Label5", "Druhý graf"}, {"Label9", "Třetí graf"},
        {"Label1", " f="},        {"Label2", "φ_0 ="},      {"Label3", "°  y_m ="},
        {"Command1", "Kreslit"},  {"Command5", "Složit"},   {"Command2", "Vymazat grafy"},
        {"Text1", "1"},           {"Text2", "0"},           {"Text3", "20"},
        {"Text4", "2"},           {"Text7", "3"},           {"Text9", "20"},
    };
    for (const auto &[control, caption] : captions)
        QCOMPARE(window.control(control)->property("text").toString(), QString::fromUtf8(caption));
}

void TestLocale::qtTextsAreCzech()
{
    // A field's context menu and the message box's button come from Qt.
    const WindowFixture window{QLocale()};
    std::unique_ptr<QMenu> menu(window.control<QLineEdit>("Text1")->createStandardContextMenu());
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << action->text().section(QLatin1Char('\t'), 0, 0);
    texts.removeAll(QString());
    QCOMPARE(texts, QStringList({"&Zpět", "&Znovu", "&Vyjmout", "&Kopírovat", "&Vložit", "Smazat",
                                 "Vybrat vše"}));
    QMessageBox box(QMessageBox::NoIcon, "Vibraton", "", QMessageBox::Ok);
    QCOMPARE(box.button(QMessageBox::Ok)->text(), "OK");
}

void TestLocale::numbersInTheLocalesOwnSpelling_data()
{
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<QString>("phase");
    QTest::addColumn<QString>("amplitude");
    QTest::newRow("defaults") << "1"
                              << "0"
                              << "20";
    QTest::newRow("negative phase, fractions") << "2.5"
                                               << "-22.5"
                                               << "37.5";
}

void TestLocale::numbersInTheLocalesOwnSpelling()
{
    // Typed with the locale's decimal separator, the numbers draw the same picture as in the
    // C locale, converted values and all.
    QFETCH(QString, frequency);
    QFETCH(QString, phase);
    QFETCH(QString, amplitude);
    const QLocale locale;
    auto spelled = [&](QString text) { return text.replace('.', locale.decimalPoint()); };
    QStringList messages;
    const QImage inLocale =
        plotRow1(locale, spelled(frequency), spelled(phase), spelled(amplitude), &messages);
    QCOMPARE(messages, QStringList());
    const QImage inC = plotRow1(QLocale::c(), frequency, phase, amplitude, &messages);
    QCOMPARE(messages, QStringList());
    QVERIFY(countOf(inLocale, Blue) > 500);
    QVERIFY(inLocale == inC);
}

QTEST_MAIN(TestLocale)
#include "tst_locale.moc"
