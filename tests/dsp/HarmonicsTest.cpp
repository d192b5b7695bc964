#include "dsp/HarmonicWave.h"
#include "dsp/HarmonicWaveform.h"
#include "dsp/Harmonics.h"
#include "dsp/SineTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <vector>

namespace
{
std::vector<int> levelsOf(const Harmonics& h)
{
    std::vector<int> result;
    for (int i = 0; i < Harmonics::kCount; ++i)
        result.push_back(h.level(i));
    return result;
}

std::vector<int> padded(std::vector<int> head)
{
    head.resize(Harmonics::kCount, 0);
    return head;
}
}

TEST(Harmonics, TextFormReadsHexDigitsAsLevels)
{
    Harmonics onlyF("F");
    EXPECT_TRUE(onlyF.isValid());
    EXPECT_EQ(levelsOf(onlyF), padded({239}));

    Harmonics spaced("0 0\t1");
    EXPECT_TRUE(spaced.isValid());
    EXPECT_EQ(levelsOf(spaced), padded({0, 0, 5}));

    Harmonics mixedCase("aB9");
    EXPECT_EQ(levelsOf(mixedCase), padded({72, 89, 59}));
}

TEST(Harmonics, TextFormStopsAtAForeignCharacterAndIsInvalid)
{
    Harmonics h("12G4");
    EXPECT_FALSE(h.isValid());
    EXPECT_EQ(levelsOf(h), padded({5, 10}));

    EXPECT_FALSE(Harmonics("1\n2").isValid());
    EXPECT_TRUE(Harmonics("").isValid());
}

TEST(Harmonics, TextFormReadsAtMost24Digits)
{
    // Whatever follows the 24th digit is not read, not even a bad character.
    Harmonics h(std::string(24, 'F') + "FFx");
    EXPECT_TRUE(h.isValid());
    EXPECT_EQ(levelsOf(h), std::vector<int>(24, 239));
}

TEST(Harmonics, PrintsLevelsRightAlignedInWidthThree)
{
    std::ostringstream defaults;
    Harmonics().print(defaults);
    std::string expected = "  0";
    for (int i = 1; i < 24; ++i)
        expected += "   0";
    EXPECT_EQ(defaults.str(), expected);

    unsigned char bytes[24] = {239, 5, 72};
    std::ostringstream mixed;
    mixed << std::hex; // the caller's formatting must not leak in
    Harmonics(bytes).print(mixed);
    EXPECT_EQ(mixed.str().substr(0, 12), "239   5  72 ");
    EXPECT_EQ(mixed.str().size(), 24u * 4 - 1);
}

TEST(Harmonics, EqualityComparesEveryLevel)
{
    for (int i = 0; i < Harmonics::kCount; ++i)
    {
        unsigned char bytes[24] = {};
        bytes[i] = 1;
        EXPECT_NE(Harmonics(bytes), Harmonics()) << "level " << i;
        EXPECT_EQ(Harmonics(bytes), Harmonics(bytes));
    }
}

TEST(Harmonics, OrderingIsATotalOrderAgreeingWithEquality)
{
    std::mt19937 random(7);
    for (int trial = 0; trial < 500; ++trial)
    {
        unsigned char a[24], b[24];
        for (int i = 0; i < 24; ++i)
        {
            a[i] = static_cast<unsigned char>(random() % 3);
            b[i] = static_cast<unsigned char>(random() % 3);
        }
        Harmonics ha(a), hb(b);
        int relations = (ha < hb) + (hb < ha) + (ha == hb);
        EXPECT_EQ(relations, 1);
    }
}

TEST(Harmonics, GainToLevelFindsTheFirstThresholdAbove)
{
    EXPECT_EQ(Harmonics::gainToLevel(0), 0);
    EXPECT_EQ(Harmonics::gainToLevel(2), 0);
    EXPECT_EQ(Harmonics::gainToLevel(3), 1);
    EXPECT_EQ(Harmonics::gainToLevel(208), 14);
    EXPECT_EQ(Harmonics::gainToLevel(209), 15);
    EXPECT_EQ(Harmonics::gainToLevel(255), 15);
}

