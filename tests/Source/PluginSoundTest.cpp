// The plug-in's sound end to end, in both deliverables: MIDI in through the
// effect record, the keyboard handler, the voice engine and the effects,
// audio out.

#include "Source/parameters/ParameterTable.h"
#include "dsp/Fft.h"
#include "patches/ProgramBankFiles.h"
#include "tests/support/Deliverables.h"
#include "tests/support/FrequencyAnalysis.h"
#include "tests/support/MidiEvents.h"
#include "tests/support/PatchDocuments.h"
#include "tests/support/SoundingPlugin.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <thread>
#include <utility>

namespace
{
float peak(const std::vector<float>& x)
{
    float p = 0.0f;
    for (float v : x)
        p = std::max(p, std::fabs(v));
    return p;
}

constexpr int kRate = 44100;

double rmsOf(const std::vector<float>& x, double fromSeconds, double toSeconds)
{
    const auto from = static_cast<std::size_t>(fromSeconds * kRate);
    return spectrum::rms(x.data() + from, static_cast<std::size_t>(toSeconds * kRate) - from);
}

std::vector<float> slice(const std::vector<float>& x, double fromSeconds, double toSeconds)
{
    return std::vector<float>(x.begin() + static_cast<std::ptrdiff_t>(fromSeconds * kRate),
                              x.begin() + static_cast<std::ptrdiff_t>(toSeconds * kRate));
}

// Samples from the note to the first one above 0.05.
int onset(const std::vector<float>& x, int note)
{
    for (std::size_t i = note; i < x.size(); ++i)
        if (std::fabs(x[i]) > 0.05f)
            return static_cast<int>(i) - note;
    return -1;
}

// One plain voice, no effects: level and pitch read without beats or echoes.
const ParameterTexts kPlainVoice = {{"UnisonMode", "Off"}, {"EffectActive", "Off"}};

class PluginSound : public ::testing::TestWithParam<Deliverable>
{
protected:
    const Flavour& flavour() const { return *GetParam().flavour; }

    // A new instance as a host opens it, with the patch of a project read
    // before it is first resumed (none: the instance's own).
    std::unique_ptr<HostedPlugin> openInstance(const ParameterTexts& patch = {}, double rate = kRate,
                                               VstInt32 processLevel = 0)
    {
        HostSettings settings;
        settings.sampleRate = rate;
        settings.processLevel = processLevel;
        settings.blockSize = 256;
        auto plugin = std::make_unique<HostedPlugin>(GetParam().libraryPath, settings);
        if (!patch.empty())
            plugin->setChunk(plainChunk(patchDocument("609", patch)), true);
        plugin->resume();
        return plugin;
    }

    // The left output of the next frames samples; the events' deltaFrames
    // count from the first of them.
    static std::vector<float> play(HostedPlugin& plugin, int frames, const std::vector<VstMidiEvent>& midi = {})
    {
        return playStereo(plugin, frames, midi).left;
    }

    static SoundingPlugin::Stereo playStereo(HostedPlugin& plugin, int frames,
                                             const std::vector<VstMidiEvent>& midi = {})
    {
        const int block = plugin.settings().blockSize;
        std::vector<float> left(frames), right(frames);
        for (int done = 0; done < frames; done += block)
        {
            const int n = std::min(block, frames - done);
            std::vector<VstMidiEvent> events;
            for (VstMidiEvent event : midi)
                if (event.deltaFrames >= done && event.deltaFrames < done + n)
                {
                    event.deltaFrames -= done;
                    events.push_back(event);
                }
            float* outputs[] = {left.data() + done, right.data() + done};
            plugin.processBlock(events, nullptr, outputs, n);
        }
        return {left, right};
    }

