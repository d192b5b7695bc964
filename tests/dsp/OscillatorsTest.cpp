#include "TestSignals.h"
#include "dsp/AudioInput.h"
#include "dsp/BasicWaves.h"
#include "dsp/OscillatorsReference.h"
#include "dsp/OscillatorsSse.h"
#include "dsp/Random.h"
#include "simd/SystemInfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace
{
constexpr int kNote69 = 189 * 65536;

// One oscillator section with its voice records, ready to render.
struct Rig
{
    Rig(std::unique_ptr<OscillatorsFloat> section, int ticks, float rate = 44100.0f)
        : osc(std::move(section)), records(Oscillators::kVoices)
    {
        osc->setSampleRate(rate);
        osc->waveMipMap().setSampleRate(rate);
        osc->setBlockSize(ticks);
        osc->assignVoiceBuffers(records.data());
    }

    void setPitch(int voice, std::int32_t pitch)
    {
        for (int t = 0; t < osc->ticks(); ++t)
            records[voice].pitch1[t] = records[voice].pitch2[t] = pitch;
    }

    void setPulseWidth(int voice, std::int16_t width)
    {
        for (int t = 0; t < osc->ticks(); ++t)
            records[voice].pulseWidth1[t] = records[voice].pulseWidth2[t] = width;
    }

    void render(std::uint64_t low, std::uint64_t high, int osc1Wave, int osc2Wave, int source)
    {
        const std::uint64_t mask[2] = {low, high};
        const WaveChange whole{osc1Wave, osc2Wave, source, osc->ticks()};
        osc->process(mask, &whole, 1, phaseReset);
    }

    void finishTables()
    {
        while (osc->waveMipMap().rebuildPending())
            osc->waveMipMap().rebuildStep();
    }

    std::vector<float> block(float* audio) const
    {
        return std::vector<float>(audio, audio + osc->ticks() * Oscillators::kTickSamples);
    }

    std::unique_ptr<OscillatorsFloat> osc;
    std::vector<VoiceBuffers> records;
    std::uint64_t phaseReset[2][2] = {};
};

std::unique_ptr<OscillatorsFloat> variant(bool sse)
{
    if (sse)
        return std::make_unique<OscillatorsSse>();
    return std::make_unique<OscillatorsReference>();
}

// The samples from the first rising zero crossing to the last: whole cycles.
std::vector<float> wholeCycles(const std::vector<float>& samples)
{
    std::size_t first = 0, last = 0;
    for (std::size_t n = 1; n < samples.size(); ++n)
        if (samples[n - 1] <= 0.0f && samples[n] > 0.0f)
        {
            if (first == 0)
                first = n;
            last = n;
        }
    return std::vector<float>(samples.begin() + first, samples.begin() + last);
}

double positiveFraction(const std::vector<float>& samples)
{
    int positive = 0;
    for (float s : samples)
        positive += s > 0.0f;
    return static_cast<double>(positive) / samples.size();
}

double mean(const std::vector<float>& samples)
{
    double sum = 0;
    for (float s : samples)
        sum += s;
    return sum / samples.size();
}

double lagOneCorrelation(const std::vector<float>& x)
{
    double m = mean(x), num = 0, den = 0;
    for (std::size_t i = 0; i + 1 < x.size(); ++i)
    {
        num += (x[i] - m) * (x[i + 1] - m);
        den += (x[i] - m) * (x[i] - m);
    }
    return num / den;
}
}

TEST(Oscillators, WhiteNoiseFromSeedZero)
{
    for (bool sse : {false, true})
    {
        Rig rig(variant(sse), 2);
        rig.osc->reset();
        rig.render(1, 0, kWaveTriangle, kWaveTriangle, kSourceWhiteNoise);
        const float* noise = rig.records[0].thirdSourceAudio;
        EXPECT_EQ(bitsOf(noise[0]), 0x3F000000u) << sse;
        EXPECT_EQ(bitsOf(noise[1]), 0x3F0D9500u) << sse;
        EXPECT_EQ(bitsOf(noise[2]), 0xBF145F00u) << sse;
        EXPECT_EQ(bitsOf(noise[3]), 0x3F1AAF00u) << sse;
        EXPECT_EQ(bitsOf(noise[4]), 0x3F4B8000u) << sse;
        for (int n = 0; n < 128; ++n)
        {
            EXPECT_GE(std::fabs(noise[n]), 0.5f);
            EXPECT_LT(std::fabs(noise[n]), 1.0f);
        }
    }
}

