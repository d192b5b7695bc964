// Short renders of whole patches, kept in tests/golden/ and compared within
// a small tolerance, so that a change of the sound does not go unnoticed.
// Both deliverables must render them alike: with no input given, the
// effect's audio input is as silent as the instrument's.
// ZENTROVA_REGENERATE_GOLDEN=1 writes them anew instead.

#include "dsp/Random.h"
#include "TestSignals.h"
#include "tests/support/Deliverables.h"
#include "tests/support/SimdPaths.h"
#include "tests/support/SoundingPlugin.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace
{
constexpr float kRate = 44100.0f;
constexpr int kBlock = 256;
// Unrecorded: the wave tables are built.
constexpr int kPreRoll = 22016;
constexpr int kFrames = 4096;
constexpr double kTolerance = 2e-4;

struct Midi
{
    int sample;
    int status;
    int data1;
    int data2;
};

struct Change
{
    int sample;
    int index;
    const char* text;
};

struct Golden
{
    const char* name;
    std::function<void(PatchEdit&)> patch;
    std::vector<Midi> midi;
    std::vector<Change> changes;
};

std::vector<Midi> chord(int off = 3000)
{
    return {{0, 0x90, 60, 100}, {0, 0x90, 64, 80}, {7, 0x90, 67, 120},
            {off, 0x80, 60, 64}, {off, 0x80, 64, 64}, {off + 11, 0x80, 67, 64}};
}

std::vector<Golden> goldens()
{
    return {
        {"default", {}, chord(), {}},
        {"triangle-square",
         [](PatchEdit& p) {
             p.set(Param::Osc1Waveform, "Triangle");
             p.set(Param::Osc2Waveform, "Square");
             p.set(Param::OscMix, "30");
         },
         chord(), {}},
        {"pulse-pwm",
         [](PatchEdit& p) {
             p.set(Param::Osc1Waveform, "Pulse");
             p.set(Param::Osc2Waveform, "PWM");
             p.set(Param::PulseWidth1, "70");
             p.set(Param::PulseWidth2, "95");
         },
         chord(), {}},
        {"organ-harpsichord",
         [](PatchEdit& p) {
             p.set(Param::Osc1Waveform, "Full Organ");
             p.set(Param::Osc2Waveform, "Harpsichord");
             p.set(Param::Osc2Octave, "1");
         },
         chord(), {}},
        {"lead-doublepulse-gritty",
         [](PatchEdit& p) {
             p.set(Param::Osc1Waveform, "Strong Lead");
             p.set(Param::Osc2Waveform, "Double Pulse");
             p.set(Param::Osc2Transpose, "7");
         },
         chord(),
         {{2048, Param::Osc2Waveform, "Gritty"}}},
        {"user-waves",
         [](PatchEdit& p) {
             p.set(Param::Osc1Waveform, "User Wave 1");
             p.set(Param::Osc2Waveform, "User Wave 2");
             p.set(Param::W1Fund, "200");
             p.set(Param::W1Fund + 2, "120");
             p.set(Param::W1Fund + 4, "60");
             p.set(Param::W2Fund + 1, "180");
             p.set(Param::W2Fund + 6, "90");
         },
         chord(), {}},
        {"noise-ring-input",
         [](PatchEdit& p) {
             p.set(Param::Osc2Waveform, "Audio Input");
             p.set(Param::NoiseType, "Pink");
             p.set(Param::NoiseMix, "40");
             p.set(Param::RingModulation, "Half");
         },
         chord(),
         {{1024, Param::NoiseType, "White"}, {2048, Param::RingModulation, "Full"}}},
        {"filter-modes",
         [](PatchEdit& p) {
             p.set(Param::FilterQ, "0.60");
             p.set(Param::FilterSep, "7");
         },
         chord(4000),
         {{448, Param::FilterType, "Bnd Pass"},
          {896, Param::FilterType, "Hi Pass"},
          {1344, Param::FilterType, "LP 2 Pole"},
          {1792, Param::FilterType, "BP 2 Pole"},
          {2240, Param::FilterType, "HP 2 Pole"},
          {2688, Param::FilterType, "LP // BP"},
          {3136, Param::FilterType, "LP // HP"},
          {3584, Param::FilterType, "BP // HP"}}},
        {"lfos",
         [](PatchEdit& p) {
             p.set(Param::LFO1Sync, "Free");
             p.set(Param::LFO1Rate, "12.0f");
             p.set(Param::LFO2Sync, "Free-RT");
             p.set(Param::LFO2Waveform, "Square");
             p.set(Param::LFO2Rate, "20.0f");
             p.set(Param::LFOtoPitchSource, "0");
             p.set(Param::LFOtoPitch, "2.50");
             p.set(Param::LFOtoFilterSource, "100");
             p.set(Param::LFOtoFilter, "64.3");
             p.set(Param::FilterFreq, "800");
         },
         chord(), {}},
        {"envelopes-aux",
         [](PatchEdit& p) {
             p.set(Param::Osc1Waveform, "Pulse");
             p.set(Param::FilterAttack, "0.0200");
             p.set(Param::FilterDecay, "0.0500");
             p.set(Param::FilterSustain, "30");
             p.set(Param::EnvToFilter, "60");
             p.set(Param::FiltEnvToPitch, "2.00");
             p.set(Param::AuxModDestination, "PW 1 & 2");
             p.set(Param::AuxModEnvSource, "Env 2");
             p.set(Param::AuxModEnvelope, 0.8f);
             p.set(Param::AmpAttack, "0.0100");
             p.set(Param::AmpDecay, "0.0500");
             p.set(Param::AmpSustain, "40.0");
         },
         chord(), {}},
        {"controllers-glide-unison",
         [](PatchEdit& p) {
             p.set(Param::Controller1Source, "Mod Wheel");
             p.set(Param::Controller1Dest, "Filter Freq");
             p.set(Param::Controller1Amount, 0.9f);
             p.set(Param::GlideTime, "0.10");
             p.set(Param::UnisonMode, "Poly 4Vc");
             p.set(Param::UnisonSpread, "100");
             p.set(Param::UnisonDetune, "20");
             p.set(Param::PanMode, "3");
         },
         {{0, 0x90, 48, 100}, {1000, 0xB0, 1, 100}, {1500, 0x90, 55, 100}, {1600, 0xE0, 0, 96},
          {3000, 0x80, 48, 64}, {3100, 0x80, 55, 64}},
         {}},
    };
}

std::string goldenPath(const char* name)
{
    std::string here = __FILE__;
    here = here.substr(0, here.rfind('/'));          // tests/Source/Voices
    here = here.substr(0, here.rfind('/'));          // tests/Source
    return here.substr(0, here.rfind('/')) + "/golden/" + name + ".f32";
}

// Interleaved left and right.
std::vector<float> render(const Golden& golden, const Flavour& flavour)
{
    seedRandom(1);
    SoundingPlugin synth(kRate, kBlock, flavour, golden.patch);
    for (const Midi& m : golden.midi)
        synth.midi(kPreRoll + m.sample, m.status, m.data1, m.data2);
    for (const Change& c : golden.changes)
        synth.parameter(kPreRoll + c.sample, c.index, c.text);
    synth.run(kPreRoll);
    const SoundingPlugin::Stereo out = synth.run(kFrames);
    std::vector<float> interleaved(2 * kFrames);
    for (int i = 0; i < kFrames; ++i)
    {
        interleaved[2 * i] = out.left[i];
        interleaved[2 * i + 1] = out.right[i];
    }
    return interleaved;
}

bool regenerating()
{
    const char* value = std::getenv("ZENTROVA_REGENERATE_GOLDEN");
    return value && std::string(value) == "1";
}

class GoldenRender : public ::testing::TestWithParam<std::tuple<int, Deliverable>>
{
protected:
    TemporaryHome home;
};
}

