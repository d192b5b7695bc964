// What a careless host does to each deliverable's built library, loaded
// through its exported entry point: floods of MIDI, events stamped before
// the block, absurd sample rates, the double-precision call, and closing
// and unloading while a program change is under way. Nothing sticks,
// nothing grows without a bound, nothing is left running.

#include "tests/support/Deliverables.h"
#include "tests/support/MidiEvents.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <malloc.h>

namespace
{
constexpr int kBlockSize = 256;

// The threads of this process.
// Our own threads only: sanitizers start helpers of their own at any time.
std::size_t threadCount()
{
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
    {
        std::ifstream comm(entry.path() / "comm");
        std::string name;
        std::getline(comm, name);
        count += name == "zentrova-pc" ? 1 : 0;
    }
    return count;
}

// Bytes the C library's allocator has handed out and not had back.
std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

class CarelessHost : public ::testing::TestWithParam<Deliverable>
{
protected:
    std::unique_ptr<HostedPlugin> open(double sampleRate = 48000.0)
    {
        HostSettings settings;
        settings.blockSize = kBlockSize;
        settings.sampleRate = sampleRate;
        auto plugin = std::make_unique<HostedPlugin>(GetParam().libraryPath, settings);
        plugin->resume();
        return plugin;
    }

    // Renders the events in a first block, then more blocks up to seconds;
    // answers the peak of the last tenth of a second.
    static float render(HostedPlugin& plugin, std::vector<VstMidiEvent> events, double seconds)
    {
        const double rate = plugin.settings().sampleRate;
        return renderFrames(plugin, std::move(events), static_cast<long>(seconds * rate),
                            static_cast<long>(0.1 * rate));
    }

    // The same in frames; the peak of the last tail frames.
    static float renderFrames(HostedPlugin& plugin, std::vector<VstMidiEvent> events, long frames, long tail)
    {
        std::vector<float> left(kBlockSize), right(kBlockSize), silence(kBlockSize, 0.0f);
        float* outputs[] = {left.data(), right.data()};
        float* inputs[] = {silence.data(), silence.data()};
        const long lastTenth = frames - tail;
        float peak = 0.0f;
        for (long done = 0; done < frames; done += kBlockSize)
        {
            plugin.processBlock(events, inputs, outputs, kBlockSize);
            events.clear();
            if (done + kBlockSize < lastTenth)
                continue;
            for (int i = 0; i < kBlockSize; ++i)
                peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
        }
        return peak;
    }

    // Eight notes of the default patch's eight voices.
    static std::vector<VstMidiEvent> eightNotes(int status)
    {
        std::vector<VstMidiEvent> events;
        for (int note = 60; note < 68; ++note)
            events.push_back(midiEvent(note - 60, status, note, 100));
        return events;
    }

    TemporaryHome home;
};
} // namespace

INSTANTIATE_FOR_BOTH_DELIVERABLES(CarelessHost);

TEST_P(CarelessHost, AFloodOfControllersLeavesNoNoteSounding)
{
    auto plugin = open();
    ASSERT_GT(render(*plugin, eightNotes(0x90), 0.5), 0.01f);
    std::vector<VstMidiEvent> flood;
    for (int i = 0; i < 2100; ++i)
    {
        flood.push_back(midiEvent(i % kBlockSize, 0xD0, i & 127));
        flood.push_back(midiEvent(i % kBlockSize, 0xB0, 1, i & 127));
    }
    for (const VstMidiEvent& off : eightNotes(0x80))
        flood.push_back(midiEvent(kBlockSize - 1, 0x80, off.midiData[1], 64));
    EXPECT_LT(render(*plugin, flood, 3.0), 1e-4f);
}

// More note-offs than a block holds, of keys the eight held notes do not
// share: theirs still arrive.
TEST_P(CarelessHost, AFloodOfNoteOffsLeavesNoNoteSounding)
{
    auto plugin = open();
    ASSERT_GT(render(*plugin, eightNotes(0x90), 0.5), 0.01f);
    std::vector<VstMidiEvent> flood;
    for (int i = 0; i < 2100; ++i)
    {
        const int key = i % 120 < 60 ? i % 120 : i % 120 + 8;
        flood.push_back(midiEvent(i % kBlockSize, 0x81 + i % 15, key, 64));
    }
    for (const VstMidiEvent& off : eightNotes(0x80))
        flood.push_back(midiEvent(kBlockSize - 1, 0x80, off.midiData[1], 64));
    EXPECT_LT(render(*plugin, flood, 3.0), 1e-4f);
}

