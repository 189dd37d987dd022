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
    void savedFileIsFiveSecondsOfTheLastChosen_data();
    void savedFileIsFiveSecondsOfTheLastChosen();
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

// Zero crossings upward a second: the pitch of a pure tone.
double upwardCrossingsPerSecond(const std::vector<qint16> &samples, int sampleRate)
{
    int crossings = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        crossings += samples[i - 1] < 0 && samples[i] >= 0;
    return crossings / (double(samples.size()) / sampleRate);
}

} // namespace

void TestSoundMenu::initTestCase()
{
    // No sound server here: playing must say so, and nothing else may fail.
    qputenv("PULSE_SERVER", "unix:/nonexistent/vibraton-test");
    QStandardPaths::setTestModeEnabled(true);
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
#ifdef VIBRATON_SOUND
    const QString noOutput =
        "Zvuk nelze přehrát: v počítači není k dispozici žádný zvukový výstup.";
#else
    // A build without Qt Multimedia says so whenever a sound would play.
    const QString noOutput = "Zvuk nelze přehrát: tato verze programu zvuk neumí.";
#endif
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
    for (qsizetype i = 0; i + 1 < typed.size(); i += 2)
        window.setText(qPrintable(typed[i]), typed[i + 1]);
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

void TestSoundMenu::savedFileIsFiveSecondsOfTheLastChosen_data()
{
    // A row's tone crosses zero upward once a period; the sum of the defaults (220, 440 and
    // 660 Hz) three times in each period of 220 Hz.
    QTest::addColumn<QString>("played"); // Empty: nothing played yet, so the sum.
    QTest::addColumn<double>("crossings");
    QTest::newRow("row 2 played") << "playSecondAction" << 440.0;
    QTest::newRow("row 3 played") << "playThirdAction" << 660.0;
    QTest::newRow("nothing played: the sum") << QString() << 660.0;
}

void TestSoundMenu::savedFileIsFiveSecondsOfTheLastChosen()
{
    QFETCH(QString, played);
    QFETCH(double, crossings);
    WindowFixture window;
    if (!played.isEmpty())
        window.action(qPrintable(played))->trigger();
    window.messages.clear();
    QTemporaryDir folder;
    window.answer = folder.filePath("zvuk.wav");
    window.action("saveSoundAction")->trigger();
    QCOMPARE(window.messages, QStringList());
    int sampleRate = 0;
    const std::vector<qint16> samples = samplesOf(window.answer, &sampleRate);
    QCOMPARE(int(samples.size()), 5 * sampleRate);
    QCOMPARE(samples.front(), 0);
    QCOMPARE(samples.back(), 0);
    QVERIFY2(std::abs(upwardCrossingsPerSecond(samples, sampleRate) - crossings) < 1,
             qPrintable(QString::number(upwardCrossingsPerSecond(samples, sampleRate))));
    QVERIFY(QFileInfo(window.suggestions.value(0)).fileName().endsWith(".wav"));
}

QTEST_MAIN(TestSoundMenu)
#include "tst_soundmenu.moc"
