#include "dsp/BasicWaves.h"
#include "dsp/HarmonicWaveform.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
std::vector<int> wave(int number)
{
    HarmonicWaveform user1, user2;
    user1.harmonics().setLevel(0, 100);
    user2.harmonics().setLevel(2, 100);
    std::int8_t bytes[256];
    buildBasicWave(number, user1, user2, bytes);
    return std::vector<int>(bytes, bytes + 256);
}

// The second half is the first upside down, less one (NOT of a byte).
void expectMirrored(const std::vector<int>& w)
{
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(w[255 - i], -w[i] - 1) << "sample " << i;
}
}

TEST(BasicWaves, RampWavesAreOneRisingRamp)
{
    for (int number : {kWaveSawtooth, kWavePulse, kWavePwm})
    {
        std::vector<int> w = wave(number);
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(w[i], i - 128);
    }
}

TEST(BasicWaves, SymmetricWavesAreMirrored)
{
    for (int number : {kWaveTriangle, kWaveSquare, kWaveFullOrgan, kWaveHarpsichord, kWaveDoublePulse, kWaveUser1,
                       kWaveUser2})
        expectMirrored(wave(number));
}

TEST(BasicWaves, ShapesOfTheFixedWaves)
{
    std::vector<int> triangle = wave(kWaveTriangle);
    EXPECT_EQ(triangle[0], 0);
    EXPECT_EQ(triangle[63], 126);
    EXPECT_EQ(triangle[64], 126);
    EXPECT_EQ(triangle[127], 0);

    std::vector<int> square = wave(kWaveSquare);
    EXPECT_EQ(square[0], -128);
    EXPECT_EQ(square[255], 127);

    std::vector<int> organ = wave(kWaveFullOrgan);
    EXPECT_EQ(organ[0], -126);
    EXPECT_EQ(organ[0x7C], 42 * 5 - 126);
    EXPECT_EQ(organ[3], -126); // bits 0 and 1 do not count

    std::vector<int> harpsichord = wave(kWaveHarpsichord);
    EXPECT_EQ(harpsichord[0], 0);
    EXPECT_EQ(harpsichord[1], 3);
    EXPECT_EQ(harpsichord[2], 6);
    EXPECT_EQ(harpsichord[3], 9);

    std::vector<int> lead = wave(kWaveStrongLead);
    EXPECT_EQ(lead[0], -128);
    EXPECT_EQ(lead[127], -128);
    EXPECT_EQ(lead[128], 127);
    EXPECT_EQ(lead[191], 127);
    EXPECT_EQ(lead[192], -128);
    EXPECT_EQ(lead[254], 127);
    EXPECT_EQ(lead[255], -128);

    std::vector<int> doublePulse = wave(kWaveDoublePulse);
    EXPECT_EQ(doublePulse[15], -128);
    EXPECT_EQ(doublePulse[16], 127);
    EXPECT_EQ(doublePulse[32], 0);

    std::vector<int> gritty = wave(kWaveGritty);
    EXPECT_EQ(gritty[0], -13); // 0xf3
    EXPECT_EQ(gritty[2], 0x56);
    EXPECT_EQ(gritty[255], -60); // 0xc4
}

TEST(BasicWaves, UserWavesComeFromTheirHarmonics)
{
    std::vector<int> user1 = wave(kWaveUser1);
    std::vector<int> user2 = wave(kWaveUser2);
    EXPECT_EQ(user1[64], (255 * 100) >> 8); // fundamental at its peak
    EXPECT_EQ(user2[64], (-255 * 100) >> 8); // third harmonic at its trough
}

TEST(BasicWaves, NumbersWithoutATableAreSilent)
{
    for (int number : {static_cast<int>(kWaveAudioInput), -1, -2, 99})
        EXPECT_EQ(wave(number), std::vector<int>(256, 0));
}
