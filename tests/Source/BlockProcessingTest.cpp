// What the main object does with MIDI and parameter values at the start of
// each block, observed on its queues.

#include "Source/Flavour.h"
#include "Source/Voices/EventCodes.h"
#include "Source/Voices/KeyboardHandler.h"
#include "Source/Voices/Voice.h"
#include "Source/Zentrova.h"
#include "Source/entry/PluginEntry.h"
#include "editor/ZentrovaEditor.h"
#include "tests/support/MidiEvents.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace
{
VstTimeInfo timeInfo{};

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    if (opcode == audioMasterVersion)
        return 2400;
    if (opcode == audioMasterGetTime)
        return reinterpret_cast<VstIntPtr>(&timeInfo);
    return 0;
}

VstIntPtr versionZeroHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float)
{
    return 0;
}

using Item = std::tuple<std::int64_t, std::int64_t, std::int64_t>;

class BlockProcessing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        timeInfo = VstTimeInfo{};
        timeInfo.tempo = 120.0;
        timeInfo.flags = kVstTempoValid;
        AEffect* effect = createPluginInstance(host, effectFlavour());
        ASSERT_NE(effect, nullptr);
        plugin = static_cast<Zentrova*>(static_cast<AudioEffect*>(effect->object));
        plugin->setBlockSize(256);
        plugin->resume();
        // Resuming re-sends the patch; these tests look at what MIDI brings.
        plugin->getControlCues()[Zentrova::kKeyboardCue].clear();
    }

    void TearDown() override
    {
        if (plugin)
            plugin->getAeffect()->dispatcher(plugin->getAeffect(), effClose, 0, 0, nullptr, 0.0f);
    }

    void send(std::vector<VstMidiEvent> events) { sendMidi(*plugin, std::move(events)); }

    // What reached the keyboard queue, but for the gates of the running clock.
    std::vector<Item> keyboardQueue()
    {
        std::vector<Item> items;
        ControlCue<VoiceEvent>& cue = plugin->getControlCues()[Zentrova::kKeyboardCue];
        for (VoiceEvent event = cue.pop(); !event.isEmpty(); event = cue.pop())
            if (event.code != EventCode::ClockGateOn && event.code != EventCode::ClockGateOff)
                items.emplace_back(event.code, event.value, event.time);
        return items;
    }

    // A whole program as the keyboard queue receives it: framed by the load
    // markers, the parameters routed to the keyboard in index order.
    static std::vector<Item> defaultProgramLoad()
    {
        std::vector<Item> items = {{594, 1, 0}, {595, 0, 0}, {17, 1, 0}, {20, 3, 0}};
        for (std::int64_t index = 34; index <= 41; ++index)
            items.emplace_back(index, 0, 0);
        items.insert(items.end(), {{94, 2, 0}, {104, 2, 0}, {594, 0, 0}});
        return items;
    }

    void render(int frames = 256)
    {
        std::vector<float> left(frames), right(frames);
        float* outputs[] = {left.data(), right.data()};
        plugin->processReplacing(nullptr, outputs, frames);
    }

    TemporaryHome home;
    Zentrova* plugin = nullptr;
};

VstMidiEvent midi(int delta, int status, int data1, int data2 = 0)
{
    return midiEvent(delta, status, data1, data2);
}
} // namespace

TEST(PluginEntry, AHostThatAnswersNoVersionGetsNoPlugin)
{
    EXPECT_EQ(createPluginInstance(versionZeroHost, effectFlavour()), nullptr);
    EXPECT_EQ(createPluginInstance(nullptr, effectFlavour()), nullptr);
}

TEST_F(BlockProcessing, NotesPressureAndControllersBecomeKeyboardEvents)
{
    send({midi(0, 0x90, 60, 100), midi(1, 0x91, 61, 0), midi(2, 0x82, 62, 0), midi(3, 0x83, 63, 40),
          midi(4, 0xA4, 64, 50), midi(5, 0xD5, 70), midi(6, 0xB0, 64, 63), midi(7, 0xB0, 64, 64),
          midi(8, 0xB0, 69, 127), midi(9, 0xB6, 1, 33), midi(10, 0xB7, 11, 44), midi(11, 0xB0, 123, 0)});
    const std::vector<Item> expected = {
        {0x10000 + 60, 100, 0},
        {0x10000 + (1 << 8) + 61, -64, 1},
        {0x10000 + (2 << 8) + 62, 0, 2},
        {0x10000 + (3 << 8) + 63, -40, 3},
        {0x30000 + (4 << 8) + 64, 50, 4},
        {0x20000 + (5 << 8), 70, 5},
        {EventCode::SustainPedal, 0, 6},
        {EventCode::SustainPedal, 1, 7},
        {EventCode::Hold2Pedal, 1, 8},
        {0x40000 + (6 << 8), 33, 9},
        {0x50000 + (7 << 8), 44, 10},
        {EventCode::AllNotesOff, 0, 11},
    };
    EXPECT_EQ(keyboardQueue(), expected);
}