    // The loudest sample of either output while C3, C4 and G4, struck at
    // the start, are held, leaving out the first second; move may set
    // parameters before each block, given the frame it starts at.
    static float heldPeak(HostedPlugin& plugin, int frames, const std::function<void(int)>& move = {})
    {
        const int block = plugin.settings().blockSize;
        std::vector<VstMidiEvent> events = {midiEvent(0, 0x90, 48, 100), midiEvent(0, 0x90, 60, 100),
                                            midiEvent(0, 0x90, 67, 100)};
        std::vector<float> left(block), right(block);
        float* outputs[] = {left.data(), right.data()};
        float loudest = 0.0f;
        for (int done = 0; done < frames; done += block)
        {
            if (move)
                move(done);
            plugin.processBlock(events, nullptr, outputs, block);
            events.clear();
            if (done >= kRate)
                loudest = std::max({loudest, peak(left), peak(right)});
        }
        return loudest;
    }

    TemporaryHome home;
};
}

INSTANTIATE_FOR_BOTH_DELIVERABLES(PluginSound);

TEST_P(PluginSound, Note69PlaysA440)
{
    for (float rate : {44100.0f, 48000.0f, 96000.0f})
    {
        SoundingPlugin synth(rate, 512, flavour());
        // A second for the wave tables to be built.
        const int second = static_cast<int>(rate);
        synth.midi(second, 0x90, 69, 100);
        synth.run(second + second / 2);
        const SoundingPlugin::Stereo held = synth.run(4 * second);
        // The unison pair of the default patch lies either side of the note.
        EXPECT_NEAR(spectrum::centroid(held.left, rate, 430.0, 450.0, 0.05), 440.0, 0.1) << rate;
        EXPECT_GT(spectrum::rms(held.left.data(), held.left.size()), 0.01) << rate;
    }
}

TEST_P(PluginSound, AHeldNoteHoldsOnlyItsHarmonicsAtLowHostRates)
{
    // The filter open to its top: below 44.1 kHz its top cutoffs once lay
    // where the filter blows up into its limits, and the note went rough.
    for (double rate : {22050.0, 8000.0})
        for (const char* wave : {"Triangle", "Sawtooth"})
        {
            ParameterTexts patch = kPlainVoice;
            patch.insert(patch.end(), {{"Osc1Waveform", wave}, {"OscMix", "100"}, {"FilterFreq", "16000"},
                                       {"EnvToFilter", "0"}, {"Function", "Mono"}});
            auto plugin = openInstance(patch, rate);
            constexpr int kSize = 1 << 15;
            // A second for the wave tables to be built, then the held note.
            const int second = static_cast<int>(rate);
            std::vector<float> held = play(*plugin, second + kSize, {midiEvent(0, 0x90, 69, 100)});
            held.erase(held.begin(), held.begin() + second);
            const std::vector<double> windowed = spectrum::hann(held);
            std::vector<float> bins(windowed.begin(), windowed.end());
            Fft(kSize).forward(bins.data(), bins.data());
            double strongest = 0.0, otherwise = 0.0, where = 0.0;
            for (int k = 1; k < kSize / 2; ++k)
            {
                const double magnitude = std::hypot(bins[k], bins[kSize / 2 + k]);
                const double frequency = k * rate / kSize;
                // A harmonic's main lobe, and the wave's small offset.
                const bool harmonic = std::fabs(frequency - 440.0 * std::round(frequency / 440.0)) < 4.0;
                strongest = std::max(strongest, magnitude);
                if (!harmonic && magnitude > otherwise)
                {
                    otherwise = magnitude;
                    where = frequency;
                }
            }
            EXPECT_LT(20.0 * std::log10(otherwise / strongest), -50.0)
                << wave << " at " << rate << " Hz: " << where << " Hz";
        }
}