TEST_P(GoldenRender, MatchesItsStoredRender)
{
    const Golden golden = goldens()[std::get<0>(GetParam())];
    const Deliverable& deliverable = std::get<1>(GetParam());
    const std::vector<float> rendered = render(golden, *deliverable.flavour);
    const std::string path = goldenPath(golden.name);
    if (regenerating())
    {
        // One deliverable writes; the other is then checked against it.
        if (!deliverable.isEffect)
            GTEST_SKIP() << "written from the effect's render";
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(rendered.data()),
                   static_cast<std::streamsize>(rendered.size() * sizeof(float)));
        ASSERT_TRUE(file.good()) << path;
        return;
    }
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file.good()) << path << " is missing; ZENTROVA_REGENERATE_GOLDEN=1 writes it";
    std::vector<float> stored(rendered.size());
    file.read(reinterpret_cast<char*>(stored.data()), static_cast<std::streamsize>(stored.size() * sizeof(float)));
    ASSERT_EQ(file.gcount(), static_cast<std::streamsize>(stored.size() * sizeof(float))) << path;

    double worst = 0.0;
    std::size_t where = 0;
    double energy = 0.0;
    for (std::size_t i = 0; i < stored.size(); ++i)
    {
        ASSERT_TRUE(std::isfinite(rendered[i])) << i;
        const double difference = std::fabs(static_cast<double>(rendered[i]) - stored[i]);
        if (difference > worst)
        {
            worst = difference;
            where = i;
        }
        energy += static_cast<double>(stored[i]) * stored[i];
    }
    EXPECT_GT(energy, 0.0) << golden.name;
    EXPECT_LT(worst, kTolerance) << golden.name << ": frame " << where / 2 << (where % 2 ? " right" : " left");
}

