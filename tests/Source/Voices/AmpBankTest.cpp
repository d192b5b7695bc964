#include "Source/Voices/AmpBank.h"

#include "Source/Voices/EventCodes.h"
#include "Source/parameters/EngineValue.h"
#include "Source/parameters/ParameterTable.h"
#include "tests/Source/Voices/GroupBench.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
constexpr int kFrames = 256;
constexpr int kLead = 64;

VoiceEvent item(std::int64_t code, std::int64_t value, std::int64_t time)
{
    return VoiceEvent(code, value, time);
}

std::int64_t groupBit(int group)
{
    return std::int64_t(1) << (EventCode::kGroupMaskShift + group);
}

// The bank with 16 groups of voices whose filtered signal is a constant 1,
// so the mix shows each voice's level and pan.
struct BankRig
{
    explicit BankRig(int voicesPerGroup = 1) : bench(voicesPerGroup), input(kLead + 2 * kFrames, 1.0f)
    {
        for (VoiceBuffers& record : bench.records)
            record.filterOutput = input.data() + kLead;
        bank.setGroups(bench.groups);
        bank.setInputs(bench.records);
        bank.setSampleRate(44100.0f);
        setFloat(Param::AmpAttack, 0.001f);
        setFloat(Param::AmpDecay, 1.0f);
        setFloat(Param::AmpSustain, 1.0f);
        setFloat(Param::AmpRelease, 0.01f);
        render();
    }

    void setFloat(std::int64_t code, float value, std::int64_t time = 0)
    {
        cue.push(0, item(code, engineValueFromFloat(value), time));
    }

    void gateOn(int group, int velocity, std::int64_t time)
    {
        cue.push(0, item(EventCode::GateOn, groupBit(group) | velocity, time));
        active[0] |= bench.groups[group].voiceMask()[0];
        active[1] |= bench.groups[group].voiceMask()[1];
    }

    void gateOff(int group, std::int64_t time) { cue.push(0, item(EventCode::GateOff, groupBit(group) | 64, time)); }

    // One host block; returns the interleaved engine-rate mix.
    std::vector<float> render(int frames = kFrames)
    {
        cue.beginRead();
        std::vector<float> mix(4 * static_cast<std::size_t>(frames), -7.0f);
        bank.process(cue, mix.data(), frames, active, stageMasks, levels, 0);
        return mix;
    }

    const Amp& firstAmp(int group) const { return bank.amp(bench.groups[group].voice(0).index()); }

    GroupBench bench;
    std::vector<float> input;
    AmpBank bank;
    ControlCue<VoiceEvent> cue;
    std::uint64_t active[2] = {0, 0};
    std::int64_t stageMasks[6] = {};
    float levels[16] = {};
};
}

TEST(AmpBank, GateStartsOnItsExactSample)
{
    for (int time : {0, 1, 37, 255})
    {
        BankRig rig;
        rig.gateOn(3, 100, time);
        const std::vector<float> mix = rig.render();
        for (int i = 0; i < 2 * time; ++i)
            ASSERT_EQ(mix[2 * i], 0.0f) << time << " " << i;
        EXPECT_GT(mix[4 * time], 0.0f) << time;
    }
}

TEST(AmpBank, GateOffReleasesFromItsExactSample)
{
    BankRig rig;
    rig.gateOn(0, 100, 0);
    rig.render();
    rig.gateOff(0, 100);
    const std::vector<float> mix = rig.render();
    // Sustain 1.0 and centre pan: 0.5 on each side until the gate-off.
    for (int i = 0; i < 200; ++i)
        ASSERT_FLOAT_EQ(mix[2 * i], 0.5f) << i;
    EXPECT_LT(mix[2 * 201], 0.5f);
}

TEST(AmpBank, ParameterChangesApplyAtTheirTime)
{
    BankRig rig;
    rig.gateOn(0, 64, 0);
    rig.render();
    rig.setFloat(Param::AmpSustain, 0.25f, 50);
    const std::vector<float> mix = rig.render();
    EXPECT_FLOAT_EQ(mix[2 * 99], 0.5f);
    EXPECT_LT(mix[2 * 101], 0.5f);
    // 12 dB at 240 dB per second: 50 ms.
    for (int b = 0; b < 9; ++b)
        rig.render();
    EXPECT_NEAR(rig.firstAmp(0).level(), 0.25f, 1e-6);
}

