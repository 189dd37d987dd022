// SPDX-License-Identifier: GPL-3.0-or-later
#include "synthesis.h"
#include "wavfile.h"

#include <QtEndian>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

using Rows = std::array<OscillationTexts, 3>;
using Tones = std::array<Tone, 3>;

// The rows as sound: pitch, sign and loudness against the picture, the seams between buffers,
// the fades, what keeps a selection from playing, and the WAV file.
class TestSynthesis : public QObject
{
    Q_OBJECT

private slots:
    void pitch_data();
    void pitch();
    void startFollowsThePicture_data();
    void startFollowsThePicture();
    void loudness_data();
    void loudness();
    void sumIsTheRowsSampleBySample();
    void oppositeRowsCancel();
    void buffersJoinSeamlessly_data();
    void buffersJoinSeamlessly();
    void fades_data();
    void fades();
    void problems_data();
    void problems();
    void loudnessSharedWithRowsNotPlayed_data();
    void loudnessSharedWithRowsNotPlayed();
    void wavFile();
};

namespace {

constexpr int Rate = DefaultSampleRate;
const NumberText Czech(QLocale(QLocale::Czech, QLocale::Czechia));
const Rows Defaults = {{{"1", "0", "20"}, {"2", "0", "20"}, {"3", "0", "20"}}};

Rows withRow(Rows rows, int row, const OscillationTexts &texts)
{
    rows[std::size_t(row)] = texts;
    return rows;
}

Synthesis prepared(const Rows &rows, Selection selection, int unitPitchHz = DefaultUnitPitchHz)
{
    const PreparedSound sound = prepareSound(rows, selection, unitPitchHz, Czech);
    if (!sound.problem.isEmpty())
        qFatal("%s", qPrintable(sound.problem));
    return Synthesis(sound.tones, Rate);
}

double peak(const Synthesis &synthesis, Selection selection)
{
    double peak = 0.0;
    for (std::int64_t n = 0; n < Rate; ++n)
        peak = std::max(peak, std::abs(synthesis.sample(selection, n)));
    return peak;
}

} // namespace

void TestSynthesis::pitch_data()
{
    QTest::addColumn<QString>("frequency");
    QTest::addColumn<int>("unitPitchHz");
    QTest::addColumn<double>("hertz");

    QTest::newRow("first row's default") << "1" << 220 << 220.0;
    QTest::newRow("second row's default") << "2" << 220 << 440.0;
    QTest::newRow("third row's default") << "3" << 220 << 660.0;
    QTest::newRow("8 at 55 Hz") << "8" << 55 << 440.0;
    QTest::newRow("8.1 at 55 Hz") << "8,1" << 55 << 445.5;
    QTest::newRow("rounded to tenths as plotted") << "8.14" << 55 << 445.5;
    QTest::newRow("negative") << "-3" << 440 << 1320.0;
}

void TestSynthesis::pitch()
{
    QFETCH(QString, frequency);
    QFETCH(int, unitPitchHz);
    QFETCH(double, hertz);

    const Synthesis synthesis =
        prepared(withRow(Defaults, 0, {frequency, "0", "20"}), Selection::FirstRow, unitPitchHz);
    // Two seconds cross zero four times per hertz, so half a hertz apart is told apart.
    int crossings = 0;
    for (std::int64_t n = 1; n < 2 * Rate; ++n)
        crossings += (synthesis.sample(Selection::FirstRow, n - 1) < 0) !=
                     (synthesis.sample(Selection::FirstRow, n) < 0);
    QVERIFY2(std::abs(crossings - 4 * hertz) <= 1, qPrintable(QString::number(crossings)));
}

