// The plug-in's sound end to end, in both deliverables: MIDI in through the
// effect record, the keyboard handler, the voice engine and the effects,
// audio out.

#include "tests/support/Deliverables.h"
#include "tests/support/SoundingPlugin.h"
#include "tests/support/FrequencyAnalysis.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
float peak(const std::vector<float>& x)
{
    float p = 0.0f;
    for (float v : x)
        p = std::max(p, std::fabs(v));
    return p;
}

class PluginSound : public ::testing::TestWithParam<Deliverable>
{
protected:
    const Flavour& flavour() const { return *GetParam().flavour; }

    TemporaryHome home;
};
}

INSTANTIATE_FOR_BOTH_DELIVERABLES(PluginSound);

TEST_P(PluginSound, Note69PlaysA440)
{
    for (float rate : {44100.0f, 48000.0f, 96000.0f})
    {
        SoundingPlugin synth(rate, 512, flavour());
        // A second for the filter to sweep to the patch's values.
        const int second = static_cast<int>(rate);
        synth.midi(second, 0x90, 69, 100);
        synth.run(second + second / 2);
        const SoundingPlugin::Stereo held = synth.run(4 * second);
        // The unison pair of the default patch lies either side of the note.
        EXPECT_NEAR(spectrum::centroid(held.left, rate, 430.0, 450.0, 0.05), 440.0, 0.1) << rate;
        EXPECT_GT(spectrum::rms(held.left.data(), held.left.size()), 0.01) << rate;
    }
}

TEST_P(PluginSound, NoteOffReleasesToSilence)
{
    SoundingPlugin synth(44100.0f, 256, flavour());
    synth.midi(44100, 0x90, 60, 100);
    synth.midi(66150, 0x80, 60, 64);
    const SoundingPlugin::Stereo before = synth.run(66150);
    EXPECT_GT(peak(before.left), 0.05f);
    // The release takes 0.27 s and the echo repeats for a while; two seconds
    // later everything is quiet.
    synth.run(2 * 44100);
    const SoundingPlugin::Stereo after = synth.run(4410);
    EXPECT_LT(peak(after.left), 1e-4f);
    EXPECT_LT(peak(after.right), 1e-4f);
}

TEST_P(PluginSound, EveryNoteAtOnceStaysFinite)
{
    SoundingPlugin synth(44100.0f, 512, flavour());
    for (int note = 0; note < 128; ++note)
        synth.midi(44100 + note, 0x90, note, 127);
    const SoundingPlugin::Stereo out = synth.run(2 * 44100);
    for (std::size_t i = 0; i < out.left.size(); ++i)
    {
        ASSERT_TRUE(std::isfinite(out.left[i])) << i;
        ASSERT_TRUE(std::isfinite(out.right[i])) << i;
    }
    EXPECT_GT(peak(out.left), 0.05f);
}

TEST_P(PluginSound, BlockSizesGiveTheSameSound)
{
    // Gates are sample-accurate; the rest of a note change applies per
    // 32-sample tick, and with small blocks a tick may already be rendered
    // when its change arrives, which then waits for the next tick. A voice
    // woken from silence is rendered from the start of its block. So: one
    // voice sounding from the first sample on, let go and struck again on
    // odd samples at the same velocity.
    auto render = [this](int block) {
        SoundingPlugin synth(44100.0f, block, flavour());
        synth.midi(0, 0x90, 69, 100);
        synth.midi(20101, 0x80, 69, 64);
        synth.midi(23007, 0x90, 69, 100);
        synth.midi(50013, 0x80, 69, 64);
        return synth.run(70000);
    };
    const SoundingPlugin::Stereo reference = render(512);
    EXPECT_GT(peak(reference.left), 0.05f);
    // After the wave tables are built (one step per block, 24 blocks of 512
    // samples) and the filters forgot the stair-step tables.
    const std::size_t built = 28 * 512;
    for (int block : {1, 37, 64})
    {
        const SoundingPlugin::Stereo other = render(block);
        double worst = 0.0;
        for (std::size_t i = built; i < reference.left.size(); ++i)
        {
            worst = std::max(worst, static_cast<double>(std::fabs(other.left[i] - reference.left[i])));
            worst = std::max(worst, static_cast<double>(std::fabs(other.right[i] - reference.right[i])));
        }
        EXPECT_LT(worst, 1e-4) << block;
    }
}
