#include "dsp/OscillatorMixer.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
constexpr int kTicks = 4;
constexpr int kStride = (kTicks + 1) * 64;

// The mixer with input buffers shaped like the oscillator section's.
struct MixerRig
{
    MixerRig() : records(OscillatorMixer::kVoices), inputs(3 * OscillatorMixer::kVoices * kStride)
    {
        for (int v = 0; v < OscillatorMixer::kVoices; ++v)
        {
            records[v].osc1Audio = &inputs[(3 * v + 0) * kStride + 64];
            records[v].osc2Audio = &inputs[(3 * v + 1) * kStride + 64];
            records[v].thirdSourceAudio = &inputs[(3 * v + 2) * kStride + 64];
            // Distinct ramps, so a mixed sample tells which inputs went in.
            for (int n = -64; n < kTicks * 64; ++n)
            {
                records[v].osc1Audio[n] = 0.5f + n * 0.001f;
                records[v].osc2Audio[n] = -0.25f + n * 0.002f;
                records[v].thirdSourceAudio[n] = 0.125f - n * 0.003f;
            }
        }
        mixer.setBlockSize(kTicks);
        mixer.assignVoiceBuffers(records.data());
    }

    void setGains(int voice, int tick, float a, float b, float c, float r)
    {
        records[voice].osc1Gain[tick] = a;
        records[voice].osc2Gain[tick] = b;
        records[voice].noiseGain[tick] = c;
        records[voice].ringGain[tick] = r;
    }

    float expected(int voice, int n, float a, float b, float c, float r) const
    {
        const float o1 = records[voice].osc1Audio[n];
        const float o2 = records[voice].osc2Audio[n];
        return a * o1 + b * o2 + c * records[voice].thirdSourceAudio[n] + r * o1 * o2;
    }

    OscillatorMixer mixer;
    std::vector<VoiceBuffers> records;
    std::vector<float> inputs;
};

const std::uint64_t kVoice0[2] = {1, 0};
}

TEST(OscillatorMixer, EachGainScalesItsOwnStream)
{
    MixerRig rig;
    const float gains[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    for (const auto& g : gains)
    {
        rig.setGains(0, 0, g[0], g[1], g[2], g[3]);
        rig.mixer.process(64, 0, kVoice0);
        for (int n = 0; n < 64; ++n)
            ASSERT_FLOAT_EQ(rig.records[0].mixerOutput[n], rig.expected(0, n, g[0], g[1], g[2], g[3])) << n;
    }
    EXPECT_FLOAT_EQ(rig.records[0].mixerOutput[10],
                    rig.records[0].osc1Audio[10] * rig.records[0].osc2Audio[10]); // ring
}

TEST(OscillatorMixer, GainChangeTakesEffectAtItsTick)
{
    MixerRig rig;
    for (int t = 0; t < kTicks; ++t)
        rig.setGains(0, t, 0.1f * (t + 1), 0.0f, 0.0f, 0.0f);
    rig.mixer.process(kTicks * 64, 0, kVoice0);
    for (int n = 0; n < kTicks * 64; ++n)
        ASSERT_FLOAT_EQ(rig.records[0].mixerOutput[n], rig.expected(0, n, 0.1f * (n / 64 + 1), 0, 0, 0)) << n;
}

TEST(OscillatorMixer, PartialTickGainsCarryIntoTheNextBlock)
{
    MixerRig rig;
    rig.setGains(0, 0, 1.0f, 0, 0, 0);
    rig.setGains(0, 1, 0.5f, 0, 0, 0);
    rig.setGains(0, 2, 9.0f, 0, 0, 0);
    // 100 samples: tick 0 whole, then 36 samples with tick 1's gains.
    rig.mixer.process(100, 0, kVoice0);
    EXPECT_FLOAT_EQ(rig.records[0].mixerOutput[63], rig.expected(0, 63, 1.0f, 0, 0, 0));
    EXPECT_FLOAT_EQ(rig.records[0].mixerOutput[99], rig.expected(0, 99, 0.5f, 0, 0, 0));

    // Next block, 28 samples carried: they keep tick 1's gains.
    rig.setGains(0, 0, 2.0f, 0, 0, 0);
    rig.mixer.process(100, 28, kVoice0);
    for (int n = -28; n < 0; ++n)
        ASSERT_FLOAT_EQ(rig.records[0].mixerOutput[n], rig.expected(0, n, 0.5f, 0, 0, 0)) << n;
    EXPECT_FLOAT_EQ(rig.records[0].mixerOutput[0], rig.expected(0, 0, 2.0f, 0, 0, 0));
}

TEST(OscillatorMixer, CarryCoveringTheBlockUsesThePreviousGains)
{
    MixerRig rig;
    rig.setGains(0, 0, 0.75f, 0.25f, 0, 0);
    rig.mixer.process(32, 0, kVoice0); // partial tick: its gains become the last
    rig.setGains(0, 0, 5.0f, 5.0f, 5.0f, 5.0f);
    rig.mixer.process(20, 32, kVoice0);
    for (int n = -32; n < -12; ++n)
        ASSERT_FLOAT_EQ(rig.records[0].mixerOutput[n], rig.expected(0, n, 0.75f, 0.25f, 0, 0)) << n;
}

TEST(OscillatorMixer, VoicesOutsideTheMaskAreUntouched)
{
    MixerRig rig;
    for (int v = 0; v < OscillatorMixer::kVoices; ++v)
        rig.setGains(v, 0, 1.0f, 0, 0, 0);
    const std::uint64_t voice70[2] = {0, 1ull << 6};
    rig.mixer.process(64, 0, voice70);
    EXPECT_FLOAT_EQ(rig.records[70].mixerOutput[5], rig.expected(70, 5, 1.0f, 0, 0, 0));
    EXPECT_EQ(rig.records[0].mixerOutput[5], 0.0f);
    EXPECT_EQ(rig.records[71].mixerOutput[5], 0.0f);
}

TEST(OscillatorMixer, CountsBeyondTheBlockStopAtTheLastTick)
{
    MixerRig rig;
    rig.setGains(0, kTicks - 1, 1.0f, 0, 0, 0);
    rig.mixer.process(kTicks * 64 + 500, 0, kVoice0);
    EXPECT_FLOAT_EQ(rig.records[0].mixerOutput[kTicks * 64 - 1], rig.expected(0, kTicks * 64 - 1, 1.0f, 0, 0, 0));
}

TEST(OscillatorMixer, NewBuffersStartCleared)
{
    MixerRig rig;
    rig.setGains(3, 0, 1.0f, 1.0f, 1.0f, 1.0f);
    rig.mixer.setBlockSize(kTicks);
    rig.mixer.assignVoiceBuffers(rig.records.data());
    for (const VoiceBuffers& r : rig.records)
    {
        for (int n = -64; n < kTicks * 64; ++n)
            ASSERT_EQ(r.mixerOutput[n], 0.0f);
        for (int t = 0; t < kTicks; ++t)
            ASSERT_EQ(r.osc1Gain[t] + r.osc2Gain[t] + r.noiseGain[t] + r.ringGain[t], 0.0f);
    }
}
