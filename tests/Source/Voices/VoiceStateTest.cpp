#include "Source/Voices/VoiceState.h"

#include "Source/Voices/EventCodes.h"
#include "tests/Source/Voices/GroupBench.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr std::int32_t kRound = VoiceState::kPitchRounding;

// One group of one voice holding a note, its outputs read after a tick.
struct OneVoice
{
    explicit OneVoice(int note = 69, int voices = 1) : bench(voices, 1)
    {
        bench.oscillators.drive = 1.0f;
        bench.send(EventCode::NoteStart, GroupBench::groupBit(0) + note + (64 << 8));
    }

    const VoiceState& voice(int i = 0) const { return bench.groups[0].voice(i); }
    const VoiceBuffers& out(int i = 0) const { return bench.records[voice(i).index()]; }

    void tick() { bench.groups[0].tick(0, false); }

    GroupBench bench;
};

std::uint32_t cutoffA(std::uint32_t word)
{
    return word & 255;
}
std::uint32_t dampingA(std::uint32_t word)
{
    return (word >> 8) & 255;
}
std::uint32_t cutoffB(std::uint32_t word)
{
    return (word >> 16) & 255;
}
}

TEST(VoiceState, PitchCarriesTheNoteAndTheOscillatorOffsets)
{
    OneVoice v(69);
    v.bench.oscillators.osc2Octave = 1;
    v.bench.oscillators.osc2Transpose = 2;
    v.bench.oscillators.osc2Detune = 10 * 655;
    v.tick();
    EXPECT_EQ(v.out().pitch1[0], 189 * 65536 + kRound);
    EXPECT_EQ(v.out().pitch2[0], (189 + 14) * 65536 + 6550 + kRound);
    v.bench.oscillators.masterPitchOffset = (12 + 120) * 65536;
    v.tick();
    EXPECT_EQ(v.out().pitch1[0], (189 + 12) * 65536 + kRound);
}

TEST(VoiceState, SecondOscillatorGoesBelowTheFirst)
{
    OneVoice v(69);
    v.bench.oscillators.osc2Octave = -2;
    v.bench.oscillators.osc2Transpose = -5;
    v.bench.oscillators.osc2Detune = -655;
    v.tick();
    EXPECT_EQ(v.out().pitch1[0], 189 * 65536 + kRound);
    EXPECT_EQ(v.out().pitch2[0], (189 - 29) * 65536 - 655 + kRound);
}

TEST(VoiceState, UnisonDetuneSpreadsTheStack)
{
    OneVoice v(60, 3);
    v.bench.oscillators.unisonDetune = 9 * 655;
    v.tick();
    EXPECT_EQ(v.out(0).pitch1[0], 180 * 65536 + kRound);
    EXPECT_EQ(v.out(1).pitch1[0], 180 * 65536 + 9 * 655 + kRound);
    EXPECT_EQ(v.out(2).pitch1[0], 180 * 65536 - 9 * 655 + kRound);
}

TEST(VoiceState, BendMovesBothOscillators)
{
    OneVoice v;
    v.bench.groups[0].setBendTarget(2047);
    v.tick();
    EXPECT_EQ(v.out().pitch1[0], 189 * 65536 + 2047 + kRound);
    EXPECT_EQ(v.out().pitch2[0], 189 * 65536 + 2047 + kRound);
}

TEST(VoiceState, MixerGainsCrossFadeTheSources)
{
    OneVoice v;
    v.bench.oscillators.oscMix = 0;
    v.tick();
    EXPECT_FLOAT_EQ(v.out().osc1Gain[0], 0.0f);
    EXPECT_FLOAT_EQ(v.out().osc2Gain[0], 1.0f);
    v.bench.oscillators.oscMix = 100;
    v.tick();
    EXPECT_FLOAT_EQ(v.out().osc1Gain[0], 1.0f);
    EXPECT_FLOAT_EQ(v.out().osc2Gain[0], 0.0f);
    // Noise takes over oscillator 2's share; ring modulation takes the noise's.
    v.bench.oscillators.oscMix = 0;
    v.bench.oscillators.noiseMix = 100;
    v.tick();
    EXPECT_FLOAT_EQ(v.out().osc2Gain[0], 0.0f);
    EXPECT_FLOAT_EQ(v.out().noiseGain[0], 1.0f);
    EXPECT_FLOAT_EQ(v.out().ringGain[0], 0.0f);
    v.bench.oscillators.ringModulation = 2;
    v.tick();
    EXPECT_FLOAT_EQ(v.out().noiseGain[0], 0.0f);
    EXPECT_FLOAT_EQ(v.out().ringGain[0], 1.0f);
    v.bench.oscillators.ringModulation = 1;
    v.tick();
    EXPECT_FLOAT_EQ(v.out().noiseGain[0], 0.5f);
    EXPECT_FLOAT_EQ(v.out().ringGain[0], 0.5f);
}

