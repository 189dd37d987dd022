// SPDX-License-Identifier: GPL-3.0-or-later
#include "czechqttexts.h"
#include "form1.h"
#include "pixels.h"

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

constexpr QRgb Blue = qRgb(0, 0, 255);

// The picture row 1 draws from these texts in a window of the given locale.
QImage plotRow1(const QLocale &locale, const QString &frequency, const QString &phase,
                const QString &amplitude, QStringList *messages)
{
    Form1 form(locale);
    form.setMessageHandler([messages](const QString &text) { *messages << text; });
    form.ui().Text1->setText(frequency);
    form.ui().Text2->setText(phase);
    form.ui().Text3->setText(amplitude);
    form.Command1_Click();
    return form.plotArea()->surface().image();
}

} // namespace

void TestLocale::initTestCase()
{
    qInfo("locale: %s", qPrintable(QLocale().name()));
    QVERIFY(installCzechQtTexts(*QCoreApplication::instance()));
}

void TestLocale::captionsStayCzech()
{
    const Form1 form;
    const Ui::Form1 &ui = form.ui();
    QCOMPARE(form.windowTitle(), "Vibraton 0.94");
    const std::pair<const QWidget *, const char *> captions[] = {
        {ui.Label4, "První graf"}, {ui.Label5, "Druhý graf"}, {ui.Label9, "Třetí graf"},
        {ui.Label1, " f="},        {ui.Label2, "φ_0 ="},      {ui.Label3, "°  y_m ="},
        {ui.Command1, "Kreslit"},  {ui.Command5, "Složit"},   {ui.Command2, "Vymazat grafy"},
        {ui.Text1, "1"},           {ui.Text2, "0"},           {ui.Text3, "20"},
        {ui.Text4, "2"},           {ui.Text7, "3"},           {ui.Text9, "20"},
    };
    for (const auto &[control, caption] : captions)
        QCOMPARE(control->property("text").toString(), QString::fromUtf8(caption));
}

void TestLocale::qtTextsAreCzech()
{
    // A field's context menu and the message box's button come from Qt.
    Form1 form;
    std::unique_ptr<QMenu> menu(form.ui().Text1->createStandardContextMenu());
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