void TestSynthesis::startFollowsThePicture_data()
{
    // On screen a row starts 10 * y_m * sin(phi) above the axis, and its slope has the sign of
    // f * y_m * cos(phi); start is the sound's first sample as a part of the row's peak.
    QTest::addColumn<OscillationTexts>("row");
    QTest::addColumn<double>("start");
    QTest::addColumn<int>("firstMove");

    auto row = [](const char *f, const char *phi, const char *y) {
        return OscillationTexts{f, phi, y};
    };
    QTest::newRow("phase 0 rises") << row("1", "0", "20") << 0.0 << 1;
    QTest::newRow("phase 90 starts at the top") << row("1", "90", "20") << 1.0 << -1;
    QTest::newRow("phase -90 starts at the bottom") << row("1", "-90", "20") << -1.0 << 1;
    QTest::newRow("phase 45") << row("2", "45", "20") << std::sqrt(0.5) << 1;
    QTest::newRow("phase 180 falls") << row("1", "180", "20") << 0.0 << -1;
    QTest::newRow("negative amplitude falls") << row("1", "0", "-20") << 0.0 << -1;
    QTest::newRow("negative amplitude, phase 90") << row("1", "90", "-20") << -1.0 << 1;
    QTest::newRow("negative frequency falls") << row("-1", "0", "20") << 0.0 << -1;
    QTest::newRow("both negative rise") << row("-1", "0", "-20") << 0.0 << 1;
}

void TestSynthesis::startFollowsThePicture()
{
    QFETCH(OscillationTexts, row);
    QFETCH(double, start);
    QFETCH(int, firstMove);

    const Synthesis synthesis = prepared({row, row, row}, Selection::FirstRow);
    const double first = synthesis.sample(Selection::FirstRow, 0);
    QCOMPARE_LE(std::abs(first / std::abs(synthesis.gain(0)) - start), 1e-4); // 3.1415, not pi.
    QCOMPARE(synthesis.sample(Selection::FirstRow, 1) > first ? 1 : -1, firstMove);
    if (std::abs(start) == 1) // At the top or bottom: no sample goes beyond the start.
        QCOMPARE_LE(peak(synthesis, Selection::FirstRow), std::abs(first));
}

void TestSynthesis::loudness_data()
{
    QTest::addColumn<Tones>("tones");
    QTest::addColumn<QList<double>>("peaks"); // Each row's and the sum's, of full scale.

    auto tones = [](double a1, double a2, double a3, double f1 = 220) {
        return Tones{{{a1, f1, 0}, {a2, 220, 0}, {a3, 220, 0}}};
    };
    const double huge = std::numeric_limits<double>::max() / 1.5;
    const double tiny = std::numeric_limits<double>::denorm_min();
    QTest::newRow("10 and 20") << tones(10, 20, 0) << QList{0.3, 0.6, 0.0, 0.9};
    QTest::newRow("10, 20, 30") << tones(10, 20, 30) << QList{0.15, 0.3, 0.45, 0.9};
    QTest::newRow("signs") << tones(-10, 20, -30) << QList{0.15, 0.3, 0.45, 0.3};
    QTest::newRow("frequency 0 takes no share")
        << tones(10, 20, 20, 0.04) << QList{0.0, 0.45, 0.45, 0.9};
    QTest::newRow("1e300") << tones(1e300, -1e300, 1e300) << QList{0.3, 0.3, 0.3, 0.3};
    QTest::newRow("sum overflows") << tones(huge, huge, huge) << QList{0.3, 0.3, 0.3, 0.9};
    QTest::newRow("denormals") << tones(tiny, 2 * tiny, 0) << QList{0.3, 0.6, 0.0, 0.9};
    QTest::newRow("all 0") << tones(0, 0, 0) << QList{0.0, 0.0, 0.0, 0.0};
    QTest::newRow("infinite is silent")
        << tones(std::numeric_limits<double>::infinity(), 20, 0) << QList{0.0, 0.9, 0.0, 0.9};
}

void TestSynthesis::loudness()
{
    QFETCH(Tones, tones);
    QFETCH(QList<double>, peaks);

    const Synthesis synthesis(tones, Rate);
    for (int selection = 0; selection < 4; ++selection)
        QCOMPARE_LE(std::abs(peak(synthesis, Selection(selection)) - peaks[selection]), 1e-6);
    std::vector<std::int16_t> pcm(Rate);
    synthesis.render(Selection::Superposition, 0, pcm);
    for (const std::int16_t value : pcm)
        QCOMPARE_LE(std::abs(value), std::lround(peaks[3] * 32767));
}

