// The effect's audio input as a host feeds it, through the plug-in's entry
// point: oscillator 1 playing the input of a held note, the filter open and
// the chorus and echo off, so that what comes out follows what goes in.

#include "Source/parameters/ParameterIndices.h"
#include "tests/support/Deliverables.h"
#include "tests/support/MidiEvents.h"
#include "tests/support/PatchDocuments.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <vector>

namespace
{
constexpr int kRate = 48000;

class EffectInput : public ::testing::Test
{
protected:
    // The left output of the input played through a note held from the
    // first sample, at both input pins, in the host blocks nextBlock cuts;
    // the host announces blocks of `announced`.
    static std::vector<float> render(const std::vector<float>& input, const std::function<int()>& nextBlock,
                                     int announced = 512, int* reportedDelay = nullptr)
    {
        HostSettings settings;
        settings.sampleRate = kRate;
        settings.blockSize = announced;
        HostedPlugin plugin(effectDeliverable().libraryPath, settings);
        const ParameterTexts patch = {{"Osc1Waveform", "Audio Input"},
                                      {"OscMix", "100"},
                                      {"UnisonMode", "Off"},
                                      {"ChorusLevel", "Off"},
                                      {"DelayLevel", "Off"}};
        EXPECT_EQ(plugin.setChunk(plainChunk(patchDocument("609", patch)), true), 1);
        plugin.setParameter(Param::FilterFreq, 1.0f);
        plugin.resume();
        if (reportedDelay != nullptr)
            *reportedDelay = plugin.effect()->initialDelay;
        const int frames = static_cast<int>(input.size());
        std::vector<float> left(frames), right(frames), in(input);
        std::vector<VstMidiEvent> note = {midiEvent(0, 0x90, 60, 100)};
        for (int done = 0; done < frames;)
        {
            const int n = std::min(nextBlock(), frames - done);
            float* inputs[] = {in.data() + done, in.data() + done};
            float* outputs[] = {left.data() + done, right.data() + done};
            plugin.processBlock(note, inputs, outputs, n);
            note.clear();
            done += n;
        }
        return left;
    }

    static std::vector<float> sine(int frames)
    {
        std::vector<float> x(frames);
        for (int i = 0; i < frames; ++i)
            x[i] = 0.3f * static_cast<float>(std::sin(2.0 * M_PI * 440.0 * i / kRate));
        return x;
    }

    static float largestStep(const std::vector<float>& x, std::size_t from)
    {
        float step = 0.0f;
        for (std::size_t i = from + 1; i < x.size(); ++i)
            step = std::max(step, std::fabs(x[i] - x[i - 1]));
        return step;
    }

    TemporaryHome home;
};
} // namespace

TEST_F(EffectInput, ANonFiniteInputSampleIsSilenceAndTheSoundGoesOn)
{
    const int frames = kRate / 2;
    const int poisoned = 15000;
    const auto blocks = [] { return 256; };
    const std::vector<float> clean = render(sine(frames), blocks);
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()})
    {
        std::vector<float> input = sine(frames);
        input[poisoned] = bad;
        const std::vector<float> out = render(input, blocks);
        for (int i = 0; i < frames; ++i)
            ASSERT_TRUE(std::isfinite(out[i])) << bad << " at " << i;
        // One block on, the sound is the clean one again.
        float worst = 0.0f;
        for (int i = poisoned + 256; i < frames; ++i)
            worst = std::max(worst, std::fabs(out[i] - clean[i]));
        EXPECT_LT(worst, 1e-3f) << bad;
    }
}

TEST_F(EffectInput, TheOutputDoesNotDependOnHowTheHostCutsItsBlocks)
{
    const int frames = kRate / 2;
    const std::vector<float> input = sine(frames);
    const std::vector<float> reference = render(input, [] { return 64; });
    // Steps are compared from a tenth of a second on, past the note's
    // attack.
    const std::size_t steady = kRate / 10;
    const float step = largestStep(reference, steady);
    ASSERT_GT(step, 1e-3f);
    struct Cut
    {
        const char* name;
        std::function<int()> next;
        int announced;
    };
    std::mt19937 random(7);
    std::uniform_int_distribution<int> size(1, 512);
    for (const Cut& cut :
         {Cut{"1", [] { return 1; }, 512}, Cut{"16", [] { return 16; }, 512}, Cut{"31", [] { return 31; }, 512},
          Cut{"33", [] { return 33; }, 512}, Cut{"random", [&] { return size(random); }, 512},
          Cut{"random beyond the announced 64", [&] { return size(random); }, 64}})
    {
        const std::vector<float> out = render(input, cut.next, cut.announced);
        float worst = 0.0f;
        for (std::size_t i = 0; i < out.size(); ++i)
            worst = std::max(worst, std::fabs(out[i] - reference[i]));
        EXPECT_LT(worst, 1e-4f) << cut.name;
        EXPECT_LE(largestStep(out, steady), step * 1.001f) << cut.name;
    }
}

TEST_F(EffectInput, TheReportedLatencyIsTheDelayOfAClick)
{
    const int frames = kRate / 4;
    for (int click : {kRate / 10, kRate / 10 + 13})
    {
        std::vector<float> input(frames, 0.0f);
        input[click] = 0.5f;
        int reported = -1;
        const std::vector<float> out = render(
            input, [] { return 33; }, 512, &reported);
        int loudest = 0;
        for (int i = 0; i < frames; ++i)
            if (std::fabs(out[i]) > std::fabs(out[loudest]))
                loudest = i;
        EXPECT_GT(std::fabs(out[loudest]), 0.01f);
        EXPECT_EQ(loudest - click, reported) << click;
    }
}
