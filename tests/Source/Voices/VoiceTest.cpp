#include "Source/Voices/Voice.h"

#include "Source/parameters/EngineValue.h"
#include "tests/Source/Voices/EngineRig.h"
#include "tests/support/FrequencyAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// The default patch as loaded: values posted, the keyboard handler's voice
// allocation for "Poly 8" with the patch's unison, and a second of rendering
// so the filter has swept to the patch's values and the wave tables are
// built.
void loadDefaultPatch(EngineRig& rig, int unison = 2)
{
    rig.sendPatch();
    rig.voiceAllocation(unison, 8);
    rig.run(44100);
}

bool allFinite(const std::vector<float>& x)
{
    for (float v : x)
        if (!std::isfinite(v))
            return false;
    return true;
}

float peak(const std::vector<float>& x)
{
    float p = 0.0f;
    for (float v : x)
        p = std::max(p, std::fabs(v));
    return p;
}

struct NoteChange
{
    int sample;
    bool on;
};

// Renders the default patch, loaded at sample 0, with the given note
// changes of group 0, in blocks of `block` host samples.
std::vector<float> renderPhrase(int block, const std::vector<NoteChange>& changes, int total)
{
    EngineRig rig(44100.0f, block);
    rig.sendPatch();
    rig.voiceAllocation(2, 8);
    std::vector<float> out;
    for (int start = 0; start < total; start += block)
    {
        const int frames = std::min(block, total - start);
        for (const NoteChange& change : changes)
        {
            if (change.sample < start || change.sample >= start + frames)
                continue;
            if (change.on)
                rig.noteOn(0, 69, 100, change.sample - start);
            else
                rig.noteOff(0, change.sample - start);
        }
        const std::vector<float> mix = rig.render(frames);
        out.insert(out.end(), mix.begin(), mix.end());
    }
    return out;
}
}

TEST(Voice, DefaultPatchPlaysNote69At440Hz)
{
    for (float rate : {44100.0f, 48000.0f, 96000.0f})
    {
        EngineRig rig(rate, 512);
        rig.patch.set(Param::UnisonMode, "Off");
        loadDefaultPatch(rig, 0);
        rig.noteOn(0, 69, 100);
        rig.run(static_cast<int>(rate / 4));
        const std::vector<float> left = EngineRig::channel(rig.run(static_cast<int>(rate)), 0);
        EXPECT_NEAR(spectrum::peakFrequency(left, 2.0 * rate, 400.0, 480.0), 440.0, 0.1) << rate;
        EXPECT_GT(spectrum::rms(left.data(), left.size()), 0.01);
    }
}

TEST(Voice, DefaultUnisonPairSitsEitherSideOfTheNote)
{
    // "Poly 2Vc" with 9 cents of unison detune: two partials either side of
    // 440 Hz, each within the oscillators' pitch resolution of 1/32 semitone,
    // centred on the note.
    EngineRig rig;
    loadDefaultPatch(rig);
    rig.noteOn(0, 69, 100);
    rig.run(4410);
    const std::vector<float> left = EngineRig::channel(rig.run(4 * 44100), 0);
    const double low = spectrum::peakFrequency(left, 88200.0, 430.0, 440.0);
    const double high = spectrum::peakFrequency(left, 88200.0, 440.0, 450.0);
    const double cents = 100.0 / 32.0;
    EXPECT_NEAR(1200.0 * std::log2(low / 440.0), -9.0, cents);
    EXPECT_NEAR(1200.0 * std::log2(high / 440.0), 9.0, cents);
    EXPECT_NEAR(std::sqrt(low * high), 440.0, 0.1);
    EXPECT_NEAR(spectrum::centroid(left, 88200.0, 430.0, 450.0, 0.05), 440.0, 0.1);
}

TEST(Voice, NoteOffReleasesToSilence)
{
    EngineRig rig;
    loadDefaultPatch(rig);
    rig.noteOn(0, 60, 100);
    const std::vector<float> held = rig.run(22050);
    EXPECT_GT(spectrum::rms(held.data() + held.size() / 2, held.size() / 2), 0.05);
    rig.noteOff(0);
    rig.run(22050); // the default release is 0.27 s
    const std::vector<float> after = rig.run(4410);
    EXPECT_EQ(peak(after), 0.0f);
    EXPECT_EQ(rig.voice.renderMask()[0] | rig.voice.renderMask()[1], 0u);
}