TEST(AmpBank, ReportsTheHighestStageAndLevelOfEachGroup)
{
    BankRig rig;
    rig.gateOn(2, 64, 0);
    rig.gateOn(5, 64, 0);
    rig.render();
    rig.gateOff(5, 0);
    rig.render(2);
    EXPECT_EQ(rig.stageMasks[Amp::kSustain], std::int64_t(1) << 2);
    EXPECT_EQ(rig.stageMasks[Amp::kRelease], std::int64_t(1) << 5);
    EXPECT_EQ(rig.stageMasks[Amp::kIdle], 0xFFFF & ~((1 << 2) | (1 << 5)));
    EXPECT_FLOAT_EQ(rig.levels[2], 1.0f);
    EXPECT_GT(rig.levels[5], 0.0f);
    EXPECT_LT(rig.levels[5], 1.0f);
    EXPECT_EQ(rig.levels[0], 0.0f);
    // The voices still sounding stay in the mask; released ones leave it.
    for (int b = 0; b < 8; ++b)
        rig.render();
    EXPECT_EQ(rig.stageMasks[Amp::kIdle], 0xFFFF & ~(1 << 2));
    EXPECT_EQ(rig.active[0] | rig.active[1], rig.bench.groups[2].voiceMask()[0] | rig.bench.groups[2].voiceMask()[1]);
}

TEST(AmpBank, AGroupWithoutVoicesCountsAsIdle)
{
    BankRig rig(0);
    rig.render();
    EXPECT_EQ(rig.stageMasks[Amp::kIdle], 0xFFFF);
    for (float level : rig.levels)
        EXPECT_EQ(level, 0.0f);
}

TEST(AmpBank, SilentBlockClearsTheMix)
{
    BankRig rig;
    const std::vector<float> mix = rig.render();
    for (float x : mix)
        ASSERT_EQ(x, 0.0f);
}

TEST(AmpBank, VoicesOfAStackAddUp)
{
    BankRig rig(4);
    rig.gateOn(0, 64, 0);
    rig.render();
    const std::vector<float> mix = rig.render();
    EXPECT_FLOAT_EQ(mix[0] + mix[1], 4.0f);
}

TEST(AmpBank, HoldTwoDoublesTheReleaseEvenOfVoicesAlreadyReleasing)
{
    auto releaseBlocks = [](bool hold2) {
        BankRig rig;
        rig.setFloat(Param::AmpRelease, 0.05f);
        rig.gateOn(0, 64, 0);
        rig.render();
        rig.gateOff(0, 0);
        rig.render();
        if (hold2)
            rig.cue.push(0, item(EventCode::Hold2Pedal, 1, 0));
        int blocks = 1;
        while (rig.firstAmp(0).stage() != Amp::kIdle && blocks < 1000)
        {
            rig.render();
            ++blocks;
        }
        return blocks;
    };
    const int normal = releaseBlocks(false);
    const int held = releaseBlocks(true);
    EXPECT_NEAR(held, 2 * normal, 2);
}

TEST(AmpBank, RestartBeforeAGateBeginsTheAttackAtTheFloor)
{
    BankRig rig;
    rig.gateOn(0, 64, 0);
    rig.render();
    rig.gateOff(0, 0);
    rig.render(4);
    ASSERT_EQ(rig.firstAmp(0).stage(), Amp::kRelease);
    rig.cue.push(0, item(EventCode::EnvelopeRestart, groupBit(0), 0));
    rig.gateOn(0, 64, 0);
    rig.render(1);
    EXPECT_LT(rig.firstAmp(0).level(), 0.01f);
}

TEST(AmpBank, PanFollowsTheUnisonPlaceAndThePanMode)
{
    BankRig rig(3);
    // Unison spread 100 %: the stack spans the stereo field.
    rig.bench.control.unisonSpread = 100;
    rig.gateOn(1, 64, 0);
    rig.render();
    const float expected[3] = {0.0f, 1.0f, -1.0f};
    for (int i = 0; i < 3; ++i)
    {
        const Amp& amp = rig.bank.amp(rig.bench.groups[1].voice(i).index());
        EXPECT_FLOAT_EQ(amp.gainRight() - amp.gainLeft(), expected[i]) << i;
    }
}
