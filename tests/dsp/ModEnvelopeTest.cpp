#include "dsp/ModEnvelope.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr float kRate = 44100.0f;

// Steps per tick (32 host samples) that cover the level range in seconds.
std::int64_t stepFor(double seconds)
{
    return static_cast<std::int64_t>(536870912.0 / (seconds * kRate + 0.5));
}

int ticksFor(double seconds)
{
    return static_cast<int>(seconds * kRate / 32.0);
}

struct Envelope
{
    Envelope()
    {
        parameters.attackStep = stepFor(0.1);
        parameters.decayStep = stepFor(0.2);
        parameters.sustain = ModEnvelope::kTop / 2;
        parameters.releaseStep = stepFor(0.3);
    }

    // Ticks until the state leaves `state` (at most limit).
    int ticksIn(ModEnvelope::State state, int limit = 100000)
    {
        int n = 0;
        while (envelope.state() == state && n < limit)
        {
            envelope.tick();
            ++n;
        }
        return n;
    }

    ModEnvelopeParameters parameters;
    ModEnvelope envelope{&parameters};
};
}

TEST(ModEnvelope, StagesTakeTheirTimes)
{
    Envelope e;
    e.envelope.gateOn();
    EXPECT_EQ(e.envelope.state(), ModEnvelope::kDelay);
    e.ticksIn(ModEnvelope::kDelay);
    const int attack = e.ticksIn(ModEnvelope::kAttack) + 1;
    EXPECT_NEAR(attack, ticksFor(0.1), 2);
    EXPECT_EQ(e.envelope.level(), ModEnvelope::kTop);
    // The decay runs the full range in its time, so half of it to 50 %.
    const int decay = e.ticksIn(ModEnvelope::kDecay);
    EXPECT_NEAR(decay, ticksFor(0.1), 2);
    EXPECT_EQ(e.envelope.state(), ModEnvelope::kSustain);
    EXPECT_EQ(e.envelope.level(), e.parameters.sustain);
    for (int t = 0; t < 1000; ++t)
        e.envelope.tick();
    EXPECT_EQ(e.envelope.level(), e.parameters.sustain);
    e.envelope.gateOff();
    e.envelope.tick();
    const int release = e.ticksIn(ModEnvelope::kRelease) + 1;
    EXPECT_NEAR(release, ticksFor(0.15), 2);
    EXPECT_EQ(e.envelope.state(), ModEnvelope::kIdle);
    EXPECT_EQ(e.envelope.level(), 0);
}

TEST(ModEnvelope, DelayHoldsTheAttack)
{
    Envelope e;
    e.parameters.delay = 10;
    e.envelope.gateOn();
    // The counter runs through 10 .. 0 before the attack takes over.
    EXPECT_EQ(e.ticksIn(ModEnvelope::kDelay), 12);
    EXPECT_GT(e.envelope.level(), 0);
}

TEST(ModEnvelope, FullSustainHoldsWhileTheGateIsOpen)
{
    Envelope e;
    e.parameters.sustain = ModEnvelope::kTop;
    e.envelope.gateOn();
    for (int t = 0; t < 10000; ++t)
        e.envelope.tick();
    EXPECT_EQ(e.envelope.state(), ModEnvelope::kSustain);
    EXPECT_EQ(e.envelope.level(), ModEnvelope::kTop);
}

TEST(ModEnvelope, GateOffDuringTheDecayEndsInSilence)
{
    // A decay faster than the release keeps going at its own rate and then
    // hands over to the release: the envelope never stops above 0.
    Envelope e;
    e.parameters.decayStep = stepFor(0.05);
    e.parameters.releaseStep = stepFor(2.0);
    e.envelope.gateOn();
    e.ticksIn(ModEnvelope::kDelay);
    e.ticksIn(ModEnvelope::kAttack);
    e.envelope.gateOff();
    e.ticksIn(ModEnvelope::kDecay);
    EXPECT_EQ(e.envelope.state(), ModEnvelope::kRelease);
    e.ticksIn(ModEnvelope::kRelease);
    EXPECT_EQ(e.envelope.state(), ModEnvelope::kIdle);
}

TEST(ModEnvelope, GateOffDuringTheDecayTakesTheFasterOfDecayAndRelease)
{
    for (bool fasterRelease : {false, true})
    {
        Envelope e;
        e.parameters.decayStep = stepFor(1.0);
        e.parameters.releaseStep = fasterRelease ? stepFor(0.1) : stepFor(3.0);
        e.envelope.gateOn();
        e.ticksIn(ModEnvelope::kDelay);
        e.ticksIn(ModEnvelope::kAttack);
        ASSERT_EQ(e.envelope.state(), ModEnvelope::kDecay);
        e.envelope.gateOff();
        e.envelope.tick();
        EXPECT_EQ(e.envelope.state(), fasterRelease ? ModEnvelope::kRelease : ModEnvelope::kDecay) << fasterRelease;
    }
}

