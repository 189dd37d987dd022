// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbertext.h"
#include "oscillation.h"

#include <QTest>

#include <cmath>

// How the number texts a user types are read, and how converted values are written back.
class TestNumberText : public QObject
{
    Q_OBJECT

private slots:
    void numericTest_data();
    void numericTest();
    void roundTrip_data();
    void roundTrip();
    void everyLocaleReadsBack_data();
    void everyLocaleReadsBack();
    void roundHalfToEven_data();
    void roundHalfToEven();
    void phaseToRadians_data();
    void phaseToRadians();
    void roundFrequencyToTenths_data();
    void roundFrequencyToTenths();
    void overflowStaysInfinite();
};

namespace {

const QLocale C = QLocale::c();
const QLocale Czech(QLocale::Czech, QLocale::Czechia);
constexpr double NotANumber = std::numeric_limits<double>::quiet_NaN();

} // namespace

void TestNumberText::numericTest_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected"); // not-a-number: the text is not a number

    struct Case
    {
        const char *name;
        QString text;
        double inC;
        double inCzech;
    };
    const Case cases[] = {
        {"integer", "20", 20, 20},
        {"decimal point", "1.5", 1.5, 1.5},
        {"decimal comma", "1,5", NotANumber, 1.5},
        {"both separators", "1,5.3", NotANumber, NotANumber},
        {"exponent", "1.5e3", 1500, 1500},
        {"exponent with comma", "1,5e3", NotANumber, 1500},
        {"leading plus", "+3", 3, 3},
        {"surrounding blanks", " 2 ", 2, 2},
        {"minus", "-1.25", -1.25, -1.25},
        {"unicode minus", u"\u22125"_qs, -5, -5},
        {"empty", "", NotANumber, NotANumber},
        {"blank", "   ", NotANumber, NotANumber},
        {"letters", "abc", NotANumber, NotANumber},
        {"largest", "1e308", 1e308, 1e308},
        {"beyond a double", "1e309", NotANumber, NotANumber},
        {"subnormal", "1e-320", 1e-320, 1e-320},
        {"inf", "inf", NotANumber, NotANumber},
        {"nan", "nan", NotANumber, NotANumber},
        {"infinity", "infinity", NotANumber, NotANumber},
        {"hexadecimal", "0x10", NotANumber, NotANumber},
        {"comma grouping", "1,000", NotANumber, 1},
        {"space grouping", "1 000", NotANumber, NotANumber},
        {"no-break space grouping", u"1\u00a0000"_qs, NotANumber, NotANumber},
        {"arabic-indic digits", u"\u0661\u0662"_qs, NotANumber, NotANumber},
        {"right-to-left mark", u"\u200f5"_qs, NotANumber, NotANumber},
        {"embedded nul", QString("1") + QChar(0) + "2", NotANumber, NotANumber},
    };
    for (const Case &c : cases) {
        QTest::addRow("C %s", c.name) << C << c.text << c.inC;
        QTest::addRow("Czech %s", c.name) << Czech << c.text << c.inCzech;
    }
    // Where the point groups digits, a text with a point is neither a thousand and a half nor
    // one and a half: the reading would depend on the locale.
    for (const QLocale &locale :
         {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::Turkish, QLocale::Turkey)})
        for (const char *text : {"1.500", "1.5"})
            QTest::addRow("%s %s", qPrintable(locale.name()), text)
                << locale << QString(text) << NotANumber;
}

void TestNumberText::numericTest()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(double, expected);

    const NumberText numbers(locale);
    const std::optional<double> value = numbers.toNumber(text);
    QCOMPARE(numbers.isNumber(text), !std::isnan(expected));
    if (std::isnan(expected))
        QVERIFY(!value);
    else
        QCOMPARE(*value, expected);
}

void TestNumberText::roundTrip_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    for (const auto &[name, locale] : {std::pair{"C", C}, std::pair{"Czech", Czech}}) {
        const bool comma = locale == Czech;
        auto spelled = [comma](QString text) { return comma ? text.replace('.', ',') : text; };
        QTest::addRow("%s thirty degrees", name)
            << locale << 30 / 180.0 * 3.1415 << spelled("0.523583333333333");
        QTest::addRow("%s no grouping", name) << locale << 1234567.5 << spelled("1234567.5");
        QTest::addRow("%s fifteen digits", name)
            << locale << 123456789012345678.0
            << spelled(comma ? "1.23456789012346E+17" : "1.23456789012346e+17");
        QTest::addRow("%s small", name) << locale << -1e-5 << (comma ? "-1E-05" : "-1e-05");
        QTest::addRow("%s tenth", name) << locale << 0.1 << spelled("0.1");
        QTest::addRow("%s largest double", name)
            << locale << std::numeric_limits<double>::max()
            << spelled(comma ? "1.79769313486231E+308" : "1.79769313486231e+308");
        QTest::addRow("%s most negative double", name)
            << locale << -std::numeric_limits<double>::max()
            << spelled(comma ? "-1.79769313486231E+308" : "-1.79769313486231e+308");
    }
}