void TestSynthesis::sumIsTheRowsSampleBySample()
{
    const Synthesis synthesis(Tones{{{7, 220, 0.3}, {-13, 331.7, 2}, {1, 17000, -1}}}, Rate);
    for (std::int64_t n = 0; n < Rate; n += 7) {
        const double rows = synthesis.sample(Selection::FirstRow, n) +
                            synthesis.sample(Selection::SecondRow, n) +
                            synthesis.sample(Selection::ThirdRow, n);
        QCOMPARE_LE(std::abs(synthesis.sample(Selection::Superposition, n) - rows), 1e-15);
    }
}

void TestSynthesis::oppositeRowsCancel()
{
    // 180 degrees is 3.1415 rad, not pi: the rows leave a residual of at most their peak (0.45
    // of full scale each) times pi - 3.1415, 4.2e-5 of full scale, 87 dB down. It stays there.
    const Rows rows = {{{"1", "0", "20"}, {"1", "180", "20"}, {"3", "0", "0"}}};
    const Synthesis synthesis = prepared(rows, Selection::Superposition);
    const double bound = 0.45 * (std::numbers::pi - PiApproxValue);
    QCOMPARE_LE(peak(synthesis, Selection::Superposition), bound * 1.0001);
    QCOMPARE_GE(peak(synthesis, Selection::Superposition), bound * 0.999);
    std::vector<std::int16_t> pcm(Rate);
    synthesis.render(Selection::Superposition, 0, pcm);
    for (const std::int16_t value : pcm)
        QCOMPARE_LE(std::abs(value), 2);
}

void TestSynthesis::buffersJoinSeamlessly_data()
{
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("fadeOutStart");

    QTest::newRow("from the start") << qint64(0) << qint64(Synthesis::NoFadeOut);
    QTest::newRow("ten hours in") << qint64(Rate) * 36000 - 5000 << qint64(Synthesis::NoFadeOut);
    QTest::newRow("a year in") << qint64(Rate) * 3600 * 24 * 365 << qint64(Synthesis::NoFadeOut);
    QTest::newRow("across a fade-out") << qint64(Rate) * 60 << qint64(Rate) * 60 + 3000;
}

void TestSynthesis::buffersJoinSeamlessly()
{
    QFETCH(qint64, first);
    QFETCH(qint64, fadeOutStart);

    const Synthesis synthesis(Tones{{{7, 220, 0.3}, {-13, 331.7, 2}, {1, 17999.9, -1}}}, Rate);
    const auto selection = Selection::Superposition;
    std::vector<std::int16_t> whole(10'000), pieces(whole.size());
    synthesis.render(selection, first, whole, fadeOutStart);
    std::size_t done = 0;
    for (std::size_t size = 1; done < pieces.size(); size = size * 3 + 4) {
        const std::size_t count = std::min(size, pieces.size() - done);
        synthesis.render(selection, first + qint64(done), std::span(pieces).subspan(done, count),
                         fadeOutStart);
        done += count;
    }
    QCOMPARE(pieces, whole);
    for (std::size_t i = 0; i < whole.size(); i += 97) {
        const qint64 n = first + qint64(i);
        const double level = synthesis.sample(selection, n) * synthesis.envelope(n, fadeOutStart);
        QCOMPARE(whole[i], Synthesis::toPcm16(level));
        // Whole tenths of a hertz: every tone repeats exactly after ten seconds, however late.
        QVERIFY(synthesis.sample(selection, n) == synthesis.sample(selection, n % (10 * Rate)));
    }
}

void TestSynthesis::fades_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("fadeLength");

    QTest::newRow("48 kHz") << 48000 << 1440;
    QTest::newRow("44.1 kHz") << 44100 << 1323;
    QTest::newRow("8 kHz") << 8000 << 240;
}