TEST(Harmonics, LevelToGainInterpolatesThresholds)
{
    EXPECT_FLOAT_EQ(Harmonics::levelToGain(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(Harmonics::levelToGain(0.5f), 1.5f / 255.0f);
    EXPECT_FLOAT_EQ(Harmonics::levelToGain(1.0f), 3.0f / 255.0f);
    EXPECT_FLOAT_EQ(Harmonics::levelToGain(15.5f), (209.0f + 23.0f) / 255.0f);
    // Out-of-range positions stay on the scale instead of reading past it.
    EXPECT_FLOAT_EQ(Harmonics::levelToGain(16.0f), 1.0f);
    EXPECT_FLOAT_EQ(Harmonics::levelToGain(40.0f), 1.0f);
    EXPECT_FLOAT_EQ(Harmonics::levelToGain(-3.0f), 0.0f);
    EXPECT_FLOAT_EQ(Harmonics::levelToGain(std::nanf("")), 0.0f);
}

TEST(HarmonicWave, NamesCompareWithoutCase)
{
    EXPECT_TRUE(HarmonicWave::caseInsensitiveEqual("Bright", "bRIGHT"));
    EXPECT_FALSE(HarmonicWave::caseInsensitiveEqual("Bright", "Brighter"));
    HarmonicWave a("apple", Harmonics()), b("Banana", Harmonics());
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_TRUE(HarmonicWave().name().empty());
}

TEST(SineTable, IsAnOddQuarterSymmetricSine)
{
    EXPECT_EQ(SineTable::lookup(0), 3);
    EXPECT_EQ(SineTable::lookup(63), 255);
    EXPECT_EQ(SineTable::lookup(64), 255);
    EXPECT_EQ(SineTable::lookup(127), 3);
    for (int x = 0; x < 128; ++x)
    {
        EXPECT_EQ(SineTable::lookup(x + 128), -SineTable::lookup(x));
        EXPECT_EQ(SineTable::lookup(127 - x), SineTable::lookup(x));
        // Within the table's rounding of a sine sampled at half steps.
        EXPECT_NEAR(SineTable::lookup(x), 255.0 * std::sin(6.283185307 * (x + 0.5) / 256.0), 3.0);
    }
    EXPECT_EQ(SineTable::lookup(256 + 5), SineTable::lookup(5));
}

TEST(HarmonicWaveform, SumsHarmonicsAndClips)
{
    HarmonicWaveform wave;
    EXPECT_EQ(wave.sample(10), 0);
    wave.harmonics().setLevel(0, 100);
    EXPECT_EQ(wave.sample(64), (255 * 100) >> 8);
    EXPECT_EQ(wave.sample(192), (-255 * 100) >> 8);
    wave.harmonics().setLevel(2, 50);
    EXPECT_EQ(wave.sample(64), ((255 * 100) >> 8) + ((-255 * 50) >> 8));

    wave.harmonics().setLevel(0, 239);
    EXPECT_EQ(wave.sample(64), 127);
    EXPECT_EQ(wave.sample(192), -128);

    std::int8_t half[128];
    wave.render(half);
    for (int p = 0; p < 128; ++p)
        EXPECT_EQ(half[p], wave.sample(p));
}

TEST(HarmonicWaveform, DisplayLevelsAreQuantisedToTheTopNibble)
{
    HarmonicWaveform wave;
    wave.updateDisplayLevels();
    EXPECT_EQ(wave.displayLevel(0), 0);
    wave.harmonics().setLevel(0, 1);
    wave.updateDisplayLevels();
    // A faint wave: peak sum 63 >> 5 = 1, so divisor 2 and scale 127.
    EXPECT_EQ(wave.displayLevel(0), 127 & 0xF0);
}
