// The voice benchmark's own parts: its patches reach the plug-ins through
// their real parameters, and a short run measures what it says.

#include "tools/BenchmarkSubject.h"
#include "tools/HostedPlugin.h"
#include "tools/VoiceBenchmark.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <utility>

TEST(VoiceBenchmark, TheDemandingPatchReadsBackOnTheInstrument)
{
    TemporaryHome home;
    HostedPlugin plugin(ZENTROVA_INSTRUMENT_PLUGIN_PATH, HostSettings{});
    const BenchmarkSubject subject = BenchmarkSubject::zentrova(ZENTROVA_INSTRUMENT_PLUGIN_PATH);
    for (int voices : {1, 128})
    {
        const std::vector<std::string> lines = applySettings(plugin, subject.patch(voices));
        ASSERT_EQ(lines.size(), subject.patch(voices).size());
        auto shows = [&](const std::string& line) { return std::count(lines.begin(), lines.end(), line) == 1; };
        EXPECT_TRUE(shows(voices == 1 ? "Funct = Mono" : "Funct = Poly 16"));
        EXPECT_TRUE(shows("Osc Wav 2 = PWM"));
        EXPECT_TRUE(shows("Flt Typ = Low Pass"));
    }
    EXPECT_EQ(applySettings(plugin, subject.waveChange), std::vector<std::string>{"Osc Wav 1 = Square"});
}

TEST(VoiceBenchmark, AParameterShowingSomethingElseStopsTheRun)
{
    TemporaryHome home;
    HostedPlugin plugin(ZENTROVA_INSTRUMENT_PLUGIN_PATH, HostSettings{});
    try
    {
        applySettings(plugin, {{0, 0.0f, "Hi Pass", {}}});
        FAIL() << "no error";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_NE(std::string(error.what()).find("Low Pass"), std::string::npos) << error.what();
    }
    EXPECT_THROW(applySettings(plugin, {{-1, 0.0f, {}, "no such parameter"}}), std::runtime_error);
}

TEST(VoiceBenchmark, VoicesStackSixteenToAChannelAndThePeerGetsOneNoteEach)
{
    const BenchmarkSubject ours = BenchmarkSubject::zentrova("");
    const BenchmarkSubject peer = BenchmarkSubject::peer("");
    for (const auto& [voices, channels] : {std::pair{1, 1}, {16, 1}, {64, 4}, {128, 8}})
    {
        std::set<int> used;
        for (const BenchmarkNote& note : ours.notes(voices))
            used.insert(note.channel);
        EXPECT_EQ(used.size(), static_cast<std::size_t>(channels)) << voices;
        EXPECT_EQ(ours.notes(voices).size(), static_cast<std::size_t>(channels)) << voices;

        std::set<int> notes;
        for (const BenchmarkNote& note : peer.notes(voices))
            notes.insert(note.note);
        EXPECT_EQ(notes.size(), static_cast<std::size_t>(voices));
    }
}

TEST(VoiceBenchmark, AShortRunHoldsTheNotesAndEndsInSilence)
{
    TemporaryHome home;
    VoiceBenchmark::Case shortCase;
    shortCase.voices = 16;
    shortCase.seconds = 2.0;
    shortCase.silenceSeconds = 1.0;
    const VoiceBenchmark::Result result =
        VoiceBenchmark::run(BenchmarkSubject::zentrova(ZENTROVA_INSTRUMENT_PLUGIN_PATH), shortCase);
    EXPECT_EQ(result.notes, 1);
    EXPECT_GT(result.heldRms, 0.01);
    EXPECT_LT(result.silencePeak, 1e-4);
    EXPECT_GT(result.cpuPercent, 0.0);
    EXPECT_NEAR(result.blockBudgetUs, 1e6 * 64 / 48000.0, 1e-9);
    EXPECT_LE(result.medianBlockUs, result.p99BlockUs);
    EXPECT_LE(result.p99BlockUs, result.maxBlockUs);
    EXPECT_GE(result.waveChangeMaxUs, result.medianBlockUs);
    EXPECT_GE(result.lateSilenceCpuPercent, 0.0);
}

TEST(VoiceBenchmark, AHostThatKeepsNoRecordOfCallsStillAnswersThem)
{
    TemporaryHome home;
    HostSettings settings;
    settings.blockSize = 64;
    settings.recordCalls = false;
    HostedPlugin plugin(ZENTROVA_INSTRUMENT_PLUGIN_PATH, settings);
    plugin.resume();
    std::vector<float> left(64), right(64);
    float* outputs[2] = {left.data(), right.data()};
    float* inputs[2] = {nullptr, nullptr};
    std::vector<VstMidiEvent> events(1);
    events[0].type = kVstMidiType;
    events[0].byteSize = sizeof(VstMidiEvent);
    events[0].midiData[0] = static_cast<char>(0x90);
    events[0].midiData[1] = 60;
    events[0].midiData[2] = 100;
    for (int block = 0; block < 20; ++block)
    {
        plugin.processBlock(events, inputs, outputs, 64);
        events.clear();
    }
    EXPECT_TRUE(plugin.hostCalls().empty());
    EXPECT_GT(*std::max_element(left.begin(), left.end()), 0.0f) << "the note sounds";
}