TEST(Voice, AllVoicesAtOnceStayFinite)
{
    // Sixteen groups of eight unison voices: all 128 voices sound.
    EngineRig rig;
    rig.patch.set(Param::UnisonMode, "Poly 8Vc");
    rig.patch.set(Param::FilterQ, "1.0");
    rig.patch.set(Param::FilterDrive, "100");
    rig.sendPatch();
    rig.voiceAllocation(8, 16);
    rig.run(44100);
    for (int g = 0; g < 16; ++g)
        rig.noteOn(g, 20 + 7 * g, 127);
    const std::vector<float> mix = rig.run(44100);
    EXPECT_EQ(rig.voice.renderMask()[0], ~std::uint64_t(0));
    EXPECT_EQ(rig.voice.renderMask()[1], ~std::uint64_t(0));
    EXPECT_TRUE(allFinite(mix));
    EXPECT_GT(peak(mix), 0.1f);
}

TEST(Voice, BlockSizesGiveTheSameSound)
{
    // A voice that sounds from the first sample on, let go and struck again
    // on odd samples while it still sounds. (A voice that starts from silence
    // is rendered from the start of its block, so its start depends on the
    // block grid.)
    const std::vector<NoteChange> changes = {{0, true}, {20101, false}, {23007, true}, {60055, false}};
    const int total = 2 * 44100;
    const std::vector<float> reference = renderPhrase(512, changes, total);
    EXPECT_GT(peak(reference), 0.1f);
    // The wave tables reach their band-limited form one step per block:
    // after 24 blocks of 512 samples, and the filters forget the stair-step
    // tables soon after. Until then the grids differ by the stair steps.
    const std::size_t built = 4 * 28 * 512;
    for (int block : {1, 37, 64})
    {
        const std::vector<float> other = renderPhrase(block, changes, total);
        ASSERT_EQ(other.size(), reference.size());
        double early = 0.0;
        double later = 0.0;
        for (std::size_t i = 0; i < reference.size(); ++i)
        {
            const double difference = std::fabs(other[i] - reference[i]);
            (i < built ? early : later) = std::max(i < built ? early : later, difference);
        }
        EXPECT_LT(early, 0.05) << block;
        EXPECT_LT(later, 1e-6) << block;
    }
}

TEST(Voice, VoiceBudgetsFollowTheVoiceMode)
{
    EngineRig rig;
    auto budgets = [&](int mode, int polyphony) {
        rig.voice.setVoiceMode(mode, polyphony);
        std::vector<int> counts;
        for (int g = 0; g < 16; ++g)
            counts.push_back(rig.voice.voicesOfGroup(g));
        return counts;
    };
    EXPECT_EQ(budgets(0, 8), std::vector<int>(16, 1));
    EXPECT_EQ(budgets(8, 16), std::vector<int>(16, 8));
    for (int mode = 2; mode <= 7; ++mode)
        EXPECT_EQ(budgets(mode, 4), std::vector<int>(16, mode)) << mode;
    std::vector<int> mono12(16, 0);
    std::fill(mono12.begin(), mono12.begin() + 10, 12);
    EXPECT_EQ(budgets(1, 12), mono12);
    std::vector<int> mono16(16, 0);
    std::fill(mono16.begin(), mono16.begin() + 8, 16);
    EXPECT_EQ(budgets(1, 16), mono16);
    std::vector<int> mono4(16, 4);
    EXPECT_EQ(budgets(1, 4), mono4);
    // Every voice belongs to at most one group.
    budgets(3, 1);
    std::uint64_t seen[2] = {0, 0};
    for (int g = 0; g < 16; ++g)
        for (int i = 0; i < rig.voice.voicesOfGroup(g); ++i)
        {
            const int v = rig.voice.noteControl(g).voice(i).index();
            ASSERT_EQ((seen[v >> 6] >> (v & 63)) & 1, 0u);
            seen[v >> 6] |= std::uint64_t(1) << (v & 63);
        }
}

TEST(Voice, VoiceAllocationEventReshapesTheGroups)
{
    EngineRig rig;
    rig.voiceAllocation(4, 8);
    rig.render(32);
    EXPECT_EQ(rig.voice.voicesOfGroup(15), 4);
    EXPECT_TRUE(rig.voice.controlSettings().bendToAll);
}

TEST(Voice, VoicesLeavingAGroupFallSilent)
{
    EngineRig rig;
    loadDefaultPatch(rig, 4);
    rig.noteOn(0, 60, 100);
    rig.run(4410);
    rig.voiceAllocation(0, 8);
    rig.run(64);
    EXPECT_EQ(rig.voice.voicesOfGroup(0), 1);
    // Only the voice the group kept is still rendered.
    const int kept = rig.voice.noteControl(0).voice(0).index();
    const std::uint64_t* mask = rig.voice.renderMask();
    EXPECT_EQ(__builtin_popcountll(mask[0]) + __builtin_popcountll(mask[1]), 1);
    EXPECT_TRUE((mask[kept >> 6] >> (kept & 63)) & 1);
}

