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
    form.findChild<QLineEdit *>("Text1")->setText(frequency);
    form.findChild<QLineEdit *>("Text2")->setText(phase);
    form.findChild<QLineEdit *>("Text3")->setText(amplitude);
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
    QCOMPARE(form.windowTitle(), "Vibraton 0.94");
    for (const ControlSpec &spec : ControlTable::controls()) {
        const QString expected = QString::fromUtf8(spec.text);
        const QObject *control = form.findChild<QObject *>(QString::fromLatin1(spec.name));
        if (auto *field = qobject_cast<const QLineEdit *>(control))
            QCOMPARE(field->text(), expected);
        else if (control->property("text").isValid())
            QCOMPARE(control->property("text").toString(), expected);
    }
}

void TestLocale::qtTextsAreCzech()
{
    // A field's context menu and the message box's button come from Qt.
    Form1 form;
    auto *field = form.findChild<QLineEdit *>("Text1");
    std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
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
