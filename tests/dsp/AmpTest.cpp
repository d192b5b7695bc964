#include "dsp/Amp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
constexpr float kHostRate = 44100.0f;
constexpr double kEngineRate = 2.0 * kHostRate;

// One amplifier over a constant input of 1, so its output is its level
// times the pan gains.
struct AmpRig
{
    AmpRig()
    {
        settings.setSampleRate(kHostRate);
        settings.attack = 0.01f;
        settings.decay = 0.2f;
        settings.release = 0.1f;
        settings.sustain = 0.5f;
        amp.bind(&settings, &tables);
    }

    // Renders n samples; returns the left output.
    std::vector<float> render(int n)
    {
        const std::vector<float> input(n, 1.0f);
        std::vector<float> output(2 * n);
        amp.render(input.data(), output.data(), n, false);
        std::vector<float> left(n);
        for (int i = 0; i < n; ++i)
            left[i] = output[2 * i];
        return left;
    }

    // Samples rendered one at a time until the stage changes.
    int samplesIn(Amp::Stage stage, int limit = 10000000)
    {
        int n = 0;
        while (amp.stage() == stage && n < limit)
        {
            render(1);
            ++n;
        }
        return n;
    }

    // From gate-on to the end of the attack.
    int attackLength()
    {
        render(1); // the first sample enters the attack
        return samplesIn(Amp::kAttack) + 1;
    }

    AmpSettings settings;
    Amp::Tables tables;
    Amp amp;
};
}

TEST(Amp, AttackTakesItsTime)
{
    AmpRig rig;
    rig.amp.start(64, 0.0f);
    EXPECT_EQ(rig.amp.stage(), Amp::kIdle);
    EXPECT_NEAR(rig.attackLength(), 0.01 * kEngineRate, 0.01 * kEngineRate * 0.02);
    EXPECT_FLOAT_EQ(rig.amp.level(), 1.0f);
    EXPECT_EQ(rig.amp.stage(), Amp::kDecay);
}

TEST(Amp, FullSustainGoesStraightToTheSustainStage)
{
    AmpRig rig;
    rig.settings.sustain = 1.0f;
    rig.amp.start(64, 0.0f);
    rig.attackLength();
    EXPECT_EQ(rig.amp.stage(), Amp::kSustain);
    const std::vector<float> held = rig.render(1000);
    EXPECT_FLOAT_EQ(held.back(), 0.5f); // centre pan halves the level
}

TEST(Amp, DecayAndReleaseSpanTheFullRangeInTheirTimes)
{
    AmpRig rig;
    rig.settings.sustain = rig.settings.floor();
    rig.amp.start(64, 0.0f);
    rig.attackLength();
    const int decay = rig.samplesIn(Amp::kDecay);
    EXPECT_NEAR(decay, 0.2 * kEngineRate, 0.2 * kEngineRate * 0.02);

    AmpRig release;
    release.settings.sustain = 1.0f;
    release.amp.start(64, 0.0f);
    release.attackLength();
    release.render(100);
    release.amp.gateOff(64);
    release.render(1);
    const int length = release.samplesIn(Amp::kRelease) + 1;
    EXPECT_NEAR(length, 0.1 * kEngineRate, 0.1 * kEngineRate * 0.02);
    EXPECT_EQ(release.amp.stage(), Amp::kIdle);
    EXPECT_EQ(release.amp.level(), 0.0f);
}

TEST(Amp, DecayStopsAtTheSustainLevel)
{
    AmpRig rig;
    rig.amp.start(64, 0.0f);
    rig.attackLength();
    rig.samplesIn(Amp::kDecay);
    EXPECT_EQ(rig.amp.stage(), Amp::kSustain);
    EXPECT_FLOAT_EQ(rig.amp.level(), 0.5f);
}

TEST(Amp, TheLevelCurveFallsInDecibelsPerSample)
{
    // Every multiplier is below 1 and the first half of the fall (the top
    // 30 dB) takes as long as the second.
    AmpRig rig;
    rig.settings.sustain = rig.settings.floor();
    rig.amp.start(64, 0.0f);
    rig.attackLength();
    int toMinus30 = 0;
    while (rig.amp.level() > rig.settings.levels[7])
    {
        rig.render(1);
        ++toMinus30;
    }
    const int rest = rig.samplesIn(Amp::kDecay);
    EXPECT_NEAR(toMinus30, rest, 0.03 * rest);
}

TEST(Amp, GateOffDuringTheAttackFallsOnAlongTheDecayCurve)
{
    // With a release longer than the decay, a note let go in its attack
    // falls at the decay's pace all the way down.
    AmpRig rig;
    rig.settings.decay = 0.05f;
    rig.settings.release = 0.5f;
    rig.settings.sustain = rig.settings.floor();
    rig.amp.start(64, 0.0f);
    rig.render(200);
    ASSERT_EQ(rig.amp.stage(), Amp::kAttack);
    rig.amp.gateOff(64);
    rig.render(1);
    EXPECT_EQ(rig.amp.stage(), Amp::kRelease);
    EXPECT_TRUE(rig.amp.releaseShape());
    const int length = rig.samplesIn(Amp::kRelease);
    EXPECT_LT(length, 0.05 * kEngineRate);
    EXPECT_EQ(rig.amp.stage(), Amp::kIdle);
}

