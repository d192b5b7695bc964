// Once nothing sounds or moves, the engine rests: silence is exact zero and
// costs next to nothing, and whatever arrives wakes it as if it had played
// on all along.

#include "Source/parameters/ParameterIndices.h"
#include "dsp/Random.h"
#include "tests/support/SoundingPlugin.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace
{
constexpr float kRate = 48000.0f;
constexpr int kBlock = 64;
// Long enough for the echo's tail to die away and the engine to rest.
constexpr int kRestFrames = 8 * 48000;

// Chorus and echo on, noise off, an LFO on pitch and cutoff; the default
// LFOs follow the bars.
void lively(PatchEdit& patch)
{
    patch.set(Param::ChorusLevel, "50");
    patch.set(Param::DelayLevel, "35");
    patch.set(Param::EffectActive, "On");
    patch.set(Param::NoiseMix, "0");
    patch.set(Param::LFOtoPitch, 0.7f);
    patch.set(Param::LFOtoFilter, 0.7f);
}

void freeLfo(PatchEdit& patch)
{
    lively(patch);
    patch.set(Param::LFO1Sync, "Free");
    patch.set(Param::LFO1Rate, 0.63f);
    patch.set(Param::LFO2Sync, "Free");
    patch.set(Param::LFO2Rate, 0.41f);
    patch.set(Param::Osc2Waveform, "PWM");
}

// The envelopes restart on the clock, which keeps its grid through the rest.
void clocked(PatchEdit& patch)
{
    lively(patch);
    patch.set(Param::Triggering, "Rpt 1+2");
    patch.set(Param::GateTime, "50");
}

double peak(const SoundingPlugin::Stereo& sound, std::size_t from = 0)
{
    double worst = 0.0;
    for (std::size_t i = from; i < sound.left.size(); ++i)
        worst = std::max({worst, std::fabs(static_cast<double>(sound.left[i])),
                          std::fabs(static_cast<double>(sound.right[i]))});
    return worst;
}

double difference(const SoundingPlugin::Stereo& a, const SoundingPlugin::Stereo& b)
{
    double worst = 0.0;
    for (std::size_t i = 0; i < a.left.size(); ++i)
        worst = std::max({worst, std::fabs(static_cast<double>(a.left[i]) - b.left[i]),
                          std::fabs(static_cast<double>(a.right[i]) - b.right[i])});
    return worst;
}

// A note, its release and a long silence, then a second note; with a
// parameter change during the silence when one is given.
struct Session
{
    Session(bool restAllowed, const std::function<void(PatchEdit&)>& patch)
        : plugin(kRate, kBlock, instrumentFlavour(), patch)
    {
        plugin.plugin->setRestAllowed(restAllowed);
    }

    SoundingPlugin plugin;
};

class EngineRest : public ::testing::TestWithParam<int>
{
protected:
    std::function<void(PatchEdit&)> patch() const
    {
        const std::function<void(PatchEdit&)> patches[] = {lively, freeLfo, clocked};
        return patches[GetParam()];
    }

    TemporaryHome m_home;
};
} // namespace

TEST_P(EngineRest, SilenceAfterANoteIsExactZeroOnceAtRest)
{
    Session session(true, patch());
    SoundingPlugin& plugin = session.plugin;
    plugin.midi(0, 0x90, 60, 100);
    plugin.midi(12000, 0x80, 60, 64);
    EXPECT_GT(peak(plugin.run(24000)), 0.01);
    plugin.run(kRestFrames);
    ASSERT_TRUE(plugin.plugin->isResting());
    EXPECT_EQ(peak(plugin.run(48000)), 0.0);
    EXPECT_TRUE(plugin.plugin->isResting());
}

// Plays the same in an instance that rests and in one that never does, each
// from a note whose release leaves time enough to rest; the two sound alike.
void expectRestingChangesNothing(const std::function<void(PatchEdit&)>& patch,
                                 const std::function<SoundingPlugin::Stereo(SoundingPlugin&)>& play)
{
    std::vector<SoundingPlugin::Stereo> renders;
    for (bool restAllowed : {false, true})
    {
        seedRandom(7);
        Session session(restAllowed, patch);
        SoundingPlugin& plugin = session.plugin;
        plugin.midi(0, 0x90, 60, 100);
        plugin.midi(12000, 0x80, 60, 64);
        plugin.run(24000 + kRestFrames);
        EXPECT_EQ(plugin.plugin->isResting(), restAllowed);
        renders.push_back(play(plugin));
    }
    EXPECT_GT(peak(renders[0]), 0.01);
    EXPECT_LT(difference(renders[0], renders[1]), 1e-6);
}

TEST_P(EngineRest, TheFirstNoteAfterRestSoundsAsIfTheEngineHadPlayedOn)
{
    expectRestingChangesNothing(patch(), [](SoundingPlugin& plugin) {
        // A note in the middle of a block, then one at a block start.
        plugin.midi(24000 + kRestFrames + 17, 0x90, 64, 90);
        plugin.midi(24000 + kRestFrames + 150000, 0x80, 64, 64);
        SoundingPlugin::Stereo sound = plugin.run(1000);
        EXPECT_FALSE(plugin.plugin->isResting());
        SoundingPlugin::Stereo rest = plugin.run(200000);
        sound.left.insert(sound.left.end(), rest.left.begin(), rest.left.end());
        sound.right.insert(sound.right.end(), rest.right.begin(), rest.right.end());
        return sound;
    });
}

TEST_P(EngineRest, AParameterChangeWakesTheEngineInItsBlock)
{
    expectRestingChangesNothing(patch(), [](SoundingPlugin& plugin) {
        // The cutoff glides to its new value from the block it arrives in.
        plugin.parameter(24000 + kRestFrames, Param::FilterFreq, "0.80");
        plugin.run(kBlock);
        EXPECT_FALSE(plugin.plugin->isResting());
        plugin.midi(24000 + kRestFrames + 2 * kBlock, 0x90, 64, 90);
        return plugin.run(100000);
    });
}

namespace
{
std::string patchName(const ::testing::TestParamInfo<int>& info)
{
    const char* names[] = {"LfosFollowingTheBars", "LfosAndPulseWidthsRunningFree", "EnvelopesOnTheClock"};
    return names[info.param];
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Patches, EngineRest, ::testing::Values(0, 1, 2), patchName);

TEST(EngineRestInput, AnEffectWithSoundAtItsInputDoesNotRest)
{
    TemporaryHome home;
    SoundingPlugin plugin(kRate, kBlock, effectFlavour(), lively);
    plugin.run(kRestFrames);
    ASSERT_TRUE(plugin.plugin->isResting());
    std::vector<float> input(kBlock, 0.0f), left(kBlock), right(kBlock);
    input[5] = 1e-9f;
    float* inputs[] = {input.data(), input.data()};
    float* outputs[] = {left.data(), right.data()};
    plugin.plugin->processReplacing(inputs, outputs, kBlock);
    EXPECT_FALSE(plugin.plugin->isResting());
    std::fill(input.begin(), input.end(), 0.0f);
    for (int i = 0; i < 48000 / kBlock; ++i)
        plugin.plugin->processReplacing(inputs, outputs, kBlock);
    EXPECT_TRUE(plugin.plugin->isResting());
}