TEST_P(PluginSound, VolumeAtItsBottomIsSilenceAndJustAboveItIsNot)
{
    for (float volume : {0.0f, 0.001f})
    {
        auto plugin = openInstance();
        const float loudest = heldPeak(*plugin, 2 * kRate, [&](int frame) {
            // Set during the chord; its glide is long over a second later.
            if (frame == kRate / 2 / 256 * 256)
                plugin->setParameter(Param::Volume, volume);
        });
        if (volume == 0.0f)
            EXPECT_EQ(loudest, 0.0f) << plugin->parameterDisplay(Param::Volume);
        else
            EXPECT_GT(loudest, 1e-5f);
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
    // odd samples at the same velocity. The echo is off: it would repeat
    // the stair-step start, which differs with the block grid, for seconds.
    auto render = [this](int block) {
        SoundingPlugin synth(44100.0f, block, flavour(),
                             [](PatchEdit& patch) { patch.set(Param::DelayLevel, "Off"); });
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

TEST_P(PluginSound, AFreshInstancePlaysItsFirstNoteAtFullLevelAndPitch)
{
    auto plugin = openInstance(kPlainVoice);
    const std::vector<float> out = play(*plugin, kRate / 2, {midiEvent(0, 0x90, 69, 100)});
    const double held = rmsOf(out, 0.4, 0.5);
    EXPECT_GT(held, 0.01);
    for (double from = 0.02; from < 0.4; from += 0.02)
        EXPECT_NEAR(rmsOf(out, from, from + 0.02), held, 0.1 * held) << from;
    EXPECT_NEAR(spectrum::peakFrequency(slice(out, 0.0, 0.1), kRate, 400.0, 480.0), 440.0, 0.5);
    EXPECT_NEAR(spectrum::peakFrequency(slice(out, 0.1, 0.5), kRate, 400.0, 480.0), 440.0, 0.5);
}

TEST_P(PluginSound, TheFirstNoteAfterAResumeStartsLikeLaterOnes)
{
    auto plugin = openInstance();
    const int note = 100;
    const std::vector<VstMidiEvent> strike = {midiEvent(note, 0x90, 69, 100), midiEvent(kRate / 2, 0x80, 69, 64)};
    const int soon = kRate / 200;
    const int first = onset(play(*plugin, kRate, strike), note);
    EXPECT_GE(first, 0);
    EXPECT_LT(first, soon);
    const int later = onset(play(*plugin, kRate, strike), note);
    EXPECT_GE(later, 0);
    EXPECT_LT(later, soon);
    // A resume after a sample-rate change starts the engine afresh.
    plugin->suspend();
    plugin->setSampleRate(48000.0);
    plugin->resume();
    const int resumed = onset(play(*plugin, kRate, strike), note);
    EXPECT_GE(resumed, 0);
    EXPECT_LT(resumed, soon);
}

TEST_P(PluginSound, TheFilterGlidesToAFrequencySetDuringANote)
{
    auto plugin = openInstance(kPlainVoice);
    const std::vector<float> before = play(*plugin, kRate / 4, {midiEvent(0, 0x90, 69, 100)});
    plugin->setParameter(Param::FilterFreq, 0.0f);
    const std::vector<float> after = play(*plugin, kRate / 2);
    const double bright = rmsOf(before, 0.2, 0.25);
    // One cutoff step per four ticks: a tenth of a second on, most of the
    // sound still passes.
    EXPECT_GT(rmsOf(after, 0.1, 0.12), 0.4 * bright);
    EXPECT_LT(rmsOf(after, 0.45, 0.5), 0.1 * bright);
}

TEST_P(PluginSound, TheOscillatorMixShowsOscillator1First)
{
    // Oscillator 2 a fifth above oscillator 1 at 440 Hz.
    const double osc1 = 440.0, osc2 = 440.0 * std::pow(2.0, 7.0 / 12.0);
    struct Case
    {
        const char* mix;
        const char* shown;
        double heard;
        double silent;
    };
    for (const Case& c : {Case{"100", "100/  0", osc1, osc2}, Case{"0", "  0/100", osc2, osc1}})
    {
        auto plugin = openInstance({{"UnisonMode", "Off"}, {"EffectActive", "Off"}, {"Osc2Transpose", "7"},
                                    {"OscMix", c.mix}});
        EXPECT_EQ(plugin->parameterDisplay(Param::OscMix), c.shown);
        const std::vector<double> out = spectrum::hann(play(*plugin, kRate / 2, {midiEvent(0, 0x90, 69, 100)}));
        EXPECT_GT(spectrum::power(out, kRate, c.heard), 1e4 * spectrum::power(out, kRate, c.silent)) << c.mix;
    }
}

// A host flips a filter between two settings every 2,400 samples while notes
// are held: no moment is much louder than either setting held. (The echo's
// high-pass read its history through coefficients that no longer cancelled
// it, and the voice filter's second filter came into a four-pole mode with
// its output counted twice.)
TEST_P(PluginSound, FlippingAFilterWhileNotesAreHeldMakesNoBurst)
{
    struct Case
    {
        const char* what;
        std::vector<std::pair<int, float>> patch;
        int index;
        float first;
        float second;
    };
    const Case cases[] = {
        // 24 Hz and 2 kHz, the echo at full level.
        {"echo high-pass", {{Param::DelayLevel, 1.0f}}, Param::DelayHighpass, 0.2f, 1.0f},
        // "Low Pass" and "LP // BP".
        {"filter type", {{Param::FilterQ, 0.0f}, {Param::FilterFreq, 0.3f}}, Param::FilterType, 0.0f, 0.75f},
    };
    const int frames = 3 * kRate;
    for (const Case& c : cases)
    {
        const auto open = [&](float value) {
            auto plugin = openInstance();
            for (const auto& [index, v] : c.patch)
                plugin->setParameter(index, v);
            plugin->setParameter(c.index, value);
            return plugin;
        };
        float held = 0.0f;
        for (float value : {c.first, c.second})
            held = std::max(held, heldPeak(*open(value), frames));
        ASSERT_GT(held, 0.01f) << c.what;
        auto plugin = open(c.first);
        bool second = false;
        int next = kRate;
        const float flipped = heldPeak(*plugin, frames, [&](int frame) {
            if (frame < next)
                return;
            second = !second;
            plugin->setParameter(c.index, second ? c.second : c.first);
            next += 2400;
        });
        EXPECT_LT(flipped, 2.0f * held) << c.what << ": held " << held;
    }
}

// A host moves every control at random, twenty times a second, while notes
// are held: the output stays within what settings can play.
TEST_P(PluginSound, RandomAutomationWhileNotesAreHeldStaysBounded)
{
    // Left alone: the controls that end the held notes or let them fade, and
    // the one that takes the effects out of the chain.
    const int kept[] = {Param::Triggering,  Param::GateTime,     Param::Function,
                        Param::AmpSustain,  Param::Arpeggio,     Param::KeyboardHold,
                        Param::ChordMemory, Param::EffectActive, Param::UnisonMode};
    auto plugin = openInstance();
    std::minstd_rand random(11);
    const float loudest = heldPeak(*plugin, 3 * kRate, [&](int frame) {
        if (frame % 2304 != 0)
            return;
        for (int index = 0; index < kNamedParameterCount; ++index)
        {
            const float value = static_cast<float>(random() % 1001) / 1000.0f;
            if (std::find(std::begin(kept), std::end(kept), index) == std::end(kept))
                plugin->setParameter(index, value);
        }
    });
    EXPECT_GT(loudest, 0.01f);
    // +12 dBFS. Held, the loudest settings of such runs play up to 2.5; the
    // bursts of this one went past 10.
    EXPECT_LT(loudest, 4.0f);
}

TEST_P(PluginSound, ALevelSetDuringAChordGlidesThereWithoutAStep)
{
    // One triangle per voice, filter open, a slow attack: the steady sound
    // moves little from one sample to the next, and a level that jumps
    // shows as a step many times that.
    const ParameterTexts neutral = {{"UnisonMode", "Off"},  {"EffectActive", "Off"}, {"Osc1Waveform", "Triangle"},
                                    {"OscMix", "100"},      {"FilterFreq", "16000"}, {"EnvToFilter", "0"},
                                    {"AmpAttack", "0.1000"}};
    // A short echo, so that a changed feedback is heard within the stretch
    // looked at.
    const ParameterTexts echo = {{"EffectActive", "On"}, {"ChorusLevel", "Off"},   {"DelayTempo", "120"},
                                 {"DelayUnits", "4"},    {"DelayLengthLeft", "1"}, {"DelayLengthRight", "1"},
                                 {"DelayLevel", "60"}};
    // All echo: a changed feedback is heard in full.
    ParameterTexts wet = echo;
    wet.insert(wet.end(), {{"DelayLevel", "100"}, {"DelayMixLeft", "100"}, {"DelayMixRight", "100"}});
    const ParameterTexts twoOscillators = {{"Osc2Waveform", "Triangle"}, {"Osc2Transpose", "7"}};
    ParameterTexts silentNoise = twoOscillators;
    silentNoise.insert(silentNoise.end(), {{"OscMix", "0"}, {"NoiseType", "Audio Input"}});
    struct Case
    {
        int index;
        float from;
        float to;
        const ParameterTexts& patch;
    };
    const Case cases[] = {
        {Param::Volume, 0.8f, 0.3f, neutral},         {Param::DelayLevel, 0.2f, 0.9f, echo},
        {Param::DelayLevel, 0.9f, 0.0f, echo},        {Param::DelayMixLeft, 0.2f, 0.9f, echo},
        {Param::DelayMixRight, 0.2f, 0.9f, echo},     {Param::DelayFeedbackLeft, 0.0f, 1.0f, wet},
        {Param::DelayFeedbackRight, 0.0f, 1.0f, wet}, {Param::DelayDucking, 0.1f, 0.9f, echo},
        {Param::FilterDrive, 0.2f, 0.9f, neutral},    {Param::OscMix, 1.0f, 0.0f, twoOscillators},
        {Param::NoiseMix, 0.0f, 1.0f, silentNoise},
    };
    for (const Case& c : cases)
    {
        ParameterTexts patch = neutral;
        for (const auto& [key, value] : c.patch)
        {
            const auto same = std::find_if(patch.begin(), patch.end(), [&](const auto& p) { return p.first == key; });
            if (same != patch.end())
                same->second = value;
            else
                patch.push_back({key, value});
        }
        auto plugin = openInstance(patch);
        plugin->setParameter(c.index, c.from);
        const int block = plugin->settings().blockSize;
        std::vector<float> left, right;
        auto render = [&](int frames, std::vector<VstMidiEvent> midi) {
            std::vector<float> l(block), r(block);
            for (int done = 0; done < frames; done += block)
            {
                float* outputs[] = {l.data(), r.data()};
                plugin->processBlock(midi, nullptr, outputs, block);
                midi.clear();
                left.insert(left.end(), l.begin(), l.end());
                right.insert(right.end(), r.begin(), r.end());
            }
        };
        std::vector<VstMidiEvent> chord;
        for (int note : {28, 33, 36, 40, 43, 45, 48, 52})
            chord.push_back(midiEvent(0, 0x90, note, 100));
        // The level jumps back and forth at block edges, at a different
        // point of the waves each time; each jump is looked at for a
        // quarter of a second, then the steady sound at the new level.
        const int segment = kRate / 2 / block * block;
        render(2 * segment, chord);
        std::vector<std::pair<std::size_t, std::size_t>> steady = {{segment, 2 * segment}}, jumps;
        for (int k = 0; k < 10; ++k)
        {
            plugin->setParameter(c.index, k % 2 == 0 ? c.to : c.from);
            const std::size_t at = left.size();
            render(segment + block * (k + 1), {});
            jumps.push_back({at, at + segment / 2});
            steady.push_back({at + segment / 2, left.size()});
        }
        auto largestStep = [&](const std::vector<std::pair<std::size_t, std::size_t>>& spans) {
            float step = 0.0f;
            for (const auto& [from, to] : spans)
                for (std::size_t i = from; i < to; ++i)
                    step = std::max({step, std::fabs(left[i] - left[i - 1]), std::fabs(right[i] - right[i - 1])});
            return step;
        };
        EXPECT_GT(largestStep(steady), 0.001f) << plugin->parameterName(c.index);
        EXPECT_LT(largestStep(jumps), 3.0f * largestStep(steady)) << plugin->parameterName(c.index);
    }
}

TEST_P(PluginSound, AnEchoFedBackAtItsTopDiesAwayAtEveryHostRateAndHighCut)
{
    // A repeat every 9.8 ms, so that a loop gain above 1 anywhere in the
    // band shows within seconds. Below 44.1 kHz the high cuts near the top
    // once made the loop grow without end.
    const ParameterTexts echo = {{"EffectActive", "On"},       {"ChorusLevel", "Off"},     {"DelayLevel", "100"},
                                 {"DelayMixLeft", "100"},      {"DelayMixRight", "100"},   {"DelayTempo", "192"},
                                 {"DelayUnits", "32"},         {"DelayLengthLeft", "1"},   {"DelayLengthRight", "1"},
                                 {"DelayFeedbackLeft", "95"},  {"DelayFeedbackRight", "95"}, {"DelayHighpass", "8"}};
    for (double rate : {8000.0, 11025.0, 16000.0, 22050.0, 24000.0, 32000.0, 44100.0, 96000.0, 192000.0})
        for (const char* cut : {"19", "16", "13", "10", "7", "4"})
        {
            // Where the loop always held, its top setting stands for all.
            if (rate >= 44100.0 && std::string(cut) != "19")
                continue;
            for (const char* mode : {"Direct", "Crossed"})
            {
                ParameterTexts patch = echo;
                patch.insert(patch.end(), {{"DelayLowpass", cut}, {"DelayFeedbackMode", mode}});
                auto plugin = openInstance(patch, rate);
                const int frames = static_cast<int>(3.0 * rate);
                const SoundingPlugin::Stereo out = playStereo(
                    *plugin, frames, {midiEvent(0, 0x90, 60, 100), midiEvent(static_cast<int>(0.3 * rate), 0x80, 60)});
                const auto loudest = [&](double from, double to) {
                    float p = 0.0f;
                    for (const std::vector<float>* channel : {&out.left, &out.right})
                        p = std::max(p, peak(std::vector<float>(channel->begin() + static_cast<int>(from * rate),
                                                                channel->begin() + static_cast<int>(to * rate))));
                    return p;
                };
                const float heard = loudest(0.0, 0.5);
                EXPECT_GT(heard, 0.05f) << rate << " " << cut << " " << mode;
                EXPECT_LT(loudest(2.5, 3.0), 0.1f * heard) << rate << " Hz, HI CUT " << cut << " kHz, " << mode;
            }
        }
}

TEST_P(PluginSound, AfterASilenceALongEchoFirstRepeatsAtItsDelayWhenBlocksComeInRealTime)
{
    // Set while nothing sounds: repeats at 2.771 s on the left and 2.389 s
    // on the right, longer than the two seconds of memory an echo keeps
    // while it rests.
    auto plugin = openInstance({{"ChorusLevel", "Off"}, {"DelayFeedbackLeft", "0"}, {"DelayFeedbackRight", "0"}});
    play(*plugin, kRate / 2);
    plugin->setParameter(Param::DelayLevel, 0.63f);
    plugin->setParameter(Param::DelayTempo, (157.0f - 31.0f) / (192.0f - 31.0f));
    plugin->setParameter(Param::DelayLengthLeft, 28.0f / 31.0f);
    plugin->setParameter(Param::DelayLengthRight, 24.0f / 31.0f);
    play(*plugin, kRate);
    // The note, with blocks paced as a host playing in real time paces them.
    const std::vector<VstMidiEvent> note = {midiEvent(0, 0x90, 60, 100), midiEvent(kRate / 5, 0x80, 60)};
    const int block = plugin->settings().blockSize;
    const auto begun = std::chrono::steady_clock::now();
    SoundingPlugin::Stereo out;
    for (int done = 0; done < 3 * kRate; done += block)
    {
        std::this_thread::sleep_until(begun + std::chrono::microseconds(1000000LL * done / kRate));
        std::vector<VstMidiEvent> now;
        for (VstMidiEvent event : note)
            if (event.deltaFrames >= done && event.deltaFrames < done + block)
            {
                event.deltaFrames -= done;
                now.push_back(event);
            }
        const SoundingPlugin::Stereo one = playStereo(*plugin, block, now);
        out.left.insert(out.left.end(), one.left.begin(), one.left.end());
        out.right.insert(out.right.end(), one.right.begin(), one.right.end());
    }
    const double beat = 60.0 / 157.0;
    for (const auto& [channel, repeat] :
         {std::make_pair(&out.left, 29 * beat / 4), std::make_pair(&out.right, 25 * beat / 4)})
    {
        const float dry = peak(slice(*channel, 0.0, 0.2));
        EXPECT_GT(dry, 0.02f);
        // After the note's release, nothing until the repeat.
        EXPECT_LT(peak(slice(*channel, 0.7, repeat - 0.002)), 1e-3f * dry) << repeat;
        EXPECT_GT(peak(slice(*channel, repeat, repeat + 0.02)), 0.3f * dry) << repeat;
    }
}

TEST_P(PluginSound, OfflineRendersOfTheSameCallsAreTheSame)
{
    // Two library patches that MIDI program changes load: a long echo, whose
    // memory the worker brings, and another sound with a short one.
    const Deliverable& deliverable = GetParam();
    const std::string bank = home.path() + "/.local/share/Vorlix/Zentrova2/" + deliverable.patchFolder + "/Bank";
    std::filesystem::create_directories(bank);
    const ParameterTexts longEcho = {{"DelayLevel", "63"},       {"DelayTempo", "157"},      {"DelayLengthLeft", "29"},
                                     {"DelayLengthRight", "25"}, {"DelayFeedbackLeft", "40"}};
    const ParameterTexts other = {{"Osc1Waveform", "Sawtooth"}, {"DelayTempo", "120"}, {"DelayLengthLeft", "1"}};
    for (const auto& [name, patch] : {std::make_pair("Long", longEcho), std::make_pair("Other", other)})
    {
        ChunkBuffer chunk;
        ASSERT_EQ(chunk.assignCompressed(patchDocument("609", patch, "", name)), 0);
        ASSERT_EQ(ProgramBankFiles::writeFxp(bank + "/" + name + ".fxp", name, chunk, deliverable.isEffect), 0);
    }
    const std::string prefix = std::string(deliverable.treePrefix) + "Bank/";
    std::ofstream(home.path() + "/.config/com.vorlixworks.Zentrova2.sup")
        << "Zentrova Configuration File\n{Midi Banks}{<bank><program midi=\"1\" path=\"" << prefix
        << "Other\"/><program midi=\"2\" path=\"" << prefix << "Long\"/></bank>}\n";

    const std::vector<VstMidiEvent> calls = {
        midiEvent(0, 0x90, 60, 100),         midiEvent(kRate / 5, 0x80, 60),
        midiEvent(kRate / 2, 0xC0, 1),       midiEvent(kRate / 2 + 300, 0x90, 64, 100),
        midiEvent(kRate, 0x80, 64),          midiEvent(3 * kRate / 2, 0xC0, 2),
        midiEvent(3 * kRate / 2 + 300, 0x90, 67, 100), midiEvent(7 * kRate / 4, 0x80, 67)};
    const auto render = [&] {
        auto plugin = openInstance({}, kRate, kVstProcessLevelOffline);
        SoundingPlugin::Stereo out = playStereo(*plugin, 2 * kRate, calls);
        // Lengthened while it plays: more memory.
        plugin->setParameter(Param::DelayLengthLeft, 1.0f);
        const SoundingPlugin::Stereo rest = playStereo(*plugin, 5 * kRate);
        out.left.insert(out.left.end(), rest.left.begin(), rest.left.end());
        out.right.insert(out.right.end(), rest.right.begin(), rest.right.end());
        return out;
    };
    const SoundingPlugin::Stereo first = render();
    EXPECT_GT(peak(first.left), 0.02f);
    for (int run = 1; run < 8; ++run)
    {
        const SoundingPlugin::Stereo again = render();
        ASSERT_TRUE(again.left == first.left && again.right == first.right) << "run " << run;
    }
}