TEST(Amp, VelocitySixtyFourIsNeutral)
{
    AmpRig neutral;
    AmpRig scaled;
    scaled.settings.velAttack = std::log(1.0f / 4.0f) * 0.015625f;
    neutral.amp.start(64, 0.0f);
    scaled.amp.start(64, 0.0f);
    const int neutralLength = neutral.attackLength();
    EXPECT_EQ(neutralLength, scaled.attackLength());

    // Vel->Attack 4 at velocity 127 makes the attack about 3.9 times longer.
    AmpRig loud;
    loud.settings.velAttack = std::log(1.0f / 4.0f) * 0.015625f;
    loud.amp.start(127, 0.0f);
    EXPECT_NEAR(loud.attackLength(), 0.01 * kEngineRate * std::pow(4.0, 63.0 / 64.0), 0.01 * kEngineRate * 0.1);

    // Amount 1 (ln 1 = 0): velocity has no effect.
    AmpRig flat;
    flat.settings.velAttack = std::log(1.0f) * 0.015625f;
    flat.amp.start(1, 0.0f);
    EXPECT_EQ(flat.attackLength(), neutralLength);
}

TEST(Amp, PanSplitsTheLevelLinearly)
{
    for (float pan : {-1.0f, -0.5f, 0.0f, 0.25f, 1.0f})
    {
        AmpRig rig;
        rig.settings.sustain = 1.0f;
        rig.amp.start(64, pan);
        EXPECT_FLOAT_EQ(rig.amp.gainLeft(), (1.0f - pan) * 0.5f);
        EXPECT_FLOAT_EQ(rig.amp.gainRight(), (1.0f + pan) * 0.5f);
        EXPECT_FLOAT_EQ(rig.amp.gainLeft() + rig.amp.gainRight(), 1.0f);
    }
}

TEST(Amp, ASoundingVoiceRampsToANewPan)
{
    AmpRig rig;
    rig.settings.sustain = 1.0f;
    rig.settings.panRampLength = 100;
    rig.amp.start(64, -1.0f);
    rig.attackLength();
    rig.render(10);
    ASSERT_EQ(rig.amp.stage(), Amp::kSustain);
    rig.amp.start(64, 1.0f);
    EXPECT_FLOAT_EQ(rig.amp.gainLeft(), 1.0f);
    rig.render(50);
    EXPECT_NEAR(rig.amp.gainLeft(), 0.5f, 1e-4);
    rig.render(50);
    EXPECT_EQ(rig.amp.gainLeft(), 0.0f);
    EXPECT_EQ(rig.amp.gainRight(), 1.0f);
}

TEST(Amp, SustainChangeGlidesTo240DecibelsPerSecond)
{
    AmpRig rig;
    rig.settings.sustain = 1.0f;
    rig.amp.start(64, 0.0f);
    rig.attackLength();
    rig.settings.sustain = 0.5f;
    rig.amp.sustainChanged();
    // 6 dB at 240 dB per second of host samples: 25 ms of engine samples.
    int n = 0;
    while (rig.amp.level() > 0.5f && n < 100000)
    {
        rig.render(1);
        ++n;
    }
    EXPECT_NEAR(n, 20.0 * std::log10(2.0) / 240.0 * kHostRate, 3);
    rig.render(100);
    EXPECT_FLOAT_EQ(rig.amp.level(), 0.5f);
}

TEST(Amp, ReleaseShapeBelongsToOneNote)
{
    // A gate-off in the decay picks the decay's curve for the release when
    // the release is longer; the next note must not inherit that choice.
    AmpRig rig;
    rig.settings.decay = 0.05f;
    rig.settings.release = 0.2f;
    rig.settings.sustain = rig.settings.floor() * 2.0f;
    rig.amp.start(64, 0.0f);
    rig.attackLength();
    rig.amp.gateOff(64);
    rig.render(1);
    EXPECT_TRUE(rig.amp.releaseShape());
    rig.samplesIn(Amp::kRelease);

    rig.settings.sustain = 1.0f;
    rig.amp.start(64, 0.0f);
    EXPECT_FALSE(rig.amp.releaseShape());
    rig.attackLength();
    rig.amp.gateOff(64);
    rig.render(1);
    const int length = rig.samplesIn(Amp::kRelease) + 1;
    EXPECT_NEAR(length, 0.2 * kEngineRate, 0.2 * kEngineRate * 0.02);
}

TEST(Amp, GateOnWhileReleasingRisesFromTheCurrentLevel)
{
    AmpRig rig;
    rig.settings.sustain = 1.0f;
    rig.amp.start(64, 0.0f);
    rig.attackLength();
    rig.amp.gateOff(64);
    rig.render(2000);
    ASSERT_EQ(rig.amp.stage(), Amp::kRelease);
    const float level = rig.amp.level();
    rig.amp.start(64, 0.0f);
    rig.render(1);
    EXPECT_EQ(rig.amp.stage(), Amp::kAttack);
    EXPECT_GT(rig.amp.level(), level);

    // After a restart the attack begins at the floor.
    rig.amp.gateOff(64);
    rig.render(2000);
    rig.amp.restartFromFloor();
    rig.amp.start(64, 0.0f);
    rig.render(1);
    EXPECT_LT(rig.amp.level(), rig.settings.levels[1]);
}

TEST(Amp, IdleAmpWritesSilenceOrLeavesTheMixAlone)
{
    AmpRig rig;
    const std::vector<float> input(8, 1.0f);
    std::vector<float> output(16, 3.0f);
    rig.amp.render(input.data(), output.data(), 8, true);
    EXPECT_EQ(output[5], 3.0f);
    rig.amp.render(input.data(), output.data(), 8, false);
    EXPECT_EQ(output[5], 0.0f);
}