TEST_F(BlockProcessing, IgnoredMessagesAndEventsPushNothing)
{
    VstMidiEvent sysex = midi(0, 0xF0, 1, 2);
    sysex.type = kVstSysExType;
    send({sysex, midi(0, 0xB0, 32, 5), midi(0, 0xB0, 120, 0), midi(0, 0xB0, 127, 0),
          midi(0, 0xB0, 7, 100), midi(0, 0xF8, 0)});
    EXPECT_TRUE(keyboardQueue().empty());
}

TEST_F(BlockProcessing, BankSelectSetsTheMidiBankAsASignedByte)
{
    send({midi(0, 0xB0, 0, 5)});
    EXPECT_EQ(plugin->getMidiBank(), 5);
    EXPECT_TRUE(keyboardQueue().empty());
}

TEST_F(BlockProcessing, EventsBeyondTheBlockAreClampedToItsLastSample)
{
    send({midi(100000, 0x90, 60, 100), midi(255, 0x90, 61, 100)});
    const std::vector<Item> expected = {{0x10000 + 60, 100, 255}, {0x10000 + 61, 100, 255}};
    EXPECT_EQ(keyboardQueue(), expected);
}

// Some hosts stamp an event that belongs at the block start one sample early.
TEST_F(BlockProcessing, EventsBeforeTheBlockAreClampedToItsFirstSample)
{
    send({midi(-1, 0x90, 60, 100), midi(-100000, 0x80, 60, 0)});
    const std::vector<Item> expected = {{0x10000 + 60, 100, 0}, {0x10000 + 60, 0, 0}};
    EXPECT_EQ(keyboardQueue(), expected);
}

// A flood of controllers keeps only each one's last value (per channel, per
// note for key pressure), in its place among the notes.
TEST_F(BlockProcessing, ControllersOfAListAreCoalescedToTheirLastValues)
{
    std::vector<VstMidiEvent> events = {midi(0, 0x90, 60, 100)};
    for (int i = 0; i < 3000; ++i)
    {
        events.push_back(midi(1, 0xD0, i & 127));
        events.push_back(midi(1, 0xB3, 1, i & 127));
        events.push_back(midi(1, 0xA0, 60 + (i & 1), i & 127));
    }
    events.push_back(midi(2, 0xD1, 5));
    events.push_back(midi(3, 0x80, 60, 0));
    events.push_back(midi(4, 0xD0, 9));
    send(events);
    const std::vector<Item> expected = {
        {0x10000 + 60, 100, 0},
        {0x30000 + 60, 2998 & 127, 1},
        {0x40000 + (3 << 8), 2999 & 127, 1},
        {0x30000 + 61, 2999 & 127, 1},
        {0x20000 + (1 << 8), 5, 2},
        {0x10000 + 60, 0, 3},
        {0x20000, 9, 4},
    };
    EXPECT_EQ(keyboardQueue(), expected);
}

TEST_F(BlockProcessing, TheQueueSnapshotIsTakenOncePerBlock)
{
    ControlCue<VoiceEvent>& cue = plugin->getControlCues()[Zentrova::kKeyboardCue];
    cue.push(2, VoiceEvent(1, std::int64_t(0), std::int64_t(0)));
    send({});
    cue.push(2, VoiceEvent(2, std::int64_t(0), std::int64_t(0)));
    send({midi(0, 0x90, 60, 1)});
    const std::vector<Item> expected = {{1, 0, 0}, {0x10000 + 60, 1, 0}};
    EXPECT_EQ(keyboardQueue(), expected);
}