TEST(Voice, BlockInsideTheCarriedTickRendersNoTick)
{
    EngineRig rig(44100.0f, 64);
    rig.sendPatch();
    rig.voiceAllocation(2, 8);
    rig.noteOn(0, 60, 100);
    rig.render(1);
    EXPECT_EQ(rig.voice.blockTicks(), 1);
    EXPECT_EQ(rig.voice.carry(), 62);
    const std::vector<float> mix = rig.render(1);
    EXPECT_EQ(rig.voice.blockTicks(), 0);
    EXPECT_EQ(rig.voice.carry(), 60);
    EXPECT_TRUE(allFinite(mix));
    EXPECT_NE(mix[0], -99.0f);
}

TEST(Voice, StartInABlockWithoutATickGivesTheFilterAWrittenWord)
{
    EngineRig rig(44100.0f, 64);
    loadDefaultPatch(rig);
    rig.render(1);
    ASSERT_GT(rig.voice.carry(), 2);
    rig.noteOn(0, 60, 100);
    rig.render(1);
    ASSERT_EQ(rig.voice.blockTicks(), 0);
    const VoiceState& voice = rig.voice.noteControl(0).voice(0);
    EXPECT_EQ(rig.voice.voiceBuffers(voice.index()).filterParameters[0], voice.lastFilterWord());
}

TEST(Voice, BlockSizeChangeDropsTheCarry)
{
    EngineRig rig(44100.0f, 100);
    loadDefaultPatch(rig);
    rig.noteOn(0, 60, 100);
    rig.render(50);
    ASSERT_GT(rig.voice.carry(), 0);
    rig.voice.setBlockSize(200);
    EXPECT_EQ(rig.voice.carry(), 0);
    rig.tickPhase = 0;
    const std::vector<float> mix = rig.render(200);
    EXPECT_TRUE(allFinite(mix));
    rig.voice.setSampleRate(48000.0f);
    EXPECT_EQ(rig.voice.carry(), 0);
}

TEST(Voice, EventsBeyondTheLastTickApplyBeforeTheBlockEnds)
{
    EngineRig rig(44100.0f, 64);
    rig.cues[1].push(0, item(Param::OscMix, 7, 50));
    rig.cues[3].push(0, item(EventCode::NoteStart, EngineRig::groupBit(2) + 80 + (90 << 8), 50));
    rig.render(64);
    EXPECT_EQ(rig.voice.oscillatorSettings().oscMixTarget, 7);
    EXPECT_EQ(rig.voice.noteControl(2).note(), 80);
    EXPECT_EQ(rig.voice.noteControl(2).velocity(), 90);
}

TEST(Voice, EventsLandOnTheTickThatHoldsThem)
{
    // Whatever the block's phase, an event stamped with tick k changes the
    // streams from the tick that starts at or before its sample.
    for (int lead : {0, 5, 31})
    {
        EngineRig rig(44100.0f, 256);
        rig.render(lead); // shifts the tick grid against the blocks
        rig.controlEvent(Param::MasterOctave, 1, 100);
        rig.noteOn(0, 69, 64, 0);
        rig.render(256);
        const VoiceState& voice = rig.voice.noteControl(0).voice(0);
        const std::int32_t* pitch = rig.voice.voiceBuffers(voice.index()).pitch1;
        // The grid tick holding sample 100 of this block starts at
        // 32 x floor((100 + phase) / 32) - phase.
        const int phase = lead % 32;
        const int changeSample = 32 * ((100 + phase) / 32) - phase;
        const int firstTickSample = phase == 0 ? 0 : 32 - phase;
        const int changeTick = (changeSample - firstTickSample) / 32;
        EXPECT_EQ(pitch[changeTick - 1], 189 * 65536 + VoiceState::kPitchRounding) << lead;
        EXPECT_EQ(pitch[changeTick], 201 * 65536 + VoiceState::kPitchRounding) << lead;
    }
}

TEST(Voice, HoldTwoScaleTakesEffectAtTheNextBlock)
{
    EngineRig rig;
    EXPECT_FLOAT_EQ(rig.voice.ampBank().settings().hold2Scale, 2.0f);
    rig.voice.setHold2Scale(3.0f);
    EXPECT_FLOAT_EQ(rig.voice.getHold2Scale(), 3.0f);
    rig.render(32);
    EXPECT_FLOAT_EQ(rig.voice.ampBank().settings().hold2Scale, 3.0f);
    EXPECT_FLOAT_EQ(rig.voice.envelopeParameters(0).hold2Scale, 3.0f);
    EXPECT_FLOAT_EQ(rig.voice.envelopeParameters(1).hold2Scale, 3.0f);
    rig.voice.setHold2Scale(std::nanf(""));
    rig.render(32);
    EXPECT_FLOAT_EQ(rig.voice.ampBank().settings().hold2Scale, 3.0f);
}