void TestNumberText::roundTrip()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, text);

    const NumberText numbers(locale);
    QCOMPARE(numbers.toText(value), text);
    const std::optional<double> back = numbers.toNumber(text);
    QVERIFY(back);
    QVERIFY(std::abs(*back - value) <= 1e-14 * std::abs(value));
}

void TestNumberText::everyLocaleReadsBack_data()
{
    QTest::addColumn<double>("value");
    QTest::newRow("negative phase") << -0.523583333333333;
    QTest::newRow("positive phase") << 1.57075;
    QTest::newRow("large") << -2.5e20;
    QTest::newRow("small") << 1e-5;
    QTest::newRow("smallest subnormal") << 5e-324;
    QTest::newRow("largest double") << -std::numeric_limits<double>::max();
    QTest::newRow("overflowed frequency") << -std::numeric_limits<double>::infinity();
}

void TestNumberText::everyLocaleReadsBack()
{
    // Converted values travel as text in the user's locale, whichever it is; a text that
    // didn't read back would silently plot nothing or the wrong curve. Every locale must give
    // back what the C locale does, and must read the digits the fields start with.
    QFETCH(double, value);
    const NumberText plain(C);
    const double expected = plain.toValue(plain.toText(value));
    QStringList failures;
    const auto locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    for (const QLocale &locale : locales) {
        const NumberText numbers(locale);
        const QString text = numbers.toText(value);
        if (numbers.toValue(text) != expected)
            failures << locale.name() + ": " + text;
        if (numbers.toNumber(QStringLiteral("20")) != 20.0)
            failures << locale.name() + ": 20";
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1String(", "))));
}

void TestNumberText::roundHalfToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::newRow("half down to even") << 12.5 << 12.0;
    QTest::newRow("half up to even") << 17.5 << 18.0;
    QTest::newRow("quarter") << 2.5 << 2.0;
    QTest::newRow("negative half") << -12.5 << -12.0;
    QTest::newRow("above half") << 12.6 << 13.0;
    QTest::newRow("below half") << 12.4 << 12.0;
}

void TestNumberText::roundHalfToEven()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(NumberText::roundHalfToEven(value), rounded);
}

void TestNumberText::phaseToRadians_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("degrees");
    QTest::addColumn<double>("radians");
    QTest::newRow("right angle") << C << "90" << 1.57075;
    QTest::newRow("negative right angle") << C << "-90" << -1.57075;
    QTest::newRow("straight angle") << C << "180" << 3.1415;
    QTest::newRow("thirty, to fifteen digits") << C << "30" << 0.523583333333333;
    QTest::newRow("Czech thirty") << Czech << "30" << 0.523583333333333;
    QTest::newRow("Czech with comma") << Czech << "22,5" << 0.3926875;
}

void TestNumberText::phaseToRadians()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, degrees);
    QFETCH(double, radians);
    const NumberText numbers(locale);
    QCOMPARE(numbers.toValue(::phaseToRadians(degrees, PiApproxValue, numbers)), radians);
}

void TestNumberText::roundFrequencyToTenths_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<QString>("tenths");
    QTest::newRow("tie down to even") << C << "1.25"
                                      << "1.2";
    QTest::newRow("tie up to even") << C << "1.75"
                                    << "1.8";
    QTest::newRow("small tie") << C << "0.25"
                               << "0.2";
    QTest::newRow("negative tie") << C << "-1.25"
                                  << "-1.2";
    QTest::newRow("up") << C << "1.26"
                        << "1.3";
    QTest::newRow("down") << C << "1.24"
                          << "1.2";
    QTest::newRow("whole") << C << "3"
                           << "3";
    QTest::newRow("Czech tie") << Czech << "1,25"
                               << "1,2";
    QTest::newRow("Czech with point") << Czech << "1.75"
                                      << "1,8";
}

void TestNumberText::roundFrequencyToTenths()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, frequency);
    QFETCH(QString, tenths);
    QCOMPARE(::roundFrequencyToTenths(frequency, NumberText(locale)), tenths);
}

void TestNumberText::overflowStaysInfinite()
{
    // A frequency whose tenfold overflows must not turn into a plausible value on its way
    // through text.
    const NumberText numbers(C);
    const QString tenths = ::roundFrequencyToTenths("1e308", numbers);
    QVERIFY(std::isinf(numbers.toValue(tenths)));
    QVERIFY(!numbers.isNumber(tenths));
}

QTEST_APPLESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
