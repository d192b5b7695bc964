#include "dsp/BasicWaves.h"
#include "dsp/WaveMipMap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

namespace
{
const double kTwoPi = 6.283185307179586;

double frequencyOf(const WaveMipMap& map, float hostRate, int midiNote)
{
    std::uint32_t step = map.pitchToStep((midiNote + 120) * 65536);
    return step * (2.0 * hostRate) / 16777216.0; // engine rate, 2^24 per cycle
}

std::vector<int> levelSizes(const WaveMipMap& map)
{
    std::vector<int> sizes;
    for (int i = 0; i < map.levelCount(); ++i)
        sizes.push_back(map.level(i).size());
    return sizes;
}

int stepsToFinish(WaveMipMap& map)
{
    int steps = 0;
    for (; map.rebuildPending() && steps < 1000; ++steps)
        map.rebuildStep();
    return steps;
}

void finishRebuild(WaveMipMap& map)
{
    stepsToFinish(map);
    ASSERT_FALSE(map.rebuildPending());
}

std::vector<double> baseWave(int number)
{
    WaveMipMap unused;
    std::int8_t bytes[256];
    buildBasicWave(number, unused.userWave(0), unused.userWave(1), bytes);
    std::vector<double> w(256);
    for (int i = 0; i < 256; ++i)
        w[i] = bytes[i] / 128.0;
    return w;
}

// The band-limited wave: the DFT of `samples` kept to bins below `bins`
// (no Nyquist bin), evaluated at `size` points over one cycle.
std::vector<double> truncatedSeries(const std::vector<double>& samples, int bins, int size)
{
    const int m = static_cast<int>(samples.size());
    std::vector<double> re(bins), im(bins);
    for (int k = 0; k < bins; ++k)
        for (int n = 0; n < m; ++n)
        {
            re[k] += samples[n] * std::cos(kTwoPi * k * n / m);
            im[k] -= samples[n] * std::sin(kTwoPi * k * n / m);
        }
    std::vector<double> result(size);
    for (int n = 0; n < size; ++n)
    {
        double sum = re[0];
        for (int k = 1; k < bins; ++k)
            sum += 2 * (re[k] * std::cos(kTwoPi * k * n / size) - im[k] * std::sin(kTwoPi * k * n / size));
        result[n] = sum / m;
    }
    return result;
}

int levelOfSize(const WaveMipMap& map, int size)
{
    for (int i = 0; i < map.levelCount(); ++i)
        if (map.level(i).size() == size)
            return i;
    return -1;
}
}

TEST(WaveMipMap, Note69IsA440)
{
    for (float rate : {44100.0f, 48000.0f})
    {
        WaveMipMap map;
        map.setSampleRate(rate);
        EXPECT_NEAR(frequencyOf(map, rate, 69), 440.0, 0.01) << rate;
    }
    WaveMipMap map;
    map.setSampleRate(44100.0f);
    EXPECT_EQ(map.pitchToStep(189 * 65536), 83695u);
}

TEST(WaveMipMap, EveryMidiNoteIsInTuneWithinOneCent)
{
    for (float rate : {44100.0f, 48000.0f})
    {
        WaveMipMap map;
        map.setSampleRate(rate);
        for (int note = 0; note < 128; ++note)
        {
            double ideal = 440.0 * std::pow(2.0, (note - 69) / 12.0);
            double cents = 1200.0 * std::log2(frequencyOf(map, rate, note) / ideal);
            EXPECT_LT(std::fabs(cents), 1.0) << "rate " << rate << " note " << note;
        }
    }
}

TEST(WaveMipMap, PitchOutsideTheTableIsClamped)
{
    WaveMipMap map;
    map.setSampleRate(44100.0f);
    EXPECT_EQ(map.pitchToStep(-5 * 65536), map.pitchToStep(0));
    EXPECT_EQ(map.pitchToStep(INT_MIN), map.pitchToStep(0));
    const std::uint32_t top = map.pitchToStep(26 * 12 * 65536 - 1);
    EXPECT_EQ(map.pitchToStep(INT_MAX), top);
    EXPECT_EQ(map.pitchToStep(400 * 65536), top);
    // Tables are still found for such pitches.
    EXPECT_NE(map.getTable(0, INT_MAX).table, nullptr);
    EXPECT_NE(map.getTable(1, INT_MIN).table, nullptr);

    std::uint32_t previous = 0;
    for (std::int32_t pitch = 0; pitch < 300 * 65536; pitch += 65536 / 3)
    {
        std::uint32_t step = map.pitchToStep(pitch);
        ASSERT_GE(step, previous) << pitch;
        previous = step;
    }
}