TEST(Oscillators, VoicesGetTheirOwnNoiseSeedsUntilReset)
{
    for (bool sse : {false, true})
    {
        seedRandom(11);
        Rig rig(variant(sse), 1);
        rig.render(3, 0, kWaveTriangle, kWaveTriangle, kSourceWhiteNoise);
        EXPECT_NE(rig.block(rig.records[0].thirdSourceAudio), rig.block(rig.records[1].thirdSourceAudio));

        rig.osc->reset();
        rig.render(3, 0, kWaveTriangle, kWaveTriangle, kSourceWhiteNoise);
        EXPECT_EQ(rig.block(rig.records[0].thirdSourceAudio), rig.block(rig.records[1].thirdSourceAudio));
    }
}

TEST(Oscillators, NoiseContinuesAcrossBlocks)
{
    for (bool sse : {false, true})
    {
        Rig rig(variant(sse), 2);
        rig.osc->reset();
        rig.render(1, 0, kWaveTriangle, kWaveTriangle, kSourceWhiteNoise);
        const float second = rig.records[0].thirdSourceAudio[64];
        rig.osc->reset();
        const std::uint64_t mask[2] = {1, 0};
        const WaveChange halves[2] = {{0, 0, kSourceWhiteNoise, 1}, {0, 0, kSourceWhiteNoise, 2}};
        rig.osc->process(mask, halves, 2, rig.phaseReset);
        EXPECT_EQ(rig.records[0].thirdSourceAudio[64], second);
    }
}

TEST(Oscillators, PulseWidthSetsTheDutyCycleAndZeroIsSilent)
{
    for (bool sse : {false, true})
    {
        Rig rig(variant(sse), 64);
        rig.setPitch(0, kNote69);
        rig.render(1, 0, kWavePulse, kWavePwm, kSourceWhiteNoise);
        rig.finishTables();

        rig.setPulseWidth(0, 512);
        rig.render(1, 0, kWavePulse, kWavePwm, kSourceWhiteNoise);
        std::vector<float> half = wholeCycles(rig.block(rig.records[0].osc1Audio));
        EXPECT_NEAR(positiveFraction(half), 0.5, 0.01);
        EXPECT_NEAR(mean(half), 0.0, 0.01);

        rig.setPulseWidth(0, 256);
        rig.render(1, 0, kWavePulse, kWavePwm, kSourceWhiteNoise);
        std::vector<float> quarter = wholeCycles(rig.block(rig.records[0].osc2Audio));
        EXPECT_NEAR(positiveFraction(quarter), 0.25, 0.01);
        EXPECT_NEAR(mean(quarter), 0.0, 0.01);

        rig.setPulseWidth(0, 0);
        rig.render(1, 0, kWavePulse, kWavePwm, kSourceWhiteNoise);
        EXPECT_EQ(rig.block(rig.records[0].osc1Audio), std::vector<float>(64 * 64, 0.0f));
    }
}

TEST(Oscillators, ToneHasThePitchedFrequency)
{
    for (bool sse : {false, true})
    {
        const int ticks = 256;
        Rig rig(variant(sse), ticks);
        rig.setPitch(0, kNote69);
        rig.render(1, 0, kWaveTriangle, kWaveSawtooth, kSourceWhiteNoise);
        rig.finishTables();
        rig.render(1, 0, kWaveTriangle, kWaveSawtooth, kSourceWhiteNoise);
        std::vector<float> tone = rig.block(rig.records[0].osc1Audio);
        int first = -1, last = -1, crossings = 0;
        for (int n = 1; n < static_cast<int>(tone.size()); ++n)
            if (tone[n - 1] < 0.0f && tone[n] >= 0.0f)
            {
                if (first < 0)
                    first = n;
                last = n;
                ++crossings;
            }
        const double frequency = (crossings - 1) * 88200.0 / (last - first);
        EXPECT_NEAR(frequency, 440.0, 0.5) << sse;
    }
}

TEST(Oscillators, PhaseAdvancesByTheStepPerSample)
{
    for (bool sse : {false, true})
    {
        Rig rig(variant(sse), 3);
        rig.setPitch(0, kNote69);
        rig.render(1, 0, kWaveSawtooth, kWaveSawtooth, kSourceWhiteNoise);
        const std::uint32_t expected = (3u * 64u * rig.osc->waveMipMap().pitchToStep(kNote69)) & 0xFFFFFFu;
        const std::uint32_t phase = rig.osc->phase(0, 0) & 0xFFFFFFu;
        EXPECT_LE(std::abs(static_cast<int>(phase - expected)), 1) << sse;
    }
}

