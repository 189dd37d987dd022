// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfeed.h"

#include <QTest>

#include <vector>

// What the sound output is handed after each command, and when it opens and may close.
class TestSoundFeed : public QObject
{
    Q_OBJECT

private slots:
    void whenTheOutputOpens_data();
    void whenTheOutputOpens();
    void stopFadesFromTheNextSample_data();
    void stopFadesFromTheNextSample();
    void newSoundFollowsTheFadedOut_data();
    void newSoundFollowsTheFadedOut();
    void mayCloseOnceTheHeldIsHeard_data();
    void mayCloseOnceTheHeldIsHeard();
};

namespace {

using Samples = std::vector<std::int16_t>;

constexpr int Rate = DefaultSampleRate;
constexpr int Held = Rate / 20;

SoundFeed::Sound tone(double frequencyHz)
{
    return {Synthesis({Tone{1, frequencyHz, 0}, Tone{}, Tone{}}, Rate), Selection::FirstRow};
}

const SoundFeed::Sound First = tone(220);
const SoundFeed::Sound Second = tone(440);
const SoundFeed::Sound Third = tone(660);
const int Fade = First.synthesis.fadeLength();

// As the output takes them: in pieces of an odd size, so pieces never line up with a fade.
Samples handOver(SoundFeed &feed, int count)
{
    Samples samples(std::size_t(count), 0);
    for (std::size_t done = 0; done < samples.size(); done += 97)
        feed.render(
            std::span(samples).subspan(done, std::min<std::size_t>(97, samples.size() - done)));
    return samples;
}

Samples rendered(const SoundFeed::Sound &sound, std::int64_t from, int count,
                 std::int64_t fadeOutStart = Synthesis::NoFadeOut)
{
    Samples samples(static_cast<std::size_t>(count));
    sound.synthesis.render(sound.selection, from, samples, fadeOutStart);
    return samples;
}

Samples joined(Samples first, const Samples &second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

} // namespace

void TestSoundFeed::whenTheOutputOpens_data()
{
    // Steps: play (its answer is recorded), hand N samples over, stop, closeWhenMay (hand
    // silence until the output may close, then close it), fail (the output failed).
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("mustOpen"); // Each play's answer.
    QTest::newRow("the first play") << "play"
                                    << "yes";
    QTest::newRow("a play while one plays") << "play hand4800 play"
                                            << "yes no";
    QTest::newRow("a play while it fades out") << "play hand4800 stop hand300 play"
                                               << "yes no";
    QTest::newRow("a play once it closed") << "play hand4800 stop closeWhenMay play"
                                           << "yes yes";
    QTest::newRow("twenty rounds of play, stop and idle")
        << QString("play hand4800 stop closeWhenMay ").repeated(20).trimmed()
        << QString("yes ").repeated(20).trimmed();
    QTest::newRow("a play after a failure") << "play hand4800 fail play"
                                            << "yes yes";
    QTest::newRow("a stop before anything was handed") << "play stop closeWhenMay play"
                                                       << "yes yes";
}

void TestSoundFeed::whenTheOutputOpens()
{
    QFETCH(QString, steps);
    QFETCH(QString, mustOpen);
    SoundFeed feed(Held);
    QStringList answers;
    for (const QString &step : steps.split(' ')) {
        if (step == "play") {
            answers << (feed.play(First) ? "yes" : "no");
        } else if (step.startsWith("hand")) {
            handOver(feed, step.mid(4).toInt());
        } else if (step == "stop") {
            feed.stop();
        } else if (step == "closeWhenMay") {
            for (int i = 0; i < Rate && !feed.mayClose(); ++i)
                handOver(feed, 1);
            QVERIFY(feed.mayClose());
            feed.closed();
        } else if (step == "fail") {
            feed.closed();
        }
    }
    QCOMPARE(answers.join(' '), mustOpen);
}

void TestSoundFeed::stopFadesFromTheNextSample_data()
{
    QTest::addColumn<int>("handedBeforeStop");
    QTest::addColumn<int>("secondStopAfter"); // -1: none.
    QTest::newRow("at full level") << 4800 << -1;
    QTest::newRow("while fading in") << 500 << -1;
    QTest::newRow("a second stop while fading out") << 4800 << 300;
}

void TestSoundFeed::stopFadesFromTheNextSample()
{
    QFETCH(int, handedBeforeStop);
    QFETCH(int, secondStopAfter);
    SoundFeed feed(Held);
    (void)feed.play(First);
    Samples heard = handOver(feed, handedBeforeStop);
    feed.stop();
    if (secondStopAfter >= 0) {
        heard = joined(heard, handOver(feed, secondStopAfter));
        feed.stop();
    }
    heard = joined(heard, handOver(feed, Rate / 2 - int(heard.size())));
    // Untouched up to the stop, faded out over the fade's length from there, then silence.
    const Samples expected = joined(rendered(First, 0, handedBeforeStop + Fade, handedBeforeStop),
                                    Samples(std::size_t(Rate / 2 - handedBeforeStop - Fade)));
    QCOMPARE(heard, expected);
}

void TestSoundFeed::newSoundFollowsTheFadedOut_data()
{
    QTest::addColumn<int>("handedBefore");      // Of the first sound, before the second is played.
    QTest::addColumn<bool>("thirdWhileFading"); // 300 samples after the second.
    QTest::newRow("at full level") << 4800 << false;
    QTest::newRow("while fading in") << 500 << false;
    QTest::newRow("a third replaces the second still waiting") << 4800 << true;
    QTest::newRow("before anything of the first was handed") << 0 << false;
}

void TestSoundFeed::newSoundFollowsTheFadedOut()
{
    QFETCH(int, handedBefore);
    QFETCH(bool, thirdWhileFading);
    SoundFeed feed(Held);
    (void)feed.play(First);
    Samples heard = handOver(feed, handedBefore);
    QVERIFY(!feed.play(Second));
    if (thirdWhileFading) {
        heard = joined(heard, handOver(feed, 300));
        QVERIFY(!feed.play(Third));
    }
    heard = joined(heard, handOver(feed, Rate / 2 - int(heard.size())));
    // The first faded out from where it was, then the last played from its own first sample.
    const int firstLength = handedBefore ? handedBefore + Fade : 0;
    const Samples expected =
        joined(rendered(First, 0, firstLength, handedBefore),
               rendered(thirdWhileFading ? Third : Second, 0, Rate / 2 - firstLength));
    QCOMPARE(heard, expected);
}

void TestSoundFeed::mayCloseOnceTheHeldIsHeard_data()
{
    QTest::addColumn<int>("held");
    QTest::newRow("the output holds nothing") << 0;
    QTest::newRow("the output holds 50 ms") << Held;
}

void TestSoundFeed::mayCloseOnceTheHeldIsHeard()
{
    QFETCH(int, held);
    SoundFeed feed(held);
    QVERIFY(feed.mayClose()); // Nothing played yet.
    (void)feed.play(First);
    handOver(feed, 4800);
    feed.stop();
    int handed = 0;
    for (; !feed.mayClose() && handed < Rate; ++handed)
        handOver(feed, 1);
    // The fade, then as much silence as the output held.
    QCOMPARE(handed, Fade + held);
}

QTEST_APPLESS_MAIN(TestSoundFeed)
#include "tst_soundfeed.moc"
