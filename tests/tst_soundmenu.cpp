// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowfixture.h"

#include <QAccessible>
#include <QActionGroup>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>

// The plot area's "Zvuk" menu through the window, without a sound server: what is checked,
// what the user is told, and the WAV file.
class TestSoundMenu : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void menuHoldsTheSoundItems();
    void whatTheUserIsTold_data();
    void whatTheUserIsTold();
    void pitchIsRemembered();
    void damagedPitchFallsBackTo220Hz_data();
    void damagedPitchFallsBackTo220Hz();
    void savedFileIsFiveSecondsOfTheLastChosen_data();
    void savedFileIsFiveSecondsOfTheLastChosen();
    void saveDialogStartsInTheMusicFolder();
};

namespace {

// The samples of a WAV file the program wrote (16-bit mono after a 44-byte header).
std::vector<qint16> samplesOf(const QString &fileName, int *sampleRate)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray wav = file.readAll();
    if (wav.size() < 44 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE")
        return {};
    std::memcpy(sampleRate, wav.constData() + 24, 4);
    std::vector<qint16> samples(std::size_t(wav.size() - 44) / 2);
    std::memcpy(samples.data(), wav.constData() + 44, samples.size() * 2);
    return samples;
}

// Zero crossings upward a second, from the first to the last, each placed between its two
// samples: the pitch of a pure tone to a hundredth of a hertz. The fades, which only scale the
// wave, are left out, where the quiet samples round to zero.
double upwardCrossingsPerSecond(const std::vector<qint16> &samples, int sampleRate)
{
    const std::size_t fade = std::size_t(sampleRate) / 20;
    std::vector<double> crossings;
    for (std::size_t i = fade + 1; i + fade < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0)
            crossings.push_back(double(i - 1) +
                                samples[i - 1] / double(samples[i - 1] - samples[i]));
    }
    if (crossings.size() < 2)
        return 0;
    return double(crossings.size() - 1) / ((crossings.back() - crossings.front()) / sampleRate);
}

// Types the texts into the fields: field, text, field, text, ...
void type(const WindowFixture &window, const QStringList &typed)
{
    for (qsizetype i = 0; i + 1 < typed.size(); i += 2)
        window.setText(qPrintable(typed[i]), typed[i + 1]);
}

// The pitch of the first row's tone of frequency 1 as saved, or 0.
double savedPitchOfTheFirstRow(WindowFixture &window)
{
    window.action("playFirstAction")->trigger();
    QTemporaryDir folder;
    window.answer = folder.filePath("zvuk.wav");
    window.action("saveSoundAction")->trigger();
    int sampleRate = 0;
    const std::vector<qint16> samples = samplesOf(window.answer, &sampleRate);
    return upwardCrossingsPerSecond(samples, sampleRate);
}

} // namespace

void TestSoundMenu::initTestCase()
{
    // No sound server here: playing must say so, and nothing else may fail.
    qputenv("PULSE_SERVER", "unix:/nonexistent/vibraton-test");
    WindowFixture::useTestSettings();
}

void TestSoundMenu::init()
{
    QSettings().clear();
}

void TestSoundMenu::menuHoldsTheSoundItems()
{
    WindowFixture window;
    QMenu *sound = window.form.findChild<QMenu *>("soundMenu");
    QVERIFY(sound);
    QCOMPARE(sound->title(), "Zvuk");
    QStringList texts;
    for (const QAction *action : sound->actions())
        if (!action->isSeparator())
            texts << (action->menu() ? action->menu()->title() : action->text());
    QCOMPARE(texts,
             QStringList({"Přehrát první graf", "Přehrát druhý graf", "Přehrát třetí graf",
                          "Přehrát složení", "Zastavit zvuk", "Uložit zvuk…", "Výška tónu"}));
    QCOMPARE(sound->parentWidget(), window.plotArea()); // Shown in the plot area's menu.
    QCOMPARE(window.action("playSumAction")->shortcut(), QKeySequence("Ctrl+4"));
    QCOMPARE(window.action("stopSoundAction")->shortcut(), QKeySequence(Qt::Key_Escape));
    QVERIFY(QAccessible::queryAccessibleInterface(window.plotArea())
                ->text(QAccessible::Description)
                .contains("zvuk"));
}

void TestSoundMenu::whatTheUserIsTold_data()
{
    QTest::addColumn<QStringList>("typed"); // Field, text, field, text, ...
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("message");
    const QString noOutput =
        "Zvuk nelze přehrát: v počítači není k dispozici žádný zvukový výstup.";
    QTest::newRow("defaults, no sound output") << QStringList() << "playSumAction" << noOutput;
    QTest::newRow("not a number in the sum") << QStringList{"Text8", "abc"} << "playSumAction"
                                             << "Zadaná hodnota není číslo";
    QTest::newRow("not a number in another row")
        << QStringList{"Text8", "abc"} << "playFirstAction" << noOutput;
    QTest::newRow("row 2 too high")
        << QStringList{"Text4", "100"} << "playSecondAction"
        << "Druhý graf by zněl na 22000 Hz, mimo slyšitelný rozsah 20 Hz až 20 kHz.";
    QTest::newRow("row 2 too high, but silent")
        << QStringList{"Text4", "100", "Text6", "0"} << "playSumAction" << noOutput;
    QTest::newRow("frequency 0 is never in the way")
        << QStringList{"Text7", "0"} << "playThirdAction" << noOutput;
}