TEST(Oscillators, IdleVoicesRestartAtPhaseZeroAfterAWaveChange)
{
    for (bool sse : {false, true})
    {
        Rig rig(variant(sse), 2);
        rig.setPitch(0, kNote69);
        rig.setPitch(1, kNote69);
        rig.render(3, 0, kWaveTriangle, kWaveTriangle, kSourceWhiteNoise);
        const std::uint32_t sounding = rig.osc->phase(0, 0);
        ASSERT_NE(sounding, 0u);
        ASSERT_EQ(rig.osc->phase(0, 1), sounding);
        rig.phaseReset[0][0] = rig.phaseReset[0][1] = 0;
        rig.phaseReset[1][0] = rig.phaseReset[1][1] = 0;

        // Oscillator 1 changes wave; voice 1 is idle in this block.
        rig.render(1, 0, kWaveSquare, kWaveTriangle, kSourceWhiteNoise);
        EXPECT_NE(rig.osc->phase(0, 0), 0u);
        EXPECT_EQ(rig.phaseReset[0][0] & 1u, 1u); // a sounding voice keeps its bit
        EXPECT_EQ(rig.osc->phase(0, 1), 0u);
        EXPECT_EQ(rig.phaseReset[0][0] & 2u, 0u);
        // Oscillator 2 kept its wave: voice 1's phase stays where it was.
        EXPECT_EQ(rig.osc->phase(1, 1), sounding);
    }
}

TEST(Oscillators, AudioInputFeedsTheThirdSourceAndOscillatorOne)
{
    for (bool sse : {false, true})
    {
        Rig rig(variant(sse), 2);
        AudioInput input;
        input.setBlockSize(64);
        std::vector<float> left(64, 0.25f), right(64, 0.25f);
        const float* channels[2] = {left.data(), right.data()};
        input.setInputs(channels, 0, 64);
        rig.osc->setAudioInput(&input);
        rig.render(1, 0, kWaveAudioInput, kWaveTriangle, kSourceAudioInput);
        const std::vector<float> expected(128, 0.25f * 2 * 0.9f);
        EXPECT_EQ(rig.block(rig.records[0].osc1Audio), expected);
        EXPECT_EQ(rig.block(rig.records[0].thirdSourceAudio), expected);
    }
}

TEST(Oscillators, SegmentsBeyondTheBlockAreCut)
{
    Rig rig(variant(true), 2);
    const std::uint64_t all[2] = {~0ull, ~0ull};
    const WaveChange changes[3] = {{0, 0, 0, -4}, {1, 1, 2, 1}, {2, 3, 0, 9999}};
    rig.osc->process(all, changes, 3, rig.phaseReset);
    for (int v = 0; v < Oscillators::kVoices; ++v)
        EXPECT_NE(rig.records[v].thirdSourceAudio[127], 0.0f);
}

TEST(Oscillators, PinkNoiseLeansToLowFrequencies)
{
    for (bool sse : {false, true})
    {
        Rig rig(variant(sse), 64);
        rig.render(1, 0, kWaveTriangle, kWaveTriangle, kSourceWhiteNoise);
        EXPECT_LT(std::fabs(lagOneCorrelation(rig.block(rig.records[0].thirdSourceAudio))), 0.05);
        rig.render(1, 0, kWaveTriangle, kWaveTriangle, kSourcePinkNoise);
        EXPECT_GT(lagOneCorrelation(rig.block(rig.records[0].thirdSourceAudio)), 0.5);
    }
}