TEST(ModEnvelope, ZeroDecayDropsToTheSustainInOneTick)
{
    Envelope e;
    e.parameters.decayStep = stepFor(0.0);
    e.envelope.gateOn();
    e.ticksIn(ModEnvelope::kDelay);
    e.ticksIn(ModEnvelope::kAttack);
    e.envelope.tick();
    EXPECT_EQ(e.envelope.state(), ModEnvelope::kSustain);
    EXPECT_EQ(e.envelope.level(), e.parameters.sustain);
}

TEST(ModEnvelope, GateOnDuringTheReleaseRestartsTheAttackFromTheLevel)
{
    Envelope e;
    e.envelope.gateOn();
    e.ticksIn(ModEnvelope::kDelay);
    e.ticksIn(ModEnvelope::kAttack);
    e.envelope.gateOff();
    for (int t = 0; t < 20; ++t)
        e.envelope.tick();
    const std::int64_t level = e.envelope.level();
    ASSERT_GT(level, 0);
    e.envelope.gateOn();
    EXPECT_EQ(e.envelope.state(), ModEnvelope::kAttack);
    e.envelope.tick();
    EXPECT_GT(e.envelope.level(), level);
}

TEST(ModEnvelope, RetriggerStartsFromZeroOnlyWithTheFlag)
{
    for (bool retrigger : {false, true})
    {
        Envelope e;
        e.parameters.retrigger = retrigger;
        e.envelope.gateOn();
        e.ticksIn(ModEnvelope::kDelay);
        for (int t = 0; t < 20; ++t)
            e.envelope.tick();
        const std::int64_t level = e.envelope.level();
        e.envelope.gateOn();
        EXPECT_EQ(e.envelope.level(), retrigger ? 0 : level);
    }
}

TEST(ModEnvelope, RestartMakesTheNextAttackStartFromZero)
{
    Envelope e;
    e.envelope.gateOn();
    e.ticksIn(ModEnvelope::kDelay);
    e.ticksIn(ModEnvelope::kAttack);
    e.envelope.restart();
    e.envelope.gateOn();
    EXPECT_EQ(e.envelope.level(), 0);
    EXPECT_EQ(e.envelope.state(), ModEnvelope::kAttack);
}

TEST(ModEnvelope, VelocityScalesTheAttackAndRelease)
{
    // Vel->Attack 4: full velocity makes the attack step four times smaller.
    Envelope e;
    e.parameters.velocityAttackFactor = std::log(1.0f / 4.0f) / 64.0f;
    e.parameters.velocityReleaseFactor = std::log(1.0f / 4.0f) / 64.0f;
    e.envelope.setVelocity(64);
    EXPECT_FLOAT_EQ(e.envelope.attackScale(), 1.0f);
    EXPECT_FLOAT_EQ(e.envelope.releaseScale(), 1.0f);
    e.envelope.setVelocity(128);
    EXPECT_NEAR(e.envelope.attackScale(), 0.25f, 1e-5);
    EXPECT_NEAR(e.envelope.releaseScale(), 0.25f, 1e-5);
    // Velocity 0 leaves the scales alone.
    e.envelope.setVelocity(0);
    EXPECT_NEAR(e.envelope.attackScale(), 0.25f, 1e-5);
}

TEST(ModEnvelope, HoldTwoLengthensTheRelease)
{
    auto releaseTicks = [](bool hold2) {
        Envelope e;
        e.parameters.sustain = ModEnvelope::kTop;
        e.parameters.releaseScale = hold2 ? e.parameters.hold2Scale : 1.0f;
        e.envelope.hold2Changed();
        e.envelope.gateOn();
        e.ticksIn(ModEnvelope::kDelay);
        e.ticksIn(ModEnvelope::kAttack);
        e.ticksIn(ModEnvelope::kDecay);
        e.envelope.gateOff();
        e.envelope.tick();
        return e.ticksIn(ModEnvelope::kRelease);
    };
    const int normal = releaseTicks(false);
    EXPECT_NEAR(normal, ticksFor(0.3), 2);
    EXPECT_NEAR(releaseTicks(true), 2 * normal, 2);
}

TEST(ModEnvelope, SustainChangeGlidesAtMost65536PerTick)
{
    Envelope e;
    e.envelope.gateOn();
    e.ticksIn(ModEnvelope::kDelay);
    e.ticksIn(ModEnvelope::kAttack);
    e.ticksIn(ModEnvelope::kDecay);
    ASSERT_EQ(e.envelope.state(), ModEnvelope::kSustain);
    const std::int64_t start = e.envelope.level();
    e.parameters.sustain = start + 200000;
    e.envelope.tick();
    EXPECT_EQ(e.envelope.level(), start + 65536);
    for (int t = 0; t < 10; ++t)
        e.envelope.tick();
    EXPECT_EQ(e.envelope.level(), start + 200000);
}
