// A host's two threads at once, as hosts really call: the audio thread sends
// MIDI and renders blocks while the host's own thread sets parameters, reads
// and writes chunks and changes programs. ThreadSanitizer watches it in CI;
// here every call must also keep its promise, and the last word stays.

#include "dsp/Random.h"
#include "tests/support/MidiEvents.h"
#include "tests/support/PatchDocuments.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/TimeBudget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr int kBlockSize = 128;
constexpr int kHostOperations = 400;
// Enough blocks that the two threads overlap for a while, whatever the
// sanitizer's cost.
constexpr int kMinBlocks = 200;
// Only an audio thread that cannot run reaches it.
constexpr auto kMaxDuration = std::chrono::seconds(20) * kTimeBudgetScale;
constexpr int kArpeggioOrderParameter = 39;
constexpr int kChordMemoryParameter = 41;

// The audio thread: notes, controllers and blocks until told to stop.
class AudioThread
{
public:
    explicit AudioThread(HostedPlugin& plugin) : m_plugin(plugin), m_thread([this] { run(); }) {}
    ~AudioThread() { stop(); }

    void stop()
    {
        m_running = false;
        if (m_thread.joinable())
            m_thread.join();
    }
    int blocks() const { return m_blocks.load(); }
    bool allFinite() const { return m_allFinite.load(); }

private:
    void run()
    {
        std::vector<float> left(kBlockSize), right(kBlockSize), inLeft(kBlockSize, 0.1f), inRight(kBlockSize);
        float* outputs[] = {left.data(), right.data()};
        float* inputs[] = {inLeft.data(), inRight.data()};
        for (int block = 0; m_running.load(); ++block)
        {
            std::vector<VstMidiEvent> events;
            const int key = 48 + block % 24;
            if (block % 4 == 0)
                events.push_back(midiEvent(5, 0x90, key, 100));
            if (block % 4 == 2)
                events.push_back(midiEvent(60, 0x80, key - 2, 64));
            if (block % 7 == 0)
                events.push_back(midiEvent(10, 0xB0, 1, block % 128));
            // A controller learned to a parameter (74, the filter's cutoff, by
            // default) writes the patch's value from this thread.
            if (block % 5 == 0)
                events.push_back(midiEvent(20, 0xB0, 74, (block * 3) % 128));
            if (block % 6 == 3)
            {
                events.push_back(midiEvent(30, 0xE0, block % 128, 64));
                events.push_back(midiEvent(31, 0xD0, block % 128, 0));
                events.push_back(midiEvent(32, 0xA0, key, block % 128));
            }
            if (block % 50 == 49)
                events.push_back(midiEvent(40, 0xB0, 123, 0));
            if (block % 16 == 8)
                events.push_back(midiEvent(0, 0xB0, 64, block % 32 < 16 ? 127 : 0));
            m_plugin.processBlock(events, inputs, outputs, kBlockSize);
            for (int i = 0; i < kBlockSize; ++i)
                if (!std::isfinite(left[i]) || !std::isfinite(right[i]))
                    m_allFinite = false;
            m_blocks = block + 1;
        }
    }

    HostedPlugin& m_plugin;
    std::atomic<bool> m_running{true};
    std::atomic<int> m_blocks{0};
    std::atomic<bool> m_allFinite{true};
    std::thread m_thread;
};

int below(int n)
{
    return randomInt() % n;
}

void driveBothThreads(const char* pluginPath)
{
    TemporaryHome home;
    HostSettings settings;
    settings.blockSize = kBlockSize;
    HostedPlugin plugin(pluginPath, settings);
    const std::vector<unsigned char> program = compressedChunk(
        patchDocument("609", {{"FilterType", "Hi Pass"}, {"ChordMemory", "On"}, {"Volume", "0.5"}}));
    const std::vector<unsigned char> plainProgram = plainChunk(patchDocument("609", {{"FilterType", "Bnd Pass"}}));
    const std::vector<unsigned char> bank = plugin.getChunk(false);
    ASSERT_FALSE(bank.empty());
    plugin.setPlaying(true);
    plugin.resume();

    seedRandom(4242);
    AudioThread audio(plugin);
    const auto start = std::chrono::steady_clock::now();
    int operations = 0;
    while ((operations < kHostOperations || audio.blocks() < kMinBlocks) &&
           std::chrono::steady_clock::now() - start < kMaxDuration)
    {
        ++operations;
        switch (below(7))
        {
        case 0:
        case 1:
        {
            const int index = below(155);
            const float value = static_cast<float>(below(1001)) / 1000.0f;
            plugin.setParameter(index, value);
            EXPECT_EQ(plugin.getParameter(index), value) << index;
            EXPECT_FALSE(plugin.parameterDisplay(index).empty() && index < 107) << index;
            break;
        }
        case 2:
            ASSERT_EQ(plugin.setChunk(below(2) ? program : plainProgram, true), 1);
            break;
        case 3:
            ASSERT_EQ(plugin.setChunk(bank, false), 1);
            break;
        case 4:
        {
            const int index = below(127);
            plugin.dispatch(effSetProgram, 0, index);
            const VstIntPtr current = plugin.dispatch(effGetProgram);
            EXPECT_TRUE(current >= 0 && current < 128) << current;
            char name[64] = {};
            plugin.dispatch(effGetProgramName, 0, 0, name);
            break;
        }
        case 5:
            // Chord memory learns the held keys on the audio thread, and
            // the arpeggio order reorders the chords, while the chunk below
            // copies them out.
            plugin.setParameter(below(2) ? kChordMemoryParameter : kArpeggioOrderParameter,
                                static_cast<float>(below(2)));
            [[fallthrough]];
        default:
        {
            const std::vector<unsigned char> chunk = plugin.getChunk(below(2) == 0);
            ASSERT_FALSE(chunk.empty());
            EXPECT_NE(chunkText(chunk).find("<zentrova"), std::string::npos);
            break;
        }
        }
    }
    EXPECT_GE(audio.blocks(), kMinBlocks) << "the audio thread hardly ran";

    // The host's last word stands once the audio thread has seen it.
    ASSERT_EQ(plugin.setChunk(program, true), 1);
    plugin.setParameter(81, 0.75f);
    const int seen = audio.blocks();
    while (audio.blocks() < seen + 2)
        std::this_thread::yield();
    audio.stop();
    EXPECT_TRUE(audio.allFinite());
    EXPECT_EQ(plugin.parameterDisplay(0), "Hi Pass");
    EXPECT_EQ(plugin.getParameter(81), 0.75f);
    const std::string written = chunkText(plugin.getChunk(true));
    EXPECT_NE(written.find("name=\"FilterType\" value=\"Hi Pass\""), std::string::npos);
    EXPECT_NE(written.find("name=\"ChordMemory\" value=\"On\""), std::string::npos);
}
} // namespace

TEST(HostAndAudioThreads, EffectTakesHostCallsWhileRendering)
{
    driveBothThreads(ZENTROVA_EFFECT_PLUGIN_PATH);
}

TEST(HostAndAudioThreads, InstrumentTakesHostCallsWhileRendering)
{
    driveBothThreads(ZENTROVA_INSTRUMENT_PLUGIN_PATH);
}