// More notes than a block holds: the new ones may be cut short, but every
// note ends, and the next ones play as ever.
TEST_P(CarelessHost, AFloodOfNotesLeavesNoNoteSounding)
{
    auto plugin = open();
    std::vector<VstMidiEvent> flood;
    for (int i = 0; i < 1500; ++i)
        flood.push_back(midiEvent(i % kBlockSize, 0x90 + i % 16, i % 128, 100));
    for (int i = 0; i < 1500; ++i)
        flood.push_back(midiEvent(kBlockSize - 1, 0x80 + i % 16, i % 128, 64));
    EXPECT_LT(render(*plugin, flood, 3.0), 1e-4f);
    EXPECT_GT(render(*plugin, eightNotes(0x90), 0.5), 0.01f);
}

TEST_P(CarelessHost, ANoteOffStampedBeforeTheBlockEndsItsNote)
{
    auto plugin = open();
    ASSERT_GT(render(*plugin, {midiEvent(0, 0x90, 60, 100)}, 0.5), 0.01f);
    EXPECT_LT(render(*plugin, {midiEvent(-1, 0x80, 60, 64)}, 3.0), 1e-4f);
}

// Up to 768 kHz the echo's memory is bounded by its longest delay; above, the
// instance keeps its engine at that rate and plays silence.
TEST_P(CarelessHost, AnySampleRateKeepsTheInstanceSmall)
{
    for (double rate : {768000.0, 1e7})
    {
        const std::size_t before = heapInUse();
        auto plugin = open(rate);
        // 50 ms at 768 kHz, however long at the higher rates.
        const float peak = renderFrames(*plugin, {midiEvent(0, 0x90, 69, 127)}, 38400, 9600);
        EXPECT_LT(heapInUse() - std::min(before, heapInUse()), std::size_t(300) << 20) << rate;
        if (rate <= 768000.0)
            EXPECT_GT(peak, 1e-3f) << rate;
        else
            EXPECT_EQ(peak, 0.0f) << rate;
        // Back at a rate it plays, the held note sounds again.
        plugin->suspend();
        plugin->setSampleRate(48000.0);
        plugin->resume();
        EXPECT_GT(render(*plugin, {midiEvent(0, 0x90, 69, 127)}, 0.25), 1e-3f) << rate;
    }
}

// Never announced, yet called: the host's double buffers get the same sound
// as the single-precision call renders.
TEST_P(CarelessHost, DoublePrecisionProcessingRendersIntoTheHostsBuffers)
{
    auto single = open();
    auto twice = open();
    const int frames = 700;
    std::vector<float> left(frames), right(frames), silence(frames, 0.0f);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> leftDouble(frames, nan), rightDouble(frames, nan), silenceDouble(frames, 0.0);
    float* outputs[] = {left.data(), right.data()};
    float* inputs[] = {silence.data(), silence.data()};
    double* outputsDouble[] = {leftDouble.data(), rightDouble.data()};
    double* inputsDouble[] = {silenceDouble.data(), silenceDouble.data()};
    double peak = 0.0;
    for (int block = 0; block < 40; ++block)
    {
        std::vector<VstMidiEvent> events;
        if (block == 2)
            events = {midiEvent(10, 0x90, 57, 110)};
        std::vector<VstMidiEvent> same = events;
        single->processBlock(events, inputs, outputs, frames);
        std::vector<unsigned char> storage;
        if (!same.empty())
            twice->dispatch(effProcessEvents, 0, 0, eventList(same, storage));
        twice->effect()->processDoubleReplacing(twice->effect(), inputsDouble, outputsDouble, frames);
        for (int i = 0; i < frames; ++i)
        {
            ASSERT_EQ(leftDouble[i], double(left[i])) << block << " " << i;
            ASSERT_EQ(rightDouble[i], double(right[i])) << block << " " << i;
            peak = std::max(peak, std::fabs(leftDouble[i]));
        }
    }
    EXPECT_GT(peak, 0.01);
}

// The worker that loads MIDI program changes starts with processing and
// ends with the last instance, before its library is unloaded.
TEST_P(CarelessHost, NoThreadOutlivesTheLastInstance)
{
    const std::size_t before = threadCount();
    {
        auto plugin = open();
        auto other = open();
        render(*plugin, {midiEvent(0, 0xC0, 3)}, 0.1);
        EXPECT_EQ(threadCount(), before + 1) << "one worker for the process";
        other.reset();
        render(*plugin, {midiEvent(0, 0xC0, 4)}, 0.1);
    }
    EXPECT_EQ(threadCount(), before);
    // A host that only scans starts none.
    {
        HostedPlugin scanned(GetParam().libraryPath, HostSettings());
        EXPECT_EQ(threadCount(), before);
    }
}