TEST(VoiceState, DriveAndVelocitySetTheLevel)
{
    OneVoice v;
    v.bench.oscillators.drive = 0.5f;
    v.bench.oscillators.oscMix = 100;
    // Vel->Drive 100 %: velocity 127 nearly doubles the level.
    v.bench.control.driveVelocityFixed = 0.0f;
    v.bench.control.driveVelocityPer = 1.0f / 64.0f;
    v.bench.send(EventCode::NoteStart, GroupBench::groupBit(0) + 69 + (127 << 8));
    v.tick();
    EXPECT_FLOAT_EQ(v.out().osc1Gain[0], 0.5f * 127.0f / 64.0f);
}

TEST(VoiceState, PulseWidthIndexNeverLeavesItsRange)
{
    for (int wave : {3, 4})
    {
        for (std::int64_t width : {50, 75, 99})
        {
            for (std::int64_t amount : {-255, 0, 255})
            {
                OneVoice v;
                v.bench.oscillators.wave[0] = wave;
                v.bench.oscillators.wave[1] = wave;
                v.bench.oscillators.pulseWidth[0] = v.bench.oscillators.pulseWidth[1] = width;
                v.bench.oscillators.pulseWidth16[0] = v.bench.oscillators.pulseWidth16[1] =
                    static_cast<std::int16_t>((width * 671089) >> 16);
                v.bench.aux.destination = 4;
                v.bench.aux.scaledEnvelopeAmount = amount;
                v.bench.envelopes[0].attackStep = 1 << 24;
                v.bench.envelopes[0].sustain = (1 << 24) - 1;
                v.bench.send(EventCode::GateOn, GroupBench::groupBit(0) | 64);
                for (int t = 0; t < 3000; ++t)
                {
                    v.tick();
                    for (std::int16_t w : {v.out().pulseWidth1[0], v.out().pulseWidth2[0]})
                    {
                        ASSERT_GE(w, 10) << wave << " " << width << " " << amount;
                        ASSERT_LE(w, 1013) << wave << " " << width << " " << amount;
                    }
                }
            }
        }
    }
}

TEST(VoiceState, PwmSweepsAroundTheCentre)
{
    OneVoice v;
    v.bench.oscillators.wave[0] = 4;
    v.bench.oscillators.pulseWidth[0] = 99;
    int lowest = 1024;
    int highest = 0;
    for (int t = 0; t < 20000; ++t)
    {
        v.tick();
        lowest = std::min<int>(lowest, v.out().pulseWidth1[0]);
        highest = std::max<int>(highest, v.out().pulseWidth1[0]);
    }
    EXPECT_LE(lowest, 12);
    EXPECT_GE(highest, 1011);
}

TEST(VoiceState, FilterWordTracksTheKeyboard)
{
    OneVoice centre(66);
    centre.bench.filter.frequency = 128;
    centre.bench.filter.keyTracking = 256;
    centre.tick();
    const std::uint32_t word = centre.out().filterParameters[0];
    EXPECT_EQ(cutoffA(word), 128u);
    EXPECT_EQ(cutoffB(word), 128u);
    EXPECT_EQ(dampingA(word), 255u);

    OneVoice octave(78);
    octave.bench.filter.frequency = 128;
    octave.bench.filter.keyTracking = 256;
    octave.tick();
    // Two cutoff steps per semitone at full tracking.
    EXPECT_EQ(cutoffA(octave.out().filterParameters[0]), 152u);
}