void TestSoundMenu::whatTheUserIsTold()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, action);
    QFETCH(QString, message);
    WindowFixture window;
    type(window, typed);
    window.action(qPrintable(action))->trigger();
    QCOMPARE(window.messages, QStringList{message});
}

void TestSoundMenu::pitchIsRemembered()
{
    {
        WindowFixture firstRun;
        auto *pitches = firstRun.action("pitch220Action")->actionGroup();
        QVERIFY(pitches && pitches->isExclusive());
        QCOMPARE(pitches->checkedAction(), firstRun.action("pitch220Action"));
        firstRun.action("pitch55Action")->trigger();
    }
    WindowFixture laterRun;
    QVERIFY(laterRun.action("pitch55Action")->isChecked());
    QVERIFY(!laterRun.action("pitch220Action")->isChecked());
}

void TestSoundMenu::damagedPitchFallsBackTo220Hz_data()
{
    // What the settings file holds: a hand-edited or damaged pitch.
    QTest::addColumn<QVariant>("remembered");
    QTest::newRow("not a number") << QVariant("abc");
    QTest::newRow("a pitch not offered") << QVariant(1000);
    QTest::newRow("a fraction") << QVariant("55.5");
    QTest::newRow("negative") << QVariant(-220);
}

void TestSoundMenu::damagedPitchFallsBackTo220Hz()
{
    QFETCH(QVariant, remembered);
    QSettings().setValue("zvuk/vyskaTonuHz", remembered);
    WindowFixture window;
    QCOMPARE(window.action("pitch220Action")->actionGroup()->checkedAction(),
             window.action("pitch220Action"));
    const double pitch = savedPitchOfTheFirstRow(window);
    QVERIFY2(std::abs(pitch - 220) < 0.01, qPrintable(QString::number(pitch)));
}

void TestSoundMenu::savedFileIsFiveSecondsOfTheLastChosen_data()
{
    // A row's tone crosses zero upward once a period; the sum of the defaults (220, 440 and
    // 660 Hz) three times in each period of 220 Hz, not evenly spaced.
    QTest::addColumn<QStringList>("typed"); // Before playing: field, text, ...
    QTest::addColumn<QString>("played");    // Empty: nothing played yet, so the sum.
    QTest::addColumn<QStringList>("typedAfter");
    QTest::addColumn<double>("crossings");
    QTest::addColumn<double>("tolerance");
    QTest::newRow("row 2 played") << QStringList() << "playSecondAction" << QStringList() << 440.0
                                  << 0.01;
    QTest::newRow("row 3 played") << QStringList() << "playThirdAction" << QStringList() << 660.0
                                  << 0.01;
    QTest::newRow("nothing played: the sum")
        << QStringList() << QString() << QStringList() << 660.0 << 1.0;
    // f rounded to tenths times F, as the plot takes f: 2.3 × 220 Hz is 506 Hz, not 505.9.
    QTest::newRow("2.3 at 220 Hz")
        << QStringList{"Text1", "2.3"} << "playFirstAction" << QStringList() << 506.0 << 0.01;
    QTest::newRow("2.34 at 220 Hz")
        << QStringList{"Text1", "2,34"} << "playFirstAction" << QStringList() << 506.0 << 0.01;
    // What was played is saved, whatever another row holds meanwhile.
    QTest::newRow("row 2 played, then row 1 not a number")
        << QStringList() << "playSecondAction" << QStringList{"Text1", "abc"} << 440.0 << 0.01;
    QTest::newRow("row 2 played, then row 3 out of range")
        << QStringList() << "playSecondAction" << QStringList{"Text7", "1000"} << 440.0 << 0.01;
}

void TestSoundMenu::savedFileIsFiveSecondsOfTheLastChosen()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, played);
    QFETCH(QStringList, typedAfter);
    QFETCH(double, crossings);
    QFETCH(double, tolerance);
    WindowFixture window(QLocale(QLocale::Czech));
    type(window, typed);
    if (!played.isEmpty())
        window.action(qPrintable(played))->trigger();
    type(window, typedAfter);
    window.messages.clear();
    QTemporaryDir folder;
    window.answer = folder.filePath("zvuk.wav");
    window.action("saveSoundAction")->trigger();
    QCOMPARE(window.messages, QStringList());
    int sampleRate = 0;
    const std::vector<qint16> samples = samplesOf(window.answer, &sampleRate);
    QCOMPARE(sampleRate, 48000);
    QCOMPARE(int(samples.size()), 5 * sampleRate);
    QCOMPARE(samples.front(), 0);
    QCOMPARE(samples.back(), 0);
    QVERIFY2(std::abs(upwardCrossingsPerSecond(samples, sampleRate) - crossings) < tolerance,
             qPrintable(QString::number(upwardCrossingsPerSecond(samples, sampleRate), 'f', 4)));
    QVERIFY(QFileInfo(window.suggestions.value(0)).fileName().endsWith(".wav"));
}

void TestSoundMenu::saveDialogStartsInTheMusicFolder()
{
    // The first time; later ones start where the last save went, as every save does
    // (tst_lessonmenu's dialogsStartWhereTheUserWorks).
    const StandardFolder music(QStandardPaths::MusicLocation);
    WindowFixture window;
    window.action("saveSoundAction")->trigger();
    QCOMPARE(QFileInfo(window.suggestions.value(0)).absolutePath(), music.path());
}

QTEST_MAIN(TestSoundMenu)
#include "tst_soundmenu.moc"
