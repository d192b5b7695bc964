#include "Source/Voices/NoteControl.h"

#include "Source/Voices/EventCodes.h"
#include "dsp/ModEnvelope.h"
#include "dsp/Random.h"
#include "tests/Source/Voices/GroupBench.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace
{
std::int64_t noteValue(int group, int note, int velocity)
{
    return GroupBench::groupBit(group) + note + (velocity << 8);
}

// Ticks until the voice's glide reaches the pitch (at most limit).
int ticksToReach(GroupBench& bench, int group, std::int64_t pitch, int limit = 100000)
{
    int n = 0;
    while (bench.groups[group].voice(0).glidePitch() != pitch && n < limit)
    {
        bench.tick();
        ++n;
    }
    return n;
}
}

TEST(NoteControl, ControllerBytesReachTheFullScale)
{
    GroupBench bench;
    bench.send(EventCode::ModWheel, GroupBench::groupBit(0) | 127);
    EXPECT_EQ(bench.groups[0].controller(NoteControl::kModWheel), 2600);
    bench.send(EventCode::Expression, GroupBench::groupBit(0) | 64);
    EXPECT_EQ(bench.groups[0].controller(NoteControl::kExpression), static_cast<std::int64_t>(64 * 20.47f + 0.5f));
    bench.send(EventCode::ChannelPressure, GroupBench::groupBit(0) | 127);
    bench.send(EventCode::KeyPressure, GroupBench::groupBit(0) | 127);
    EXPECT_EQ(bench.groups[0].controller(NoteControl::kPressureSum), 2600);
    bench.send(EventCode::KeyPressure, GroupBench::groupBit(0) | 0);
    EXPECT_EQ(bench.groups[0].controller(NoteControl::kPressureSum), 2600);
    bench.send(EventCode::ChannelPressure, GroupBench::groupBit(0) | 10);
    EXPECT_EQ(bench.groups[0].controller(NoteControl::kPressureSum), 205);
}

TEST(NoteControl, OnlyTheAddressedGroupsAct)
{
    GroupBench bench;
    bench.send(EventCode::NoteStart, noteValue(3, 72, 100));
    bench.send(EventCode::ModWheel, GroupBench::groupBit(5) | 100);
    for (int g = 0; g < 16; ++g)
    {
        EXPECT_EQ(bench.groups[g].note(), g == 3 ? 72 : 60) << g;
        EXPECT_EQ(bench.groups[g].controller(NoteControl::kModWheel) > 0, g == 5) << g;
    }
    // The poly form addresses every group.
    bench.send(EventCode::GateOn, ~std::int64_t(0xFFFF) | 64);
    for (const NoteControl& group : bench.groups)
        EXPECT_TRUE(group.gate());
    bench.send(EventCode::NewPhrase, 7);
    EXPECT_TRUE(bench.groups[7].newPhrase());
    EXPECT_FALSE(bench.groups[6].newPhrase());
}

TEST(NoteControl, UnisonStacksSpreadSymmetrically)
{
    GroupBench three(3);
    const float expected3[3] = {0.0f, 1.0f, -1.0f};
    for (int i = 0; i < 3; ++i)
        EXPECT_FLOAT_EQ(three.groups[0].voice(i).unisonPosition(), expected3[i]);
    GroupBench four(4);
    const float expected4[4] = {0.5f, -0.5f, 1.0f, -1.0f};
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(four.groups[0].voice(i).unisonPosition(), expected4[i]);
    // Glide spreads alternate in sign and grow with the stack.
    const int spreads[4] = {0, 1, -2, 3};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(four.groups[0].voice(i).glideSpreadIndex(), spreads[i]);
}

TEST(NoteControl, ReturnedVoicesGoBackToThePool)
{
    GroupBench bench(4);
    const int pooled = bench.pool.count;
    bench.groups[0].returnVoices(1, bench.pool);
    EXPECT_EQ(bench.groups[0].voiceCount(), 1);
    EXPECT_EQ(bench.pool.count, pooled + 3);
    EXPECT_FLOAT_EQ(bench.groups[0].voice(0).unisonPosition(), 0.0f);
    EXPECT_EQ(bench.pool.voices[bench.pool.count - 1]->group(), nullptr);
}

