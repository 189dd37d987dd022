// SPDX-License-Identifier: GPL-3.0-or-later
#include "lessonexamples.h"
#include "lessonfile.h"
#include "specialfiles.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

// Lesson files without a window: what they keep, what they refuse and why, and the examples.
class TestLessonFile : public QObject
{
    Q_OBJECT

private slots:
    void textsComeBackAsTyped_data();
    void textsComeBackAsTyped();
    void handWrittenFiles_data();
    void handWrittenFiles();
    void unusableData_data();
    void unusableData();
    void unusableFiles_data();
    void unusableFiles();
    void sizeLimit_data();
    void sizeLimit();
    void anyBytesGiveALessonOrAReason();
    void examples_data();
    void examples();
};

namespace {

const std::array<OscillationTexts, 3> Defaults = {
    {{"1", "0", "20"}, {"2", "0", "20"}, {"3", "0", "20"}}};
const QByteArray Row = R"({"frequency": "1", "phase": "0", "amplitude": "20"})";
const QByteArray DefaultRows = R"("rows": [{"frequency": "1", "phase": "0", "amplitude": "20"},
    {"frequency": "2", "phase": "0", "amplitude": "20"},
    {"frequency": "3", "phase": "0", "amplitude": "20"}])";

// A file of the format and version, with what else is given.
QByteArray fileWith(const QByteArray &rest)
{
    return R"({"format": "vibraton-hodnoty", "version": 1, )" + rest + "}";
}

// Three rows, one of them replaced.
QByteArray fileWithRow(int index, const QByteArray &row)
{
    QByteArrayList rows(3, Row);
    rows[index] = row;
    return fileWith(R"("rows": [)" + rows.join(", ") + "]");
}

void verifyLesson(const LessonFile::Reading &reading, const Lesson &expected)
{
    QVERIFY2(reading.lesson.has_value(), qPrintable(reading.reason));
    QCOMPARE(reading.reason, QString());
    QCOMPARE(reading.lesson->title, expected.title);
    QCOMPARE(reading.lesson->envelope, expected.envelope);
    for (size_t row = 0; row < expected.rows.size(); ++row) {
        QCOMPARE(reading.lesson->rows[row].frequency, expected.rows[row].frequency);
        QCOMPARE(reading.lesson->rows[row].phase, expected.rows[row].phase);
        QCOMPARE(reading.lesson->rows[row].amplitude, expected.rows[row].amplitude);
    }
}

LessonFile::Reading readFile(const QString &fileName)
{
    return LessonFile::read(LessonFile::systemName(fileName));
}

void write(const QString &fileName, const QByteArray &data)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

#ifdef Q_OS_UNIX
// The unprivileged user "nobody" while it lasts, so that a file's modes count even for a test
// run as root. Root stays the saved user, to come back to.
class AsNobody
{
public:
    AsNobody()
    {
        if (geteuid() != 0 || setresgid(Nobody, Nobody, 0) != 0)
            return;
        m_switched = setresuid(Nobody, Nobody, 0) == 0;
        if (!m_switched)
            QVERIFY(setresgid(0, 0, 0) == 0);
    }
    ~AsNobody()
    {
        if (m_switched)
            QVERIFY(setresuid(0, 0, 0) == 0 && setresgid(0, 0, 0) == 0);
    }
    bool modesCount() const { return geteuid() != 0; }

private:
    static constexpr int Nobody = 65534;
    bool m_switched = false;
};
constexpr char NoModesReason[] = "root that can't act as another user: a file's modes deny it "
                                 "nothing";
#else
// Windows has no mode that denies a file's owner its reading.
class AsNobody
{
public:
    bool modesCount() const { return false; }
};
constexpr char NoModesReason[] = "Windows has no mode that denies a file's owner its reading";
#endif

} // namespace