INSTANTIATE_TEST_SUITE_P(Patches, GoldenRender,
                         ::testing::Combine(::testing::Range(0, static_cast<int>(goldens().size())),
                                            ::testing::ValuesIn(deliverables())),
                         [](const ::testing::TestParamInfo<std::tuple<int, Deliverable>>& info) {
                             std::string name = goldens()[std::get<0>(info.param)].name;
                             for (char& c : name)
                                 if (c == '-')
                                     c = '_';
                             return name + "_" + std::get<1>(info.param).name;
                         });

namespace
{
class GoldenRenderOnEveryPath : public ::testing::TestWithParam<int>
{
protected:
    TemporaryHome home;
};
}

// Every vector path the processor runs renders each patch with the samples
// of the four-lane kernels, bit for bit.
TEST_P(GoldenRenderOnEveryPath, MatchesTheFourLaneRender)
{
    const Golden golden = goldens()[GetParam()];
    const Flavour& flavour = *effectDeliverable().flavour;
    std::vector<float> fourLane;
    {
        ForcedSimdPath forced(SimdPath::Sse);
        fourLane = render(golden, flavour);
    }
    for (SimdPath path : runnableSimdPaths())
    {
        if (path == SimdPath::Sse)
            continue;
        ForcedSimdPath forced(path);
        const std::vector<float> rendered = render(golden, flavour);
        ASSERT_EQ(rendered.size(), fourLane.size());
        for (std::size_t i = 0; i < rendered.size(); ++i)
            ASSERT_EQ(bitsOf(rendered[i]), bitsOf(fourLane[i]))
                << golden.name << " on " << SystemInfo::simdPathName(path) << ": frame " << i / 2
                << (i % 2 ? " right" : " left");
    }
}

INSTANTIATE_TEST_SUITE_P(Patches, GoldenRenderOnEveryPath, ::testing::Range(0, static_cast<int>(goldens().size())),
                         [](const ::testing::TestParamInfo<int>& info) {
                             std::string name = goldens()[info.param].name;
                             for (char& c : name)
                                 if (c == '-')
                                     c = '_';
                             return name;
                         });