TEST(NoteControl, GlideMovesAnOctaveInTheGlideTime)
{
    GroupBench bench;
    bench.control.setGlideTime(0.5f, 44100.0f);
    bench.send(EventCode::NoteStart, noteValue(0, 60, 64));
    bench.tick();
    bench.send(EventCode::NoteStart, noteValue(0, 72, 64));
    const int ticks = ticksToReach(bench, 0, 72 << 16);
    EXPECT_NEAR(ticks, 0.5 * 44100.0 / 32.0, 2);
    // Two octaves take twice as long, except with the fixed-time types.
    bench.send(EventCode::NoteStart, noteValue(0, 48, 64));
    EXPECT_NEAR(ticksToReach(bench, 0, 48 << 16), 2 * ticks, 2);
    bench.control.glideType = VoiceControlSettings::kGlideFixedTime;
    bench.send(EventCode::NoteStart, noteValue(0, 72, 64));
    EXPECT_NEAR(ticksToReach(bench, 0, 72 << 16), ticks, 2);
}

TEST(NoteControl, GlideTypesWithLegatoJumpAtAPhraseStart)
{
    GroupBench bench;
    bench.control.setGlideTime(1.0f, 44100.0f);
    bench.control.glideType = VoiceControlSettings::kGlideLegatoOnly;
    bench.send(EventCode::NoteStart, noteValue(0, 48, 64));
    bench.send(EventCode::NewPhrase, 0);
    bench.tick();
    EXPECT_EQ(bench.groups[0].voice(0).glidePitch(), 48 << 16);
    bench.send(EventCode::NoteStart, noteValue(0, 50, 64));
    bench.tick();
    EXPECT_GT(bench.groups[0].voice(0).glidePitch(), 48 << 16);
    EXPECT_LT(bench.groups[0].voice(0).glidePitch(), 50 << 16);
}

TEST(NoteControl, GlissandoOutputsWholeSemitones)
{
    GroupBench bench;
    bench.control.setGlideTime(1.0f, 44100.0f);
    bench.control.glideType = VoiceControlSettings::kGlideSemitones;
    bench.send(EventCode::NoteStart, noteValue(0, 60, 64));
    bench.tick();
    bench.send(EventCode::NoteStart, noteValue(0, 67, 64));
    for (int t = 0; t < 300; ++t)
    {
        bench.tick();
        ASSERT_EQ(bench.groups[0].voice(0).glideOutput() & 0xFFFF, 0);
    }
}

TEST(NoteControl, PortamentoOffOrVeryShortGlideIsInstant)
{
    for (bool portamento : {false, true})
    {
        GroupBench bench;
        bench.control.setGlideTime(portamento ? 0.005f : 1.0f, 44100.0f);
        bench.send(EventCode::PortamentoSwitch, portamento ? 1 : 0);
        bench.control.glideType = VoiceControlSettings::kGlideFixedTime;
        bench.send(EventCode::NoteStart, noteValue(0, 20, 64));
        bench.tick();
        bench.send(EventCode::NoteStart, noteValue(0, 110, 64));
        bench.tick();
        EXPECT_EQ(bench.groups[0].voice(0).glidePitch(), 110 << 16) << portamento;
    }
}

TEST(NoteControl, BendGlidesToItsTarget)
{
    GroupBench bench;
    bench.groups[0].setBendTarget(2 * 65536);
    bench.tick();
    // A thirty-second of the distance per tick, at least 2047.
    EXPECT_EQ(bench.groups[0].bend(), (2 * 65536) >> 5);
    int ticks = 1;
    while (bench.groups[0].bend() != 2 * 65536 && ticks < 1000)
    {
        bench.tick();
        ++ticks;
    }
    EXPECT_LT(ticks, 100);
    EXPECT_GT(ticks, 30);
}

TEST(NoteControl, IntroDelaysThenFadesTheLfoDepth)
{
    GroupBench bench;
    bench.lfos[0].introStep = (1 << 24) / 10;
    bench.send(EventCode::GateOn, GroupBench::groupBit(0) | 64);
    for (int t = 0; t < 10; ++t)
        bench.tick();
    EXPECT_EQ(bench.groups[0].introFade(0), 0);
    for (int t = 0; t < 5; ++t)
        bench.tick();
    EXPECT_GT(bench.groups[0].introFade(0), 0);
    for (int t = 0; t < 10; ++t)
        bench.tick();
    EXPECT_EQ(bench.groups[0].introFade(0), 0xFFFFFF);
    bench.send(EventCode::GateOn, GroupBench::groupBit(0) | 64);
    EXPECT_EQ(bench.groups[0].introFade(0), 0);
}