void TestLessonFile::textsComeBackAsTyped_data()
{
    QTest::addColumn<Lesson>("lesson");
    const QString nul = QString("x") + QChar(0) + "y";
    const QString longText(40'000, QChar(u'ž'));
    QTest::newRow("defaults, no title") << Lesson{QString(), Defaults};
    QTest::newRow("with the envelope") << Lesson{"Rázy", Defaults, true};
    QTest::newRow("decimal comma")
        << Lesson{"Čárka", {{{"1,5", "−22,5", "0,25"}, {"1.5", "1e3", "+5"}, {}}}};
    QTest::newRow("blanks") << Lesson{" a ", {{{" 5 ", "\t7", "1\u00a0000"}, {"", " ", "  "}, {}}}};
    QTest::newRow("not numbers") << Lesson{
        "x", {{{"abc", "inf", "0x10"}, {"١٢", "\u200f5", "1e309"}, {}}}};
    QTest::newRow("JSON's own characters")
        << Lesson{"\"\\/\n", {{{"\"", "\\", "\n\r\t"}, {nul, "\u0001\u001f\u007f", "}"}, {}}}};
    QTest::newRow("any Unicode") << Lesson{
        "≈ 😀", {{{"𝟙", "\u2028", "\ufeff1"}, {"φ", "ž", QString(QChar(0xd800))}, {}}}};
    QTest::newRow("40,000 characters everywhere") << Lesson{longText,
                                                            {{{longText, longText, longText},
                                                              {longText, longText, longText},
                                                              {longText, longText, longText}}}};
}

void TestLessonFile::textsComeBackAsTyped()
{
    QFETCH(Lesson, lesson);
    const QByteArray data = LessonFile::encode(lesson);
    // Without the envelope, a file every earlier version opens.
    QVERIFY(data.contains(lesson.envelope ? "\"version\": 2," : "\"version\": 1,"));
    verifyLesson(LessonFile::decode(data), lesson);
    QTemporaryDir folder;
    write(folder.filePath("hodina.vibraton"), data);
    verifyLesson(readFile(folder.filePath("hodina.vibraton")), lesson);
}

void TestLessonFile::handWrittenFiles_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("title");
    QTest::newRow("no title") << fileWith(DefaultRows) << QString();
    QTest::newRow("another order, one line")
        << QByteArray(R"({"rows":[{"amplitude":"20","phase":"0","frequency":"1"},)"
                      R"({"phase":"0","amplitude":"20","frequency":"2"},)"
                      R"({"frequency":"3","amplitude":"20","phase":"0"}],)"
                      R"("title":"Výchozí","version":1.0,"format":"vibraton-hodnoty"})")
        << "Výchozí";
    QTest::newRow("version 2 without the envelope")
        << QByteArray(R"({"format": "vibraton-hodnoty", "version": 2, "envelope": false, )" +
                      DefaultRows + "}")
        << QString();
    QTest::newRow("byte order mark, Windows line ends")
        << "\xef\xbb\xbf" + fileWith(DefaultRows).replace("\n", "\r\n") + "\r\n"
        << QString();
}

void TestLessonFile::handWrittenFiles()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, title);
    verifyLesson(LessonFile::decode(data), Lesson{title, Defaults});
}