void TestSynthesis::fades()
{
    QFETCH(int, rate);
    QFETCH(int, fadeLength);

    const Synthesis synthesis(Tones{{{20, 220, std::numbers::pi / 2}, {}, {}}}, rate);
    QCOMPARE(synthesis.fadeLength(), fadeLength);
    const qint64 stop = 3 * fadeLength + 11;
    for (qint64 n = 1; n <= fadeLength; ++n)
        QCOMPARE_GE(synthesis.envelope(n, stop), synthesis.envelope(n - 1, stop));
    QCOMPARE_LT(synthesis.envelope(fadeLength - 1, stop), 1.0);
    QCOMPARE(synthesis.envelope(fadeLength, stop), 1.0);
    for (qint64 n = stop; n < stop + fadeLength; ++n)
        QCOMPARE_LE(synthesis.envelope(n + 1, stop), synthesis.envelope(n, stop));
    QCOMPARE(synthesis.envelope(stop, stop), 1.0);
    QCOMPARE_GT(synthesis.envelope(stop + fadeLength - 2, stop), 0.0);
    QCOMPARE(synthesis.envelope(stop + fadeLength - 1, stop), 0.0);

    // The phase starts at the top, so only the fades bring the ends to 0.
    std::vector<std::int16_t> pcm(std::size_t(stop + fadeLength + 50));
    synthesis.render(Selection::FirstRow, 0, pcm, stop);
    QCOMPARE(pcm.front(), std::int16_t(0));
    QCOMPARE_NE(pcm[10], std::int16_t(0));
    QVERIFY(std::all_of(pcm.begin() + stop + fadeLength - 1, pcm.end(),
                        [](std::int16_t value) { return value == 0; }));
}

void TestSynthesis::problems_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<Selection>("selection");
    QTest::addColumn<int>("unitPitchHz");
    QTest::addColumn<QString>("problem");

    const QString notANumber = OscillationTexts::NotANumberMessage;
    const auto second = Selection::SecondRow, sum = Selection::Superposition;
    auto outOfRange = [](const QString &row, const QString &hertz) {
        return row + " by zněl na " + hertz + " Hz, mimo slyšitelný rozsah 20 Hz až 20 kHz.";
    };
    const Rows row2High = withRow(Defaults, 1, {"100", "0", "20"});
    QTest::newRow("defaults") << Defaults << sum << 220 << "";
    QTest::newRow("sum: every text")
        << withRow(Defaults, 2, {"3", "x", "20"}) << sum << 220 << notANumber;
    QTest::newRow("row: its own texts")
        << withRow(Defaults, 1, {"2", "0", ""}) << second << 220 << notANumber;
    QTest::newRow("row: not the others'")
        << withRow(Defaults, 0, {"x", "x", "x"}) << second << 220 << "";
    QTest::newRow("row: its pitch, not the others' texts")
        << withRow(row2High, 0, {"1", "0", "x"}) << second << 220
        << outOfRange("Druhý graf", "22000");
    QTest::newRow("sum: texts before pitch")
        << withRow(row2High, 0, {"1", "0", "x"}) << sum << 220 << notANumber;
    QTest::newRow("too high") << row2High << sum << 220 << outOfRange("Druhý graf", "22000");
    QTest::newRow("too high, played alone")
        << row2High << second << 220 << outOfRange("Druhý graf", "22000");
    QTest::newRow("too high, another played") << row2High << Selection::FirstRow << 220 << "";
    QTest::newRow("too low") << withRow(Defaults, 0, {"-0,3", "0", "20"}) << sum << 55
                             << outOfRange("První graf", "16,5");
    QTest::newRow("rounded into range")
        << withRow(Defaults, 0, {"0,36", "0", "20"}) << sum << 55 << "";
    QTest::newRow("just above 20 kHz") << withRow(Defaults, 2, {"45,5", "0", "1"}) << sum << 440
                                       << outOfRange("Třetí graf", "20020");
    QTest::newRow("just below 20 kHz")
        << withRow(Defaults, 2, {"45,4", "0", "1"}) << sum << 440 << "";
    QTest::newRow("beyond the doubles")
        << withRow(Defaults, 2, {"1e307", "0", "1"}) << sum << 440
        << "Třetí graf by zněl příliš vysoko, mimo slyšitelný rozsah 20 Hz až 20 kHz.";
    QTest::newRow("first of two named") << withRow(row2High, 2, {"-200", "0", "20"}) << sum << 220
                                        << outOfRange("Druhý graf", "22000");
    QTest::newRow("amplitude 0 never in the way")
        << withRow(Defaults, 1, {"1e300", "0", "0"}) << sum << 220 << "";
    QTest::newRow("frequency 0 never in the way")
        << withRow(Defaults, 1, {"0,04", "0", "20"}) << second << 220 << "";
}