TEST(NoteControl, VelocityScalesTheSecondEnvelope)
{
    GroupBench bench;
    // Vel->Env2 100 %: the envelope's depth follows velocity / 64.
    bench.control.env2VelocityFixed = 0.0f;
    bench.control.env2VelocityPer = 1.0f / 64.0f;
    bench.envelopes[1].attackStep = 1 << 24;
    bench.envelopes[1].sustain = ModEnvelope::kTop;
    bench.send(EventCode::NoteStart, noteValue(0, 60, 32));
    bench.send(EventCode::GateOn, GroupBench::groupBit(0) | 32);
    for (int t = 0; t < 5; ++t)
        bench.tick();
    EXPECT_NEAR(static_cast<double>(bench.groups[0].modulation().envelope[1]), ModEnvelope::kTop * 0.5, 2.0);
    EXPECT_EQ(bench.groups[0].envelope(1).level(), ModEnvelope::kTop);
}

TEST(NoteControl, DuoKeepsASecondNoteUntilSwitchedOff)
{
    GroupBench bench;
    bench.send(EventCode::DuoMode, 1);
    EXPECT_TRUE(bench.control.duo);
    bench.send(EventCode::NoteStart, noteValue(2, 60, 64));
    bench.send(EventCode::DuoNoteChange, noteValue(2, 67, 64));
    EXPECT_EQ(bench.groups[2].secondNote(), 67);
    bench.send(EventCode::NoteStart, noteValue(2, 62, 64));
    EXPECT_EQ(bench.groups[2].secondNote(), 67);
    bench.send(EventCode::DuoMode, 0);
    EXPECT_FALSE(bench.control.duo);
    EXPECT_EQ(bench.groups[2].secondNote(), 62);
}

TEST(NoteControl, PanModesPlaceTheGroups)
{
    GroupBench bench;
    bench.control.panSpread = 50.0f;
    bench.control.panMode = 1; // keyboard
    bench.send(EventCode::NoteStart, noteValue(0, 84, 64));
    EXPECT_FLOAT_EQ(bench.groups[0].nextPanOffset(), 0.5f);
    bench.control.panMode = 3; // alternate
    EXPECT_FLOAT_EQ(bench.groups[0].nextPanOffset(), 0.5f);
    EXPECT_FLOAT_EQ(bench.groups[1].nextPanOffset(), -0.5f);
    bench.control.panMode = 4; // one side per note, always the same
    const float side = bench.groups[0].nextPanOffset();
    EXPECT_FLOAT_EQ(std::fabs(side), 0.5f);
    EXPECT_EQ(bench.groups[0].nextPanOffset(), side);
    bench.control.panMode = 2; // random
    seedRandom(3);
    std::set<float> randoms;
    for (int i = 0; i < 20; ++i)
    {
        const float pan = bench.groups[0].nextPanOffset();
        EXPECT_LE(std::fabs(pan), 0.5f);
        randoms.insert(pan);
    }
    EXPECT_GT(randoms.size(), 10u);
    bench.control.panMode = 0;
    EXPECT_EQ(bench.groups[0].nextPanOffset(), 0.0f);
}

TEST(NoteControl, BalancePanEvensOutTheGroups)
{
    GroupBench bench;
    bench.control.panSpread = 100.0f;
    bench.control.panMode = 5;
    const float first = bench.groups[0].nextPanOffset();
    const float second = bench.groups[1].nextPanOffset();
    EXPECT_EQ(first, -second);
    // A group that plays again gives back its old side first.
    EXPECT_EQ(bench.groups[0].nextPanOffset(), first);
    EXPECT_EQ(bench.groups[2].nextPanOffset(), first);
    EXPECT_EQ(bench.groups[3].nextPanOffset(), second);
}

TEST(NoteControl, ResetSilencesControllersAndEnvelopes)
{
    GroupBench bench;
    bench.envelopes[0].attackStep = 1 << 20;
    bench.send(EventCode::ModWheel, GroupBench::groupBit(0) | 100);
    bench.send(EventCode::GateOn, GroupBench::groupBit(0) | 64);
    bench.groups[0].setBendTarget(70000);
    for (int t = 0; t < 10; ++t)
        bench.tick();
    bench.groups[0].reset();
    EXPECT_EQ(bench.groups[0].controller(NoteControl::kModWheel), 0);
    EXPECT_EQ(bench.groups[0].envelope(0).state(), ModEnvelope::kIdle);
    EXPECT_EQ(bench.groups[0].envelope(0).level(), 0);
    EXPECT_EQ(bench.groups[0].bend(), 0);
    EXPECT_FALSE(bench.groups[0].gate());
}

TEST(NoteControl, HoldTwoReachesEveryGroup)
{
    GroupBench bench;
    for (ModEnvelopeParameters& parameters : bench.envelopes)
        parameters.releaseScale = parameters.hold2Scale;
    bench.send(EventCode::Hold2Pedal, 1);
    for (const NoteControl& group : bench.groups)
        EXPECT_FLOAT_EQ(group.envelope(1).releaseScale(), 0.5f) << group.index();
}
