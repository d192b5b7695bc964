// Random but valid host sessions through the command-line host: instances of
// both deliverables opened and closed side by side, sample rates and block
// sizes (1 to 4096) changed while suspended, suspends and resumes, blocks of
// MIDI and audio, programs, chunks, parameters, texts and editor-less idle.
// Every call keeps its promise and nothing leaks or overruns
// (AddressSanitizer). Bounded in count and time so the suite stays quick.

#include "dsp/Random.h"
#include "tools/HostedPlugin.h"
#include "tests/support/MidiEvents.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr int kMaxSteps = 1000;
// A loaded machine still runs this many steps, however long they take.
constexpr int kMinSteps = 250;
constexpr auto kMaxDuration = std::chrono::seconds(6);
constexpr int kMaxInstances = 3;
constexpr int kMaxBlockSize = 4096;

int below(int n)
{
    return n > 0 ? randomInt() % n : 0;
}

// Small blocks, powers of two and odd sizes alike.
int randomBlockSize()
{
    switch (below(4))
    {
    case 0:
        return 1 + below(16);
    case 1:
        return 1 << below(13);
    default:
        return 1 + below(kMaxBlockSize);
    }
}

double randomSampleRate()
{
    static const double kRates[] = {22050.0, 32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0};
    return kRates[below(sizeof kRates / sizeof kRates[0])];
}

// One instance and what the host knows of it.
struct Instance
{
    Instance(const char* path, bool isInstrument) : isInstrument(isInstrument)
    {
        HostSettings settings;
        settings.sampleRate = randomSampleRate();
        settings.blockSize = randomBlockSize();
        plugin = std::make_unique<HostedPlugin>(path, settings);
    }

    bool isInstrument;
    std::unique_ptr<HostedPlugin> plugin;
};

class Session
{
public:
    void run()
    {
        const auto start = std::chrono::steady_clock::now();
        for (m_step = 0;
             m_step < kMinSteps || (m_step < kMaxSteps && std::chrono::steady_clock::now() - start < kMaxDuration);
             ++m_step)
        {
            if (m_instances.empty() || (m_instances.size() < kMaxInstances && below(40) == 0))
                open();
            Instance& instance = *m_instances[static_cast<std::size_t>(below(static_cast<int>(m_instances.size())))];
            step(instance);
            if (::testing::Test::HasFatalFailure())
                return;
            if (below(60) == 0)
                close(below(static_cast<int>(m_instances.size())));
        }
        while (!m_instances.empty())
            close(0);
    }

    int steps() const { return m_step; }
    int blocks() const { return m_blocks; }

private:
    void open()
    {
        const bool instrument = below(2) == 0;
        m_instances.push_back(std::make_unique<Instance>(
            instrument ? ZENTROVA_INSTRUMENT_PLUGIN_PATH : ZENTROVA_EFFECT_PLUGIN_PATH, instrument));
        AEffect* effect = m_instances.back()->plugin->effect();
        ASSERT_EQ(effect->numOutputs, 2);
        ASSERT_EQ(effect->numInputs, instrument ? 0 : 2);
    }

    void close(int index)
    {
        m_instances.erase(m_instances.begin() + index);
    }

    void step(Instance& instance)
    {
        HostedPlugin& plugin = *instance.plugin;
        switch (below(12))
        {
        case 0:
            if (plugin.isResumed())
                plugin.suspend();
            else
                plugin.resume();
            break;
        case 1:
            if (!plugin.isResumed())
            {
                plugin.setSampleRate(randomSampleRate());
                plugin.setBlockSize(randomBlockSize());
            }
            break;
        case 2:
        case 3:
        case 4:
            if (plugin.isResumed())
                process(instance);
            break;
        case 5:
            programs(plugin);
            break;
        case 6:
            chunks(plugin);
            break;
        case 7:
        case 8:
            parameters(plugin);
            break;
        case 9:
            texts(plugin);
            break;
        default:
            plugin.dispatch(effEditIdle);
            plugin.dispatch(effIdle);
            break;
        }
    }