void TestLessonFile::unusableData_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("reason");
    const QString notJson = "obsah souboru není platný zápis JSON (chyba na řádku %1 u %2. znaku)";
    const QString notOurs = "soubor neobsahuje hodnoty Vibratonu (%1)";
    const QString notText = "%1 není text v uvozovkách";

    QTest::newRow("empty") << QByteArray() << "soubor je prázdný";
    QTest::newRow("plain text") << QByteArray("f = 8 Hz") << notJson.arg(1).arg(1);
    QTest::newRow("comma missing")
        << QByteArray("{\n  \"format\": \"vibraton-hodnoty\",\n  \"x\": 1\n  \"rows\": []\n}")
        << notJson.arg(4).arg(3);
    QTest::newRow("not UTF-8") << fileWith("\"title\": \"R\xe1zy\", " + DefaultRows)
                               << notJson.arg(1).arg(56);
    QTest::newRow("a list") << QByteArray("[\"vibraton-hodnoty\", 1]")
                            << notOurs.arg("chybí údaj „format“");
    QTest::newRow("another program's")
        << QByteArray(R"({"name": "kmity", "rows": []})") << notOurs.arg("chybí údaj „format“");
    QTest::newRow("another format") << QByteArray(R"({"format": "geogebra", "version": 1})")
                                    << notOurs.arg("údaj „format“ není „vibraton-hodnoty“");
    QTest::newRow("no version") << QByteArray(R"({"format": "vibraton-hodnoty", "rows": []})")
                                << "chybí verze formátu (údaj „version“)";
    for (const char *version : {"\"1\"", "0", "-1", "1.5", "null", "true", "-1e400", "1e-400"}) {
        QTest::addRow("version %s", version)
            << QByteArray(R"({"format": "vibraton-hodnoty", "version": )") + version + "}"
            << "verze formátu (údaj „version“) není celé kladné číslo";
    }
    QTest::newRow("newer version, other keys")
        << QByteArray(R"({"format": "vibraton-hodnoty", "version": 3, "grafy": {}})")
        << "soubor je z novější verze programu (verze formátu 3, tato verze programu zná nejvýš 2)";
    for (const char *version : {"3.0", "4E+0", "1e400", "10000000000000000000000"}) {
        QTest::addRow("newer version %s", version)
            << QByteArray(R"({"format": "vibraton-hodnoty", "version": )") + version + "}"
            << QString("soubor je z novější verze programu (verze formátu %1, tato verze programu "
                       "zná nejvýš 2)")
                   .arg(version);
    }
    QTest::newRow("not JSON after a number beyond a double")
        << QByteArray(R"({"format": "vibraton-hodnoty", "version": 1e400 "rows": []})")
        << notJson.arg(1).arg(49);
    QTest::newRow("not JSON after Czech letters")
        << QByteArray("{\"title\": \"Žluťoučký kůň\",\n \"řada\": \"ó\" ]}")
        << notJson.arg(2).arg(14);
    QTest::newRow("unknown key") << fileWith(R"("colour": "red", )" + DefaultRows)
                                 << "neznámý údaj „colour“";
    QTest::newRow("an envelope in version 1")
        << fileWith(R"("envelope": true, )" + DefaultRows) << "neznámý údaj „envelope“";
    QTest::newRow("envelope not true or false")
        << QByteArray(R"({"format": "vibraton-hodnoty", "version": 2, "envelope": "ano", )" +
                      DefaultRows + "}")
        << "obálka (údaj „envelope“) není true ani false";
    QTest::newRow("long unknown key")
        << fileWith("\"" + QByteArray(99, 'k') + "\": 1, " + DefaultRows)
        << "neznámý údaj „" + QString(40, 'k') + "…“";
    QTest::newRow("title not text")
        << fileWith(R"("title": 7, )" + DefaultRows) << notText.arg("název (údaj „title“)");
    QTest::newRow("no rows") << fileWith(R"("title": "Rázy")")
                             << "chybí hodnoty grafů (údaj „rows“)";
    QTest::newRow("rows not a list") << fileWith(R"("rows": )" + Row)
                                     << "hodnoty grafů (údaj „rows“) nejsou v hranatých závorkách";
    QTest::newRow("four rows") << fileWith(R"("rows": [)" + QByteArrayList(4, Row).join(", ") + "]")
                               << "počet grafů v souboru je 4, má být 3";
    QTest::newRow("two rows") << fileWith(R"("rows": [)" + Row + ", " + Row + "]")
                              << "počet grafů v souboru je 2, má být 3";
    QTest::newRow("row not an object") << fileWithRow(1, R"(["2", "0", "20"])")
                                       << "hodnoty druhého grafu nejsou ve složených závorkách";
    QTest::newRow("no frequency") << fileWithRow(0, R"({"phase": "0", "amplitude": "20"})")
                                  << "chybí frekvence prvního grafu";
    QTest::newRow("no phase") << fileWithRow(1, R"({"frequency": "1", "amplitude": "20"})")
                              << "chybí počáteční fáze druhého grafu";
    QTest::newRow("no amplitude") << fileWithRow(2, R"({"frequency": "1", "phase": "0"})")
                                  << "chybí amplituda třetího grafu";
    QTest::newRow("misspelt key") << fileWithRow(
                                         1, R"({"frequency": "1", "phase": "0", "amplitud": "20"})")
                                  << "neznámý údaj „amplitud“ u druhého grafu";
    QTest::newRow("amplitude a number")
        << fileWithRow(1, R"({"frequency": "1", "phase": "0", "amplitude": 20})")
        << notText.arg("amplituda druhého grafu");
    QTest::newRow("frequency a number beyond a double")
        << fileWithRow(0, R"({"frequency": -1e999, "phase": "0", "amplitude": "20"})")
        << notText.arg("frekvence prvního grafu");
    QTest::newRow("phase null") << fileWithRow(
                                       2, R"({"frequency": "1", "phase": null, "amplitude": "20"})")
                                << notText.arg("počáteční fáze třetího grafu");
}