TEST(WaveMipMap, LevelSizesFollowTheSampleRate)
{
    std::vector<int> common = {16384, 8192, 4096, 2048, 1024, 512, 512, 512};
    common.resize(23, 256);
    for (float rate : {44100.0f, 48000.0f})
    {
        WaveMipMap map;
        map.setSampleRate(rate);
        EXPECT_EQ(levelSizes(map), common) << rate;
        EXPECT_EQ(map.bigLevelCount(), 5);
    }

    std::vector<int> high = {32768, 16384, 8192, 4096, 2048, 1024, 512, 512, 512};
    high.resize(21, 256);
    WaveMipMap map;
    map.setSampleRate(96000.0f);
    EXPECT_EQ(levelSizes(map), high);

    for (int i = 0; i < map.levelCount(); ++i)
    {
        const WaveMipMap::Level& level = map.level(i);
        EXPECT_EQ(level.size(), 256 << (16 - level.shift));
        if (i < map.bigLevelCount())
        {
            EXPECT_EQ(level.maxHarmonic, 256);
        }
    }
}

TEST(WaveMipMap, HigherPitchesUseSmallerTablesBelowNyquist)
{
    const float rate = 44100.0f;
    WaveMipMap map;
    map.setSampleRate(rate);
    EXPECT_EQ(map.levelForPitchStep(0), 0);
    EXPECT_EQ(map.levelForPitchStep(WaveMipMap::kPitchSteps - 1), map.levelCount() - 1);
    for (int u = 1; u < WaveMipMap::kPitchSteps; ++u)
        EXPECT_GE(map.levelForPitchStep(u), map.levelForPitchStep(u - 1));

    for (int i = map.bigLevelCount(); i < map.levelCount(); ++i)
    {
        // The highest pitch of the step, 4 semitones up, must keep the top
        // harmonic below the host Nyquist frequency, give or take a semitone.
        int u = 0;
        while (map.levelForPitchStep(u) != i)
            ++u;
        double fundamental = frequencyOf(map, rate, 4 * u);
        EXPECT_LT(map.level(i).maxHarmonic * fundamental, rate / 2 * 1.06) << "level " << i;
    }
}

TEST(WaveMipMap, SelectFillsStairStepsUntilRebuilt)
{
    WaveMipMap map;
    map.setSampleRate(44100.0f);
    finishRebuild(map);
    map.select(0, kWaveSawtooth);
    EXPECT_TRUE(map.rebuildPending());
    std::vector<double> saw = baseWave(kWaveSawtooth);
    for (int l = 0; l < map.levelCount(); ++l)
    {
        const float* table = map.levelTable(0, l);
        const int size = map.level(l).size();
        const int repeat = size / 256;
        for (int i = 0; i < size; ++i)
            ASSERT_FLOAT_EQ(table[i], saw[i / repeat]) << "level " << l << " sample " << i;
        for (int g = 0; g < 4; ++g)
            EXPECT_EQ(table[size + g], table[g]);
    }
}

TEST(WaveMipMap, RebuiltLevelsAreTheTruncatedFourierSeries)
{
    WaveMipMap map;
    map.setSampleRate(44100.0f);
    map.select(0, kWaveSawtooth);
    finishRebuild(map);
    std::vector<double> saw = baseWave(kWaveSawtooth);

    // A small level: the 256-sample wave's own harmonics up to the level's limit.
    const int last = map.levelCount() - 1;
    const int lastBins = std::min(map.level(last).maxHarmonic, 127) + 1;
    std::vector<double> expected = truncatedSeries(saw, lastBins, 256);
    for (int n = 0; n < 256; ++n)
        ASSERT_NEAR(map.levelTable(0, last)[n], expected[n], 1e-4) << n;

    const int twice = levelOfSize(map, 512);
    const int twiceBins = std::min(map.level(twice).maxHarmonic, 127) + 1;
    expected = truncatedSeries(saw, twiceBins, 512);
    for (int n = 0; n < 512; ++n)
        ASSERT_NEAR(map.levelTable(0, twice)[n], expected[n], 1e-4) << n;

    // A big level: the stair-step wave at half the level's size, kept to the
    // bins below that half's Nyquist frequency, at twice the resolution.
    const int big = levelOfSize(map, 2048);
    std::vector<double> stairs(1024);
    for (int i = 0; i < 1024; ++i)
        stairs[i] = saw[i / 4];
    expected = truncatedSeries(stairs, 512, 2048);
    for (int n = 0; n < 2048; ++n)
        ASSERT_NEAR(map.levelTable(0, big)[n], expected[n], 1e-4) << n;

    for (int l = 0; l < map.levelCount(); ++l)
    {
        const float* table = map.levelTable(0, l);
        for (int g = 0; g < 4; ++g)
            EXPECT_EQ(table[map.level(l).size() + g], table[g]) << "level " << l;
    }
}

TEST(WaveMipMap, OneOscillatorRebuildsToTheEndBeforeTheOther)
{
    WaveMipMap map;
    map.setSampleRate(44100.0f);
    finishRebuild(map);
    const int stepsPerOscillator = 2 * map.bigLevelCount() + 2;
    map.select(0, kWaveSquare);
    map.select(1, kWaveTriangle);
    auto lastOfSecond = [&] {
        const float* table = map.levelTable(1, map.levelCount() - 1);
        return std::vector<float>(table, table + 256);
    };
    const std::vector<float> stairs = lastOfSecond();

    for (int s = 0; s < stepsPerOscillator; ++s)
    {
        ASSERT_TRUE(map.rebuildPending());
        map.rebuildStep();
        EXPECT_EQ(lastOfSecond(), stairs) << "after step " << s;
    }
    EXPECT_EQ(stepsToFinish(map), stepsPerOscillator);
    EXPECT_NE(lastOfSecond(), stairs);
}

