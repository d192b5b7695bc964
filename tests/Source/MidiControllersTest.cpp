// What the main object does with MIDI controllers: the echo of changed
// parameters to the host, controllers that drive parameters, and MIDI learn.

#include "Source/Zentrova.h"
#include "editor/ZentrovaEditor.h"
#include "patches/Configuration.h"
#include "tests/patches/ConfigurationTestSupport.h"
#include "tests/support/Deliverables.h"
#include "tests/support/EditorQueue.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace
{
std::vector<std::array<unsigned char, 3>> sentToHost;

VstIntPtr recordingHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterProcessEvents && ptr)
    {
        const auto* events = static_cast<const VstEvents*>(ptr);
        VstEvent* const* list = events->events;
        for (VstInt32 i = 0; i < events->numEvents; ++i)
        {
            const auto* midi = reinterpret_cast<const VstMidiEvent*>(list[i]);
            sentToHost.push_back({static_cast<unsigned char>(midi->midiData[0]),
                                  static_cast<unsigned char>(midi->midiData[1]),
                                  static_cast<unsigned char>(midi->midiData[2])});
        }
        return 1;
    }
    return 0;
}

class MidiControllers : public ::testing::TestWithParam<Deliverable>
{
protected:
    void SetUp() override
    {
        ASSERT_NE(plugin.get(), nullptr);
        plugin->setBlockSize(64);
        plugin->resume();
        render();
        sentToHost.clear();
    }

    int sentOnController(int controller)
    {
        int count = 0;
        for (const auto& message : sentToHost)
            count += message[0] == 0xB0 && message[1] == controller ? 1 : 0;
        return count;
    }

    void render()
    {
        float left[64], right[64];
        float* outputs[] = {left, right};
        plugin->processReplacing(nullptr, outputs, 64);
    }

    std::vector<ParameterIndexAndValue> editorQueue() { return editorQueueItems(*plugin.get()); }

    ConfigurationFiles files;
    PluginInstance plugin{recordingHost, *GetParam().flavour};
};
} // namespace

INSTANTIATE_FOR_BOTH_DELIVERABLES(MidiControllers);

TEST_P(MidiControllers, AChangedParameterIsEchoedOnItsControllerAtTheNextBlock)
{
    plugin->setParameter(1, 0.5f);
    EXPECT_TRUE(sentToHost.empty());
    render();
    ASSERT_EQ(sentToHost.size(), 1u);
    EXPECT_EQ(sentToHost[0], (std::array<unsigned char, 3>{0xB0, 71, 64}));
}

TEST_P(MidiControllers, AnAppliedProgramEchoesEveryMappedParameter)
{
    plugin->resume();
    render();
    EXPECT_EQ(sentToHost.size(), 101u);
    EXPECT_EQ(sentOnController(71), 1);
    EXPECT_EQ(sentOnController(7), 0);
}

TEST_P(MidiControllers, NothingIsEchoedWhileAReadChunkWaitsForItsBlock)
{
    std::string text = "<zentrova version=\"609\"><patch name=\"x\"></patch></zentrova>";
    std::vector<char> bytes(text.begin(), text.end());
    bytes.push_back(0);
    ASSERT_EQ(plugin->setChunk(bytes.data(), static_cast<VstInt32>(bytes.size()), true), 1);
    plugin->setParameter(1, 0.5f);
    render();
    EXPECT_EQ(sentOnController(71), 1) << "only the echo of the switch at the block start";
    for (const auto& message : sentToHost)
    {
        if (message[1] == 71)
        {
            EXPECT_EQ(message[2], 64);
        }
    }
}

TEST_P(MidiControllers, ParametersWithoutAControllerAreNotEchoed)
{
    plugin->getConfiguration()->setMidiController(1, -1, kMidiControllerMapChanged);
    plugin->setParameter(1, 0.5f);
    plugin->setParameter(120, 0.5f);
    render();
    EXPECT_TRUE(sentToHost.empty());
}