TEST_F(BlockProcessing, ResumingResendsThePatchFramedAsAProgramLoad)
{
    plugin->resume();
    send({});
    EXPECT_EQ(keyboardQueue(), defaultProgramLoad());
}

TEST_F(BlockProcessing, AChunkSwitchesTheEngineAtTheNextBlockStartOnly)
{
    std::string text = "<zentrova version=\"609\"><patch name=\"x\">"
                       "<parameter name=\"FilterType\" value=\"Hi Pass\" /></patch></zentrova>";
    std::vector<char> bytes(text.begin(), text.end());
    bytes.push_back(0);
    ASSERT_EQ(plugin->setChunk(bytes.data(), static_cast<VstInt32>(bytes.size()), true), 1);
    ZentrovaStateHandler& states = plugin->getStateHandler();
    EXPECT_TRUE(states.isSwitchPending());
    EXPECT_EQ(states.getCurrentState().getParameter(0)->getValue(), 0.0f);
    EXPECT_EQ(plugin->getParameter(0), 0.25f);

    send({midi(5, 0x90, 60, 100)});
    EXPECT_FALSE(states.isSwitchPending());
    EXPECT_EQ(&states.getCurrentState(), &states.getEditState());
    EXPECT_EQ(states.getCurrentState().getParameter(0)->getValue(), 0.25f);
    std::vector<Item> expected = defaultProgramLoad();
    expected.emplace_back(0x10000 + 60, 100, 5);
    EXPECT_EQ(keyboardQueue(), expected) << "the switch comes before the block's MIDI";
    send({});
    EXPECT_TRUE(keyboardQueue().empty()) << "one switch per chunk";
}

TEST_F(BlockProcessing, TheEngineDrainsEveryQueueEachBlock)
{
    ControlCue<VoiceEvent>* cues = plugin->getControlCues();
    for (int cue = 0; cue < Zentrova::kNumControlCues; ++cue)
        cues[cue].push(2, VoiceEvent(cue, std::int64_t(0), std::int64_t(3)));
    send({midi(0, 0x90, 60, 100)});
    render();
    for (int cue = 0; cue < Zentrova::kNumControlCues; ++cue)
    {
        cues[cue].beginRead();
        EXPECT_TRUE(cues[cue].pop().isEmpty()) << "queue " << cue;
    }
}

TEST_F(BlockProcessing, StoppingTheTransportReleasesThePedals)
{
    timeInfo.flags |= kVstTransportPlaying;
    send({});
    render();
    EXPECT_TRUE(keyboardQueue().empty());
    timeInfo.flags &= ~kVstTransportPlaying;
    send({});
    const std::vector<Item> expected = {{588, 0, 0}, {590, 0, 0}, {591, 0, 0}, {592, 0, 0}, {593, 0, 0}};
    EXPECT_EQ(keyboardQueue(), expected);
    render();
    send({});
    EXPECT_TRUE(keyboardQueue().empty()) << "a transport that stays stopped releases nothing more";
}

TEST_F(BlockProcessing, TheEditorIsToldOfParametersOnlyWhileOpen)
{
    auto* editor = static_cast<ZentrovaEditor*>(plugin->getEditor());
    ASSERT_NE(editor, nullptr);
    // A change that also marks the patch modified while the editor is closed.
    plugin->setParameter(12, 0.6f);
    EXPECT_EQ(editor->parameterQueue().pending(2), 0u);

    editor->open(nullptr);
    editor->idle(); // the values sent when it opened
    plugin->setParameter(12, 0.75f);
    ASSERT_EQ(editor->parameterQueue().pending(2), 1u);
    editor->parameterQueue().beginRead();
    const ParameterIndexAndValue item = editor->parameterQueue().pop();
    EXPECT_EQ(item.index, 12);
    EXPECT_EQ(item.value, 0.75f);
    editor->close();
    plugin->setParameter(12, 0.25f);
    EXPECT_EQ(editor->parameterQueue().pending(2), 0u);
    EXPECT_EQ(plugin->getParameter(12), 0.25f);
}

TEST_F(BlockProcessing, ConfigurationSettingsReachTheEngine)
{
    EXPECT_EQ(plugin->getKeyboardHandler().getDamperScale(), 128);
    ASSERT_NE(plugin->getVoiceEngine(), nullptr);
    EXPECT_EQ(plugin->getVoiceEngine()->getHold2Scale(), 2.0f);
}