    void process(Instance& instance)
    {
        HostedPlugin& plugin = *instance.plugin;
        const int frames = 1 + below(plugin.settings().blockSize);
        std::vector<VstMidiEvent> events;
        for (int count = below(6); count > 0; --count)
        {
            static const unsigned char kStatus[] = {0x90, 0x80, 0xB0, 0xE0, 0xD0, 0xA0, 0xC0};
            const int delta = below(frames);
            const int status = kStatus[below(sizeof kStatus)] | below(16);
            const int data1 = below(128);
            events.push_back(midiEvent(delta, status, data1, below(128)));
        }
        std::sort(events.begin(), events.end(),
                  [](const VstMidiEvent& a, const VstMidiEvent& b) { return a.deltaFrames < b.deltaFrames; });
        m_buffers.assign(4 * static_cast<std::size_t>(frames), 0.0f);
        for (int i = 0; i < frames; ++i)
            m_buffers[static_cast<std::size_t>(i)] = 0.25f * std::sin(0.05f * static_cast<float>(i));
        float* inputs[] = {m_buffers.data(), m_buffers.data() + frames};
        float* outputs[] = {m_buffers.data() + 2 * frames, m_buffers.data() + 3 * frames};
        plugin.setPlaying(below(4) != 0);
        plugin.processBlock(events, instance.isInstrument ? nullptr : inputs, outputs, frames);
        for (int i = 0; i < 2 * frames; ++i)
            ASSERT_TRUE(std::isfinite(outputs[0][i])) << "step " << m_step << ", sample " << i;
        ++m_blocks;
    }

    void programs(HostedPlugin& plugin)
    {
        const int program = below(128);
        plugin.dispatch(effSetProgram, 0, program);
        const VstIntPtr current = plugin.dispatch(effGetProgram);
        ASSERT_TRUE(current >= 0 && current < 128) << current;
        char name[256] = {};
        plugin.dispatch(effGetProgramName, 0, 0, name);
        ASSERT_LT(std::strlen(name), 25u);
        if (below(3) == 0)
        {
            char newName[] = "Step program";
            plugin.dispatch(effSetProgramName, 0, 0, newName);
        }
        char indexed[256] = {};
        plugin.dispatch(effGetProgramNameIndexed, below(128), 0, indexed);
        ASSERT_LT(std::strlen(indexed), 25u);
    }

    void chunks(HostedPlugin& plugin)
    {
        const bool programOnly = below(2) == 0;
        const std::vector<unsigned char> chunk = plugin.getChunk(programOnly);
        ASSERT_FALSE(chunk.empty());
        ASSERT_EQ(plugin.setChunk(chunk, programOnly), 1) << "step " << m_step;
        // A chunk of another instance, of either deliverable, reads too.
        const Instance& other = *m_instances[static_cast<std::size_t>(below(static_cast<int>(m_instances.size())))];
        ASSERT_EQ(plugin.setChunk(other.plugin->getChunk(true), true), 1) << "step " << m_step;
    }

    void parameters(HostedPlugin& plugin)
    {
        for (int count = 1 + below(8); count > 0; --count)
        {
            const int index = below(155);
            const float value = static_cast<float>(below(1001)) / 1000.0f;
            plugin.setParameter(index, value);
            ASSERT_EQ(plugin.getParameter(index), value) << index;
        }
    }

    void texts(HostedPlugin& plugin)
    {
        const int index = below(160);
        for (const std::string& text : {plugin.parameterName(index), plugin.parameterLabel(index),
                                        plugin.parameterDisplay(index)})
            ASSERT_LT(text.size(), 64u) << index;
        ASSERT_FALSE(plugin.effectName().empty());
        plugin.canDo(below(2) ? "receiveVstMidiEvent" : "nonsense");
        plugin.dispatch(effGetVstVersion);
        plugin.dispatch(effGetTailSize);
    }

    std::vector<std::unique_ptr<Instance>> m_instances;
    std::vector<float> m_buffers;
    int m_step = 0;
    int m_blocks = 0;
};
} // namespace

TEST(HostSequence, RandomValidSessionsKeepEveryPromise)
{
    TemporaryHome home;
    seedRandom(20240707);
    Session session;
    session.run();
    EXPECT_GT(session.steps(), 200);
    EXPECT_GT(session.blocks(), 10);
}