TEST(VoiceState, SeparationAndResonanceShapeTheWord)
{
    OneVoice v(66);
    v.bench.filter.frequency = 128;
    v.bench.filter.separation = 64;
    v.bench.filter.resonance = 200;
    v.tick();
    const std::uint32_t word = v.out().filterParameters[0];
    EXPECT_EQ(cutoffA(word), 120u);
    EXPECT_EQ(cutoffB(word), 136u);
    EXPECT_EQ(dampingA(word), 55u);
    EXPECT_EQ(word >> 24, 55u);
}

TEST(VoiceState, CutoffIndexSaturatesAtBothEnds)
{
    for (int frequency : {0, 255})
    {
        OneVoice v(66);
        v.bench.filter.frequency = static_cast<std::uint8_t>(frequency);
        v.bench.filter.envelopeSource = 1;
        v.bench.filter.envelopeAmount = frequency == 0 ? -127 : 127;
        v.bench.envelopes[1].attackStep = 1 << 24;
        v.bench.envelopes[1].sustain = (1 << 24) - 1;
        v.bench.send(EventCode::GateOn, GroupBench::groupBit(0) | 64);
        for (int t = 0; t < 4; ++t)
            v.tick();
        const std::uint32_t word = v.out().filterParameters[0];
        // The sum saturates at its own top (index 248); only a separation
        // carries filter B past it.
        const std::uint32_t end = frequency == 0 ? 0u : 248u;
        EXPECT_EQ(cutoffA(word), end) << frequency;
        EXPECT_EQ(cutoffB(word), end) << frequency;
    }
}

TEST(VoiceState, LfoToPitchSwingsByItsAmount)
{
    // LFO 1 triangle at 1 Hz, 2 semitones deep, no intro.
    OneVoice v;
    v.bench.lfos[0].increment = static_cast<std::int64_t>(1073741824.0 / 44100.0 + 0.5);
    v.bench.lfos[0].introStep = 1 << 30;
    v.bench.oscillators.lfoToPitch = 32;
    v.bench.send(EventCode::GateOn, GroupBench::groupBit(0) | 64);
    std::int64_t lowest = INT32_MAX;
    std::int64_t highest = 0;
    for (int t = 0; t < 3000; ++t)
    {
        v.tick();
        lowest = std::min<std::int64_t>(lowest, v.out().pitch1[0]);
        highest = std::max<std::int64_t>(highest, v.out().pitch1[0]);
    }
    EXPECT_NEAR(static_cast<double>(highest - 189 * 65536 - kRound) / 65536.0, 2.0, 0.02);
    EXPECT_NEAR(static_cast<double>(189 * 65536 + kRound - lowest) / 65536.0, 2.0, 0.02);
}

TEST(VoiceState, ModWheelDeepensThePitchLfo)
{
    OneVoice v;
    v.bench.lfos[0].increment = 1 << 20;
    v.bench.lfos[0].introStep = 1 << 30;
    v.bench.oscillators.controllerToPitch = 16; // one semitone at full wheel
    v.bench.send(EventCode::GateOn, GroupBench::groupBit(0) | 64);
    std::int64_t swing = 0;
    for (int t = 0; t < 200; ++t)
    {
        v.tick();
        swing = std::max<std::int64_t>(swing, std::abs(v.out().pitch1[0] - 189 * 65536 - kRound));
    }
    EXPECT_EQ(swing, 0);
    v.bench.send(EventCode::ModWheel, GroupBench::groupBit(0) | 127);
    for (int t = 0; t < 200; ++t)
    {
        v.tick();
        swing = std::max<std::int64_t>(swing, std::abs(v.out().pitch1[0] - 189 * 65536 - kRound));
    }
    EXPECT_NEAR(static_cast<double>(swing) / 65536.0, 1.27, 0.05);
}

TEST(VoiceState, NegativeUnisonSpreadPutsTheOuterVoicesAtFixedSides)
{
    OneVoice v(60, 4);
    const float positive[4] = {0.25f, -0.25f, 0.5f, -0.5f};
    const float negative[4] = {0.5f, -0.5f, 0.5f, -0.5f};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_FLOAT_EQ(v.voice(i).spreadPan(0.5f), positive[i]);
        EXPECT_FLOAT_EQ(v.voice(i).spreadPan(-0.5f), negative[i]);
    }
}