TEST_P(MidiControllers, AMappedControllerSetsItsParameter)
{
    plugin.controlChange(71, 127);
    EXPECT_EQ(plugin->getParameter(1), 1.0f);
    plugin.controlChange(71, 0, 5);
    EXPECT_EQ(plugin->getParameter(1), 0.0f) << "any channel";
    std::vector<float> before;
    for (int parameter = 0; parameter < 155; ++parameter)
        before.push_back(plugin->getParameter(parameter));
    plugin.controlChange(7, 100);
    for (int parameter = 0; parameter < 155; ++parameter)
        EXPECT_EQ(plugin->getParameter(parameter), before[parameter]) << "controller 7 drives nothing";
}

TEST_P(MidiControllers, LearnIsArmedByTagAndEndsAtTheNextController)
{
    plugin->setParameter(381, 1.0f);
    EXPECT_EQ(plugin->getMidiLearnTarget(), 0);
    plugin->setParameter(570, 1.0f);
    EXPECT_EQ(plugin->getMidiLearnTarget(), 189);
    plugin->setParameter(572, 1.0f);
    plugin->setParameter(200, 1.0f);
    EXPECT_EQ(plugin->getMidiLearnTarget(), 189);
    plugin->setParameter(571, 1.0f);
    EXPECT_EQ(plugin->getMidiLearnTarget(), -1);

    plugin->setParameter(381 + 10, 1.0f);
    for (int controller : {0, 1, 11, 32, 64, 69, 120, 123, 127})
        plugin.controlChange(controller, 1);
    EXPECT_EQ(plugin->getMidiLearnTarget(), 10) << "controllers the engine takes itself teach nothing";
    plugin.controlChange(7, 1);
    EXPECT_EQ(plugin->getMidiLearnTarget(), -1);
}

TEST_P(MidiControllers, LearnedValuesReachTheOpenEditorFlaggedAtTheBlockStart)
{
    plugin->getEditor()->open(nullptr);
    editorQueue();
    VstMidiEvent events[2] = {};
    for (int i = 0; i < 2; ++i)
    {
        events[i].type = kVstMidiType;
        events[i].byteSize = sizeof(VstMidiEvent);
        events[i].deltaFrames = i * 5;
        events[i].midiData[0] = static_cast<char>(0xB0);
        events[i].midiData[1] = 71;
        events[i].midiData[2] = static_cast<char>(i == 0 ? 127 : 0);
    }
    // Two lists of one block: within one list only a controller's last
    // value would count.
    for (VstMidiEvent& event : events)
    {
        VstEvents list{1, 0, {reinterpret_cast<VstEvent*>(&event), nullptr}};
        plugin->processEvents(&list);
    }
    const auto items = editorQueue();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].index, 1 | 0x8000);
    EXPECT_EQ(items[0].value, 1.0f);
    EXPECT_EQ(items[1].index, 1);
    EXPECT_EQ(items[1].value, 0.0f);
}

TEST_P(MidiControllers, BankSelectTakesOnlyBanksTheTableCanHold)
{
    plugin.controlChange(0, 5);
    EXPECT_EQ(plugin->getMidiBank(), 5);
    plugin.controlChange(0, 0x85);
    EXPECT_EQ(plugin->getMidiBank(), 5);
    plugin->setMidiBank(128);
    plugin->setMidiBank(-1);
    EXPECT_EQ(plugin->getMidiBank(), 5);
    plugin->setMidiBank(127);
    EXPECT_EQ(plugin->getMidiBank(), 127);
}

TEST_P(MidiControllers, EchoesFromTwoThreadsReachTheHostWhileItRenders)
{
    constexpr int kChanges = 300;
    std::atomic<int> running{2};
    auto automate = [&](int parameter) {
        for (int i = 0; i < kChanges; ++i)
            plugin->setParameter(parameter, i % 2 ? 0.75f : 0.25f);
        --running;
    };
    std::thread host(automate, 1);
    std::thread editor(automate, 2);
    while (running > 0)
        render();
    host.join();
    editor.join();
    render();
    EXPECT_EQ(sentOnController(71), kChanges);
    EXPECT_EQ(sentOnController(74), kChanges);
}