void TestSynthesis::problems()
{
    QFETCH(Rows, rows);
    QFETCH(Selection, selection);
    QFETCH(int, unitPitchHz);
    QFETCH(QString, problem);

    QCOMPARE(prepareSound(rows, selection, unitPitchHz, Czech).problem, problem);
}

void TestSynthesis::loudnessSharedWithRowsNotPlayed_data()
{
    QTest::addColumn<OscillationTexts>("secondRow");
    QTest::addColumn<double>("firstRowGain");

    QTest::newRow("defaults") << Defaults[1] << 0.3;
    QTest::newRow("amplitude not a number") << OscillationTexts{"2", "0", "x"} << 0.45;
    QTest::newRow("frequency not a number") << OscillationTexts{"x", "x", "20"} << 0.3;
    QTest::newRow("frequency 0") << OscillationTexts{"0", "0", "20"} << 0.45;
    QTest::newRow("amplitude 0") << OscillationTexts{"2", "0", "0"} << 0.45;
    QTest::newRow("out of range") << OscillationTexts{"100", "0", "-20"} << 0.3;
    QTest::newRow("larger") << OscillationTexts{"2", "0", "40"} << 0.225;
}

void TestSynthesis::loudnessSharedWithRowsNotPlayed()
{
    QFETCH(OscillationTexts, secondRow);
    QFETCH(double, firstRowGain);

    const Synthesis synthesis = prepared(withRow(Defaults, 1, secondRow), Selection::FirstRow);
    QCOMPARE_LE(std::abs(synthesis.gain(0) - firstRowGain), 1e-15);
}

void TestSynthesis::wavFile()
{
    const std::int16_t samples[] = {0, 1, -1, 32767, -32768, 0x1234};
    const QByteArray header = QByteArray::fromHex("52494646"
                                                  "30000000"
                                                  "57415645" // RIFF, WAVE
                                                  "666d7420"
                                                  "10000000"
                                                  "0100"
                                                  "0100" // PCM, mono
                                                  "44ac0000"
                                                  "88580100"
                                                  "0200"
                                                  "1000" // 44100 Hz
                                                  "64617461"
                                                  "0c000000");
    QCOMPARE(WavFile::encode(samples, 44100), header + QByteArray::fromHex("0000"
                                                                           "0100"
                                                                           "ffff"
                                                                           "ff7f"
                                                                           "0080"
                                                                           "3412"));

    // Five seconds, silent at both ends, read back.
    const Synthesis synthesis(Tones{{{20, 220, 1}, {20, 440, 2}, {}}}, 44100);
    const std::vector<std::int16_t> five = synthesis.fiveSeconds(Selection::Superposition);
    QCOMPARE(five.size(), std::size_t(5 * 44100));
    QCOMPARE(five.front(), std::int16_t(0));
    QCOMPARE(five.back(), std::int16_t(0));
    const QByteArray file = WavFile::encode(five, 44100);
    QCOMPARE(qFromLittleEndian<quint32>(file.constData() + 4), quint32(file.size() - 8));
    QCOMPARE(qFromLittleEndian<quint32>(file.constData() + 40), quint32(five.size() * 2));
    for (std::size_t i = 0; i < five.size(); i += 101)
        QCOMPARE(qFromLittleEndian<qint16>(file.constData() + 44 + 2 * i), five[i]);
}

QTEST_GUILESS_MAIN(TestSynthesis)
#include "tst_synthesis.moc"
