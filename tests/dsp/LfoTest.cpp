#include "dsp/Lfo.h"

#include "dsp/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

namespace
{
std::int64_t floatValue(float f)
{
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// A global LFO and one voice's LFO over the same settings.
struct LfoPair
{
    explicit LfoPair(float rate = 44100.0f)
    {
        parameters.hostSampleRate = rate;
        global.bind(&parameters);
        voice.bind(&parameters);
        voice.follow(&global);
    }

    void set(int setting, std::int64_t value, std::int64_t tick = 0) { global.setParameter(setting, tick, value); }

    // Cycles completed after n ticks of a free-running LFO (two passes each,
    // or one pass for the one-pass waves).
    static double cycles(const Lfo& lfo, std::int64_t passes)
    {
        const double fraction = static_cast<double>(lfo.phase()) / Lfo::kPassLength;
        return lfo.parameters()->shift == 1 ? passes + fraction : (passes + fraction) / 2.0;
    }

    LfoParameters parameters;
    Lfo global;
    Lfo voice;
};

std::int8_t output(Lfo& lfo)
{
    std::uint8_t random = 128;
    return lfo.output(random, 0, 1.0f);
}

// Ticks a lone LFO to the given phase and half, then reads its byte.
std::int8_t waveAt(int wave, std::int64_t phase, int half)
{
    LfoParameters parameters;
    Lfo lfo;
    lfo.bind(&parameters);
    lfo.setParameter(Lfo::kWaveform, 0, wave);
    parameters.shift = 0;
    parameters.increment = Lfo::kPassLength * half + phase;
    lfo.tick();
    return output(lfo);
}
}

TEST(Lfo, FreeRateOfOneHertzTurnsOnceASecond)
{
    LfoPair lfo(44100.0f);
    lfo.set(Lfo::kRate, floatValue(1.0f));
    EXPECT_EQ(lfo.parameters.increment, static_cast<std::int64_t>(1073741824.0 / 44100.0 + 0.5));
    // One second of ticks (32 samples each).
    std::int64_t passes = 0;
    const int ticks = static_cast<int>(44100.0 / 32.0);
    for (int t = 0; t < ticks; ++t)
    {
        lfo.global.tick();
        passes += lfo.global.wrapped() ? 1 : 0;
    }
    EXPECT_NEAR(LfoPair::cycles(lfo.global, passes), 1.0, 1.0 / 1378.0);
}

TEST(Lfo, OnePassWavesKeepTheRate)
{
    for (int wave : {3, 4, 5, 7})
    {
        LfoPair lfo(48000.0f);
        lfo.set(Lfo::kWaveform, wave);
        lfo.set(Lfo::kRate, floatValue(2.0f));
        std::int64_t passes = 0;
        for (int t = 0; t < 1500; ++t) // one second at 48 kHz
        {
            lfo.global.tick();
            passes += lfo.global.wrapped() ? 1 : 0;
        }
        EXPECT_NEAR(LfoPair::cycles(lfo.global, passes), 2.0, 0.01) << wave;
    }
}

TEST(Lfo, ShapesFollowTheirTables)
{
    // Triangle: up through the first pass, down through the second.
    EXPECT_EQ(waveAt(0, 0, 0), -128);
    EXPECT_EQ(waveAt(0, 0xFF0000, 0), 127);
    EXPECT_EQ(waveAt(0, 0, 1), 127);
    EXPECT_EQ(waveAt(0, 0xFF0000, 1), -128);
    // Three and five steps.
    EXPECT_EQ(waveAt(1, 0x300000, 0), -128);
    EXPECT_EQ(waveAt(1, 0x400000, 0), 0);
    EXPECT_EQ(waveAt(1, 0xC00000, 0), 127);
    EXPECT_EQ(waveAt(2, 0x200000, 0), -64);
    // Saws rise over one pass, in 4 and 8 steps for the stepped ones.
    EXPECT_EQ(waveAt(3, 0, 0), -128);
    EXPECT_EQ(waveAt(3, 0xFF0000, 0), 127);
    EXPECT_EQ(waveAt(4, 0x000000, 0), -96);
    EXPECT_EQ(waveAt(4, 0xC00000, 0), 96);
    EXPECT_EQ(waveAt(5, 0x000000, 0), -112);
    EXPECT_EQ(waveAt(5, 0xE00000, 0), 112);
    // Square.
    EXPECT_EQ(waveAt(6, 0x123456, 0), 0);
    EXPECT_EQ(waveAt(6, 0x123456, 1), 127);
    // Pattern 1 and 2.
    EXPECT_EQ(waveAt(7, 0, 0), 40);
    EXPECT_EQ(waveAt(8, 0, 0), 32);
    // Guitar: a raised cosine, 126 at the start of the first pass.
    EXPECT_EQ(waveAt(9, 0, 0), 126);
    EXPECT_EQ(waveAt(9, 0xFF0000, 1), 126);
    EXPECT_EQ(waveAt(9, 0x800000, 0), 63);
}

TEST(Lfo, EveryShapeStaysASignedByteOverAWholeCycle)
{
    for (int wave = 0; wave <= 9; ++wave)
    {
        LfoPair lfo;
        lfo.set(Lfo::kWaveform, wave);
        lfo.parameters.increment = 1 << 18;
        std::set<int> values;
        for (int t = 0; t < 128; ++t)
        {
            lfo.global.tick();
            values.insert(output(lfo.global));
        }
        EXPECT_GE(values.size(), 2u) << wave;
    }
}

TEST(Lfo, FilterEnvelopeShapeFollowsTheEnvelopeLevel)
{
    LfoPair lfo;
    lfo.set(Lfo::kWaveform, 10);
    std::uint8_t random = 128;
    EXPECT_EQ(lfo.global.output(random, 0, 1.0f), 0);
    EXPECT_EQ(lfo.global.output(random, 0xFFFFFF, 1.0f), 127);
    EXPECT_EQ(lfo.global.output(random, 0x800000, 0.5f), 32);
    EXPECT_FALSE(lfo.parameters.syncAllowed);
}

TEST(Lfo, RandomShapeHoldsUntilThePhaseWraps)
{
    seedRandom(7);
    LfoPair lfo;
    lfo.set(Lfo::kWaveform, 11);
    lfo.parameters.increment = Lfo::kPassLength / 4;
    std::uint8_t random = 128;
    std::set<int> drawn;
    int previous = lfo.global.output(random, 0, 1.0f);
    EXPECT_EQ(previous, 0); // the held byte before any wrap is 128
    for (int t = 0; t < 64; ++t)
    {
        lfo.global.tick();
        const int value = lfo.global.output(random, 0, 1.0f);
        if (!lfo.global.wrapped())
        {
            EXPECT_EQ(value, previous);
        }
        drawn.insert(value);
        previous = value;
    }
    EXPECT_GT(drawn.size(), 8u);
}

TEST(Lfo, ClockedModesCopyTheGlobalPhase)
{
    for (int mode : {4, 6})
    {
        LfoPair lfo;
        lfo.set(Lfo::kSync, mode);
        lfo.parameters.increment = 123456;
        for (int t = 0; t < 100; ++t)
        {
            lfo.global.tick();
            lfo.voice.tick();
            ASSERT_EQ(lfo.voice.phase(), lfo.global.phase());
            ASSERT_EQ(lfo.voice.half(), lfo.global.half());
        }
    }
}

TEST(Lfo, VoicesSpreadTheirRateOnlyWhenFreeRunning)
{
    for (int mode = 0; mode <= 10; ++mode)
    {
        LfoParameters parameters;
        Lfo global;
        global.bind(&parameters);
        Lfo a, b;
        for (Lfo* lfo : {&a, &b})
        {
            lfo->bind(&parameters);
            lfo->follow(&global);
        }
        a.setSpread(1);
        b.setSpread(2);
        global.setParameter(Lfo::kSync, 0, mode);
        parameters.increment = 100000;
        for (int t = 0; t < 50; ++t)
        {
            global.tick();
            a.tick();
            b.tick();
        }
        if (mode <= 1)
            EXPECT_NE(a.phase(), b.phase()) << mode;
        else
            EXPECT_EQ(a.phase(), b.phase()) << mode;
    }
}

TEST(Lfo, NoteRestartOnlyInTheRetriggeredModes)
{
    for (int mode = 0; mode <= 10; ++mode)
    {
        LfoPair lfo;
        lfo.set(Lfo::kSync, mode);
        lfo.parameters.increment = 1000003;
        for (int t = 0; t < 20; ++t)
            lfo.voice.tick();
        const std::int64_t before = lfo.voice.phase();
        lfo.voice.noteRestart();
        const bool restarts = mode == 1 || mode == 3 || mode == 5 || mode >= 7;
        if (restarts)
        {
            EXPECT_EQ(lfo.voice.phase(), Lfo::kPhaseMask / 2) << mode;
            EXPECT_EQ(lfo.voice.half(), 0) << mode;
        }
        else
        {
            EXPECT_EQ(lfo.voice.phase(), before) << mode;
        }
    }
    LfoPair saw;
    saw.set(Lfo::kWaveform, 3);
    saw.set(Lfo::kSync, 1);
    saw.parameters.increment = 1000003;
    saw.voice.tick();
    saw.voice.noteRestart();
    EXPECT_EQ(saw.voice.phase(), 0);
}

TEST(Lfo, SyncedRateFollowsTheClockPeriod)
{
    // "Midi-RT" at 4 cycles per bar over a bar of 100 ticks.
    LfoPair lfo;
    lfo.set(Lfo::kSync, 7);
    lfo.set(Lfo::kRate, 4);
    lfo.global.setClockPeriod(100, 0);
    EXPECT_EQ(lfo.parameters.syncIncrement, static_cast<std::int64_t>(4.0 / 100.0 * 33554432.0 + 0.5));
    EXPECT_EQ(lfo.parameters.increment, lfo.parameters.syncIncrement);
    // Two bars: 8 cycles, 16 passes.
    std::int64_t passes = 0;
    for (int t = 0; t < 200; ++t)
    {
        lfo.global.tick();
        passes += lfo.global.wrapped() ? 1 : 0;
    }
    EXPECT_NEAR(LfoPair::cycles(lfo.global, passes), 8.0, 0.001);

    // "Midi-RT 2 br": the same value now counts cycles per two bars.
    lfo.set(Lfo::kSync, 8);
    lfo.set(Lfo::kRate, 4);
    EXPECT_FLOAT_EQ(lfo.parameters.ratio, 2.0f);
}

TEST(Lfo, ClockModeResyncEndsTheCycleOnTheGrid)
{
    // "Clock" with one cycle per clock period of 40 ticks, the next clock
    // tick 25 ticks away: the LFO is bent so its cycle ends there, then runs
    // at the nominal rate.
    LfoPair lfo;
    lfo.set(Lfo::kSync, 4);
    lfo.set(Lfo::kRate, 1);
    lfo.global.setNextClockTick(25);
    lfo.global.setClockPeriod(40, 0);
    EXPECT_TRUE(lfo.global.rateRestorePending());
    int wrapsAt[4] = {};
    int wraps = 0;
    for (int t = 1; t <= 110 && wraps < 4; ++t)
    {
        lfo.global.tick();
        if (lfo.global.wrapped())
            wrapsAt[wraps++] = t;
    }
    ASSERT_GE(wraps, 4);
    // The second wrap ends the bent cycle on the clock tick (give or take
    // one tick of rounding); the nominal rate then takes over.
    EXPECT_NEAR(wrapsAt[1], 25, 1);
    EXPECT_FALSE(lfo.global.rateRestorePending());
    EXPECT_NEAR(wrapsAt[3], 65, 1);
}

TEST(Lfo, FreeModesIgnoreTheClock)
{
    LfoPair lfo;
    lfo.set(Lfo::kRate, floatValue(3.0f));
    const std::int64_t increment = lfo.parameters.increment;
    lfo.global.setNextClockTick(5);
    lfo.global.setClockPeriod(17, 0);
    EXPECT_EQ(lfo.parameters.increment, increment);
}

TEST(Lfo, SyncModeChangeRestoresTheFreeRate)
{
    LfoPair lfo;
    lfo.set(Lfo::kRate, floatValue(2.0f));
    const std::int64_t free = lfo.parameters.freeIncrement;
    lfo.set(Lfo::kSync, 7);
    lfo.set(Lfo::kRate, 2);
    lfo.global.setClockPeriod(64, 0);
    EXPECT_NE(lfo.parameters.increment, free);
    lfo.set(Lfo::kSync, 0);
    EXPECT_EQ(lfo.parameters.increment, free);
    EXPECT_EQ(lfo.global.phase(), 0);
}

TEST(Lfo, IntroStepCoversTheRangeInTheGivenTime)
{
    LfoPair lfo(48000.0f);
    lfo.set(Lfo::kIntro, floatValue(2.0f));
    // 2 s is 3000 ticks of 32 samples; the intro counts 2^24 in that time.
    EXPECT_NEAR(static_cast<double>(lfo.parameters.introStep) * 3000.0, 16777216.0, 16777216.0 * 0.001);
    lfo.set(Lfo::kIntro, floatValue(0.0f));
    EXPECT_GE(lfo.parameters.introStep, 1 << 24);
}

TEST(Lfo, ZeroClockRateIsIgnored)
{
    LfoPair lfo;
    lfo.set(Lfo::kSync, 7);
    lfo.set(Lfo::kRate, 0);
    lfo.global.setClockPeriod(64, 0);
    EXPECT_TRUE(std::isfinite(lfo.parameters.cycleLength));
    EXPECT_EQ(lfo.parameters.syncIncrement, 0);
}