void TestLessonFile::unusableData()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, reason);
    const LessonFile::Reading reading = LessonFile::decode(data);
    QCOMPARE(reading.reason, reason);
    QVERIFY(!reading.lesson.has_value());
}

void TestLessonFile::unusableFiles_data()
{
    QTest::addColumn<QString>("name"); // Within a scratch folder, unless absolute.
    QTest::addColumn<QString>("reason");
    const QString special = "toto jméno nese zvláštní soubor, ne obyčejný";
    QTest::newRow("no such file") << "chybi.vibraton"
                                  << "soubor neexistuje";
    QTest::newRow("no name") << ""
                             << "soubor neexistuje";
    QTest::newRow("a folder") << "slozka.vibraton"
                              << "je to složka, ne soubor";
    QTest::newRow("no permission") << "zamceno.vibraton"
                                   << "ke čtení souboru chybí oprávnění";
    QTest::newRow("4 GB") << "film.vibraton"
                          << "soubor je větší než 1 MB";
    QTest::newRow("without end") << "/dev/zero" << special;
    QTest::newRow("without end, stating no size") << "/proc/kallsyms"
                                                  << "soubor je větší než 1 MB";
    QTest::newRow("named pipe") << "named pipe" << special;
    QTest::newRow("link to a named pipe") << "link" << special;
    QTest::newRow("socket") << "socket" << special;
    QTest::newRow("device") << "/dev/null" << special;
    QTest::newRow("block device") << "block device" << special;
    QTest::newRow("loop of links") << "smycka.vibraton"
                                   << "symbolické odkazy na soubor tvoří smyčku";
    QTest::newRow("a file as a folder") << "film.vibraton/hodina.vibraton"
                                        << "část cesty k souboru není složka";
    QTest::newRow("name too long") << QString(300, u'ž') << "takový název souboru není dovolen";
}

void TestLessonFile::unusableFiles()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    // Open to anyone, so that "nobody" finds the locked file and is refused only that.
    QFile::setPermissions(folder.path(), QFile::permissions(folder.path()) | QFile::ExeOther);
    QVERIFY(QDir(folder.path()).mkdir("slozka.vibraton"));
    write(folder.filePath("zamceno.vibraton"), fileWith(DefaultRows));
#ifdef Q_OS_UNIX
    QVERIFY(QFile::setPermissions(folder.filePath("zamceno.vibraton"), {}));
#endif
    QFile film(folder.filePath("film.vibraton")); // Sparse: that size without writing it.
    QVERIFY(film.open(QIODevice::WriteOnly) && film.resize(qint64(1) << 32));
    film.close();
    QFile::link("smycka2.vibraton", folder.filePath("smycka.vibraton"));
    QFile::link("smycka.vibraton", folder.filePath("smycka2.vibraton"));
    QString fileName = name.isEmpty() || name.startsWith('/') ? name : folder.filePath(name);
    // Named for its kind: a special file made just for this.
    const bool special = QStringList{"named pipe", "link", "socket", "block device"}.contains(name);
#ifdef Q_OS_UNIX
    if (special) {
        fileName = folder.filePath("zvlastni.vibraton");
        if (!makeSpecial(name, fileName))
            QSKIP("this process may not make such a file here");
    }
#else
    if (special || name.startsWith('/'))
        QSKIP("Windows has no such file");
    if (reason.contains("odkaz") || reason.contains("cesty") || reason.contains("název"))
        QSKIP("Windows' files tell only that such a file is not there");
#endif

    const AsNobody nobody;
    if (QTest::currentDataTag() == QByteArrayView("no permission") && !nobody.modesCount())
        QSKIP(NoModesReason);
    if (name.startsWith("/proc") && !QFile::exists(name))
        QSKIP("this system has no such file");
    const LessonFile::Reading reading = readFile(fileName);
    QCOMPARE(reading.reason, reason);
    QVERIFY(!reading.lesson.has_value());
}