TEST(Oscillators, SseMatchesReferenceOverRandomSegments)
{
    std::mt19937 random(2024);
    for (int round = 0; round < 6; ++round)
    {
        const int ticks = 4 + static_cast<int>(random() % 20);
        seedRandom(round);
        Rig reference(variant(false), ticks, round % 2 ? 48000.0f : 44100.0f);
        seedRandom(round);
        Rig sse(variant(true), ticks, round % 2 ? 48000.0f : 44100.0f);

        for (int block = 0; block < 12; ++block)
        {
            for (int v = 0; v < Oscillators::kVoices; ++v)
                for (int t = 0; t < ticks; ++t)
                {
                    // Mostly musical pitches, sometimes far outside the table.
                    std::int32_t pitch = static_cast<std::int32_t>(random() % (200 * 65536)) + 100 * 65536;
                    if (random() % 50 == 0)
                        pitch = static_cast<std::int32_t>(random());
                    std::int16_t width = static_cast<std::int16_t>(random() % 1025);
                    if (random() % 50 == 0)
                        width = static_cast<std::int16_t>(random());
                    for (Rig* rig : {&reference, &sse})
                    {
                        rig->records[v].pitch1[t] = pitch;
                        rig->records[v].pitch2[t] = pitch + 7 * 65536;
                        rig->records[v].pulseWidth1[t] = width;
                        rig->records[v].pulseWidth2[t] = static_cast<std::int16_t>(1024 - width);
                    }
                }

            std::vector<WaveChange> changes;
            int end = 0;
            while (end < ticks)
            {
                end = std::min(ticks, end + static_cast<int>(random() % 5));
                changes.push_back({static_cast<std::int32_t>(random() % 12), static_cast<std::int32_t>(random() % 12),
                                   random() % 2 ? kSourceWhiteNoise : kSourcePinkNoise, end});
            }
            const std::uint64_t mask[2] = {(static_cast<std::uint64_t>(random()) << 32) | random(),
                                           (static_cast<std::uint64_t>(random()) << 32) | random()};
            for (Rig* rig : {&reference, &sse})
                rig->osc->process(mask, changes.data(), static_cast<int>(changes.size()), rig->phaseReset);

            for (int v = 0; v < Oscillators::kVoices; ++v)
            {
                ASSERT_EQ(reference.osc->phase(0, v), sse.osc->phase(0, v)) << "voice " << v;
                ASSERT_EQ(reference.osc->phase(1, v), sse.osc->phase(1, v)) << "voice " << v;
                if (!((mask[v / 64] >> (v % 64)) & 1u))
                    continue;
                const VoiceBuffers& a = reference.records[v];
                const VoiceBuffers& b = sse.records[v];
                for (int n = 0; n < ticks * 64; ++n)
                {
                    ASSERT_NEAR(a.osc1Audio[n], b.osc1Audio[n], 1e-6f) << "voice " << v << " sample " << n;
                    ASSERT_NEAR(a.osc2Audio[n], b.osc2Audio[n], 1e-6f) << "voice " << v << " sample " << n;
                    ASSERT_EQ(bitsOf(a.thirdSourceAudio[n]), bitsOf(b.thirdSourceAudio[n]))
                        << "voice " << v << " sample " << n;
                }
            }
            // Both rebuild their tables at the same pace.
            reference.osc->waveMipMap().rebuildStep();
            sse.osc->waveMipMap().rebuildStep();
        }
    }
}

TEST(Oscillators, CreateChoosesTheVariantOnce)
{
    SystemInfo::forcePortable(true);
    std::unique_ptr<OscillatorsFloat> portable = OscillatorsFloat::create();
    SystemInfo::forcePortable(false);
    std::unique_ptr<OscillatorsFloat> fast = OscillatorsFloat::create();
    EXPECT_NE(dynamic_cast<OscillatorsReference*>(portable.get()), nullptr);
    EXPECT_NE(dynamic_cast<OscillatorsSse*>(fast.get()), nullptr);
}

TEST(Oscillators, NewBuffersStartCleared)
{
    Rig rig(variant(true), 3);
    rig.setPitch(5, kNote69);
    rig.render(~0ull, ~0ull, kWaveSawtooth, kWaveSquare, kSourcePinkNoise);
    rig.osc->setBlockSize(4);
    rig.osc->assignVoiceBuffers(rig.records.data());
    for (const VoiceBuffers& r : rig.records)
    {
        for (int n = -64; n < 4 * 64; ++n)
        {
            ASSERT_EQ(r.osc1Audio[n], 0.0f);
            ASSERT_EQ(r.osc2Audio[n], 0.0f);
            ASSERT_EQ(r.thirdSourceAudio[n], 0.0f);
        }
        for (int t = 0; t < 4; ++t)
        {
            ASSERT_EQ(r.pitch1[t], 0);
            ASSERT_EQ(r.pitch2[t], 0);
            ASSERT_EQ(r.pulseWidth1[t], 0);
            ASSERT_EQ(r.pulseWidth2[t], 0);
        }
    }
}