TEST(WaveMipMap, SelectingTheSameWaveDoesNotRestartTheRebuild)
{
    WaveMipMap map;
    map.setSampleRate(44100.0f);
    finishRebuild(map);
    const int stepsPerOscillator = 2 * map.bigLevelCount() + 2;
    map.select(0, kWaveSquare);
    map.rebuildStep();
    map.rebuildStep();
    map.select(0, kWaveSquare);
    EXPECT_EQ(stepsToFinish(map), stepsPerOscillator - 2);
}

TEST(WaveMipMap, SelectMinusOneRebuildsTheCurrentWave)
{
    WaveMipMap map;
    map.setSampleRate(48000.0f);
    map.select(1, kWaveUser2);
    finishRebuild(map);
    const int last = map.levelCount() - 1;
    // Silent but for the mirror's one-step offset in the second half.
    EXPECT_NEAR(map.levelTable(1, last)[64], 0.0f, 0.01f);

    map.userWave(1).harmonics().setLevel(0, 100); // a sine of peak 99 / 128
    map.select(1, -1);
    finishRebuild(map);
    EXPECT_EQ(map.currentWave(1), kWaveUser2);
    EXPECT_NEAR(map.levelTable(1, last)[64], 99.0f / 128.0f, 0.02f);
    EXPECT_NEAR(map.levelTable(1, last)[192], -99.0f / 128.0f, 0.02f);
}

TEST(WaveMipMap, TablesBeforeASampleRateAreSilent)
{
    WaveMipMap map;
    map.select(0, kWaveSawtooth);
    WaveTableRead read = map.getTable(0, 189 * 65536);
    ASSERT_NE(read.table, nullptr);
    for (std::uint32_t i = 0; i <= read.indexMask + 3; ++i)
        EXPECT_EQ(read.table[i], 0.0f);
    EXPECT_FALSE(map.rebuildPending());

    // The wave chosen meanwhile is built once the rate arrives.
    map.setSampleRate(44100.0f);
    EXPECT_EQ(map.currentWave(0), kWaveSawtooth);
    EXPECT_FLOAT_EQ(map.levelTable(0, 0)[0], -1.0f);
}

TEST(WaveMipMap, UnusableSampleRatesAreIgnored)
{
    WaveMipMap map;
    map.setSampleRate(44100.0f);
    const std::uint32_t step = map.pitchToStep(189 * 65536);
    for (float rate : {0.0f, -44100.0f, std::nanf(""), INFINITY})
    {
        map.setSampleRate(rate);
        EXPECT_EQ(map.pitchToStep(189 * 65536), step);
        EXPECT_EQ(map.levelCount(), 23);
    }
}

TEST(WaveMipMap, SharedTablesReadAsTheMapsOwnWouldAtEveryStep)
{
    WaveMipMap shared;
    WaveMipMap own(false);
    auto bothTables = [](const WaveMipMap& map) {
        std::vector<float> all;
        for (int o = 0; o < WaveMipMap::kOscillators; ++o)
            for (int l = 0; l < map.levelCount(); ++l)
                all.insert(all.end(), map.levelTable(o, l), map.levelTable(o, l) + map.level(l).size() + 4);
        return all;
    };
    shared.userWave(0).harmonics().setLevel(2, 90);
    own.userWave(0).harmonics().setLevel(2, 90);
    // Built-in, user and silent waves, changed in the middle of rebuilds.
    const int plan[][2] = {{0, kWaveSawtooth}, {1, kWaveUser1}, {0, kWaveGritty}, {1, kWaveAudioInput},
                           {0, kWaveUser1},    {1, kWaveSquare}, {0, kWavePwm}};
    for (WaveMipMap* map : {&shared, &own})
        map->setSampleRate(48000.0f);
    for (const auto& change : plan)
    {
        for (WaveMipMap* map : {&shared, &own})
            map->select(change[0], change[1]);
        for (int step = 0; step < 7; ++step)
        {
            ASSERT_EQ(bothTables(shared), bothTables(own)) << "wave " << change[1] << " step " << step;
            shared.rebuildStep();
            own.rebuildStep();
        }
    }
    finishRebuild(shared);
    finishRebuild(own);
    EXPECT_EQ(bothTables(shared), bothTables(own));

    // Another instance at the rate reads the same memory, but not for a user wave.
    WaveMipMap other;
    other.setSampleRate(48000.0f);
    other.select(0, kWavePwm);
    other.select(1, kWaveUser1);
    finishRebuild(other);
    EXPECT_EQ(other.levelTable(0, 0), shared.levelTable(0, 0));
    EXPECT_NE(other.levelTable(1, 0), shared.levelTable(0, 0));
}