void TestLessonFile::sizeLimit_data()
{
    QTest::addColumn<qint64>("size");
    QTest::newRow("exactly 1 MB") << LessonFile::MaximumSize;
    QTest::newRow("a byte more") << LessonFile::MaximumSize + 1;
}

void TestLessonFile::sizeLimit()
{
    QFETCH(qint64, size);
    const Lesson lesson{"Výchozí", Defaults};
    QByteArray data = LessonFile::encode(lesson);
    data += QByteArray(size - data.size(), ' '); // JSON allows blanks at the end.
    QTemporaryDir folder;
    write(folder.filePath("velky.vibraton"), data);
    for (const auto &reading :
         {LessonFile::decode(data), readFile(folder.filePath("velky.vibraton"))}) {
        if (size <= LessonFile::MaximumSize)
            verifyLesson(reading, lesson);
        else
            QCOMPARE(reading.reason, "soubor je větší než 1 MB");
    }
}

void TestLessonFile::anyBytesGiveALessonOrAReason()
{
    // Every beginning of a good file, random damage to it and noise: never a crash, never both
    // a lesson and a reason or neither.
    const QByteArray good = LessonFile::encode(Lesson{"Rázy", Defaults});
    QList<QByteArray> inputs{QByteArray(100'000, '['), QByteArray(100'000, '{')};
    for (qsizetype length = 0; length < good.size(); ++length)
        inputs << good.first(length);
    QRandomGenerator random(20261208);
    for (int i = 0; i < 5000; ++i) {
        QByteArray damaged = i < 4800 ? good : QByteArray(random.bounded(1, 300), 0);
        for (int change = random.bounded(1, i < 4800 ? 4 : 300); change > 0; --change)
            damaged[random.bounded(damaged.size())] = char(random.bounded(256));
        inputs << damaged;
    }
    int lessons = 0;
    for (const QByteArray &input : std::as_const(inputs)) {
        const LessonFile::Reading reading = LessonFile::decode(input);
        QVERIFY2(reading.lesson.has_value() == reading.reason.isEmpty(), input.toPercentEncoding());
        lessons += reading.lesson.has_value();
    }
    QVERIFY(lessons > 0); // Damage to a text alone leaves a lesson.
}

void TestLessonFile::examples_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<Lesson>("expected");
    const OscillationTexts none{"1", "0", "0"};
    const Lesson expected[] = {
        {"Rázy", {{{"8", "0", "50"}, {"9", "0", "50"}, none}}},
        {"Konstruktivní interference", {{{"2", "0", "40"}, {"2", "0", "20"}, none}}},
        {"Destruktivní interference", {{{"2", "0", "40"}, {"2", "180", "40"}, none}}},
        {"Fázový posun", {{{"2", "0", "40"}, {"2", "90", "40"}, none}}},
        {"Tři harmonické", Defaults},
        {"Obdélníkový průběh", {{{"1", "0", "60"}, {"3", "0", "20"}, {"5", "0", "12"}}}},
    };
    QCOMPARE(lessonExamples().size(), std::size(expected));
    QSet<QString> titles; // The menu tells them apart by their titles.
    for (const LessonExample &example : lessonExamples())
        titles << example.lesson.title;
    QCOMPARE(titles.size(), qsizetype(std::size(expected)));
    for (int index = 0; index < int(std::size(expected)); ++index)
        QTest::newRow(qPrintable(expected[index].title)) << index << expected[index];
}

void TestLessonFile::examples()
{
    QFETCH(int, index);
    QFETCH(Lesson, expected);
    const LessonExample &example = lessonExamples()[index];
    verifyLesson(LessonFile::decode(LessonFile::encode(example.lesson)), expected);
    QVERIFY(example.description.endsWith('.'));
    // Numbers in any locale, and the sum stays well inside the plot area of the designed size.
    constexpr double AxisY = 2167.5;
    for (const NumberText &numbers : {NumberText(QLocale::c()), NumberText(QLocale::Czech)}) {
        double reach = 0;
        for (const OscillationTexts &row : example.lesson.rows) {
            QVERIFY(row.areNumbers(numbers));
            reach += std::abs(*numbers.toNumber(row.amplitude)) * UnitsPerAmplitude;
        }
        QVERIFY(reach <= AxisY * 0.6);
    }
}

QTEST_GUILESS_MAIN(TestLessonFile)
#include "tst_lessonfile.moc"
