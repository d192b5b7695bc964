// Where parameter and pseudo-parameter values go: the control queues and
// lanes of the routing table, control ticks, the tempo object, and the
// editor's keyboard and wheels.

#include "Source/Voices/EventCodes.h"
#include "Source/Zentrova.h"
#include "Source/parameters/FloatIntParameter.h"
#include "Source/parameters/ParameterTable.h"
#include "editor/ZentrovaEditor.h"
#include "patches/Configuration.h"
#include "tests/patches/ConfigurationTestSupport.h"
#include "tests/support/Deliverables.h"
#include "tests/support/EditorQueue.h"
#include "tests/support/MidiEvents.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <vector>

namespace
{
using Item = std::tuple<std::int64_t, std::int64_t, std::int64_t>;

class ParameterRouting : public ::testing::TestWithParam<Deliverable>
{
protected:
    void SetUp() override
    {
        ASSERT_NE(plugin.get(), nullptr);
        plugin->setBlockSize(256);
        plugin->resume();
        render(256); // takes the patch re-sent by resume
    }

    void render(int frames)
    {
        std::vector<float> left(frames), right(frames);
        float* outputs[] = {left.data(), right.data()};
        plugin->processReplacing(nullptr, outputs, frames);
    }

    ControlCue<VoiceEvent>& cue(int index) { return plugin->getControlCues()[index]; }

    // A reading pass over one queue, as its consumer would make it.
    std::vector<Item> drain(int index)
    {
        std::vector<Item> items;
        cue(index).beginRead();
        for (VoiceEvent event = cue(index).pop(); !event.isEmpty(); event = cue(index).pop())
            items.emplace_back(event.code, event.value, event.time);
        return items;
    }

    std::set<int> queuesHolding(int lane)
    {
        std::set<int> queues;
        for (int index = 0; index < Zentrova::kNumControlCues; ++index)
            if (cue(index).pending(lane) > 0)
                queues.insert(index);
        return queues;
    }

    void drainAll()
    {
        for (int index = 0; index < Zentrova::kNumControlCues; ++index)
            drain(index);
    }

    EngineValue engineValue(int parameter)
    {
        return plugin->getStateHandler().getEditState().getParameter(parameter)->getEngineValue();
    }

    std::vector<ParameterIndexAndValue> editorQueue() { return editorQueueItems(*plugin.get()); }

    ConfigurationFiles files;
    PluginInstance plugin{PluginInstance::quietHost, *GetParam().flavour};
};
} // namespace

INSTANTIATE_FOR_BOTH_DELIVERABLES(ParameterRouting);

TEST_P(ParameterRouting, HostChangesReachTheQueuesOfTheirParameterOnLaneTwo)
{
    struct Case
    {
        int parameter;
        std::set<int> queues;
    };
    const Case cases[] = {
        {Param::AmpAttack, {0, 1}},  {Param::Function, {0, 1, 2}}, {Param::Volume, {4}},
        {Param::Triggering, {2}},    {Param::GlideSpread, {1, 2}}, {Param::FilterQ, {1}},
        {Param::W1Fund + 30, {1}},   {Param::DelayFeedbackMode, {4}}, {Param::Tempo, {}},
    };
    for (const Case& change : cases)
    {
        plugin->setParameter(change.parameter, 0.123f);
        EXPECT_EQ(queuesHolding(2), change.queues) << "parameter " << change.parameter;
        EXPECT_TRUE(queuesHolding(0).empty() && queuesHolding(1).empty() && queuesHolding(3).empty());
        for (int queue : change.queues)
        {
            const std::vector<Item> expected = {{change.parameter, engineValue(change.parameter), 0}};
            EXPECT_EQ(drain(queue), expected) << "parameter " << change.parameter << ", queue " << queue;
        }
    }
}

TEST_P(ParameterRouting, TimedChangesLandInTheControlTickOfTheirSample)
{
    plugin->getConfiguration()->setMidiController(Param::AmpAttack, 20, kMidiControllerMapChanged);
    render(30);
    ASSERT_EQ(plugin->getControlTickPhase(), 30);
    sendMidi(*plugin.get(), {midiEvent(40, 0xB0, 20, 127)});
    const EngineValue value = engineValue(Param::AmpAttack);
    EXPECT_EQ(drain(0), (std::vector<Item>{{Param::AmpAttack, value, 40}})) << "sample time";
    std::vector<Item> voice;
    for (const Item& item : drain(1))
        if (std::get<0>(item) == Param::AmpAttack)
            voice.push_back(item);
    EXPECT_EQ(voice, (std::vector<Item>{{Param::AmpAttack, value, 2}})) << "(40 + 30) / 32";
}

TEST_P(ParameterRouting, PitchBendKeepsItsChannelAndMovesTheEditorsWheel)
{
    plugin->getEditor()->open(nullptr);
    editorQueue();
    sendMidi(*plugin.get(), {midiEvent(0, 0xE0, 0x00, 0x40), midiEvent(0, 0xE3, 0x7F, 0x7F),
                             midiEvent(0, 0xEF, 0x00, 0x00), midiEvent(0, 0xE5, 0x01, 0x3F)});
    const std::vector<Item> expected = {
        {EventCode::PitchBend, 0, 0},
        {EventCode::PitchBend, 16382 | (3 << 16), 0},
        {EventCode::PitchBend, 0xC000 | (15 << 16), 0},
        {EventCode::PitchBend, ((0x3F00 + 2 - 16384) & 0xFFFF) | (5 << 16), 0},
    };
    EXPECT_EQ(drain(1), expected);
    EXPECT_TRUE(drain(2).empty()) << "bend goes to the voices only";

    const std::vector<ParameterIndexAndValue> wheel = editorQueue();
    ASSERT_EQ(wheel.size(), 4u);
    for (const ParameterIndexAndValue& item : wheel)
        EXPECT_EQ(item.index, EventCode::PitchBend);
    EXPECT_FLOAT_EQ(wheel[0].value, 0.5f);
    EXPECT_NEAR(wheel[1].value, 1.0f, 1e-4);
    EXPECT_EQ(wheel[2].value, 0.0f);
    EXPECT_LT(wheel[3].value, 0.5f);
}

TEST_P(ParameterRouting, TheEditorsKeyboardAndWheelsUseLaneOne)
{
    plugin->setPseudoParameter(1, EventCode::ScreenKeyboardNote, (60 << 8) | 0xC0, 0);
    plugin->setPseudoParameter(1, EventCode::ScreenKeyboardNote, (61 << 8) | 100, 0);
    plugin->setModWheelFromGui(0.5f);
    plugin->setPitchBendFromGui(0.0f);
    plugin->setPitchBendFromGui(1.0f);
    EXPECT_EQ(queuesHolding(1), (std::set<int>{1, 2}));
    const std::vector<Item> keyboard = {{0x10000 + 60, -64, 0}, {0x10000 + 61, 100, 0}, {0x40000, 63, 0}};
    EXPECT_EQ(drain(2), keyboard);
    const std::vector<Item> voice = {{EventCode::PitchBend, -16383 & 0xFFFF, 0}, {EventCode::PitchBend, 16383, 0}};
    EXPECT_EQ(drain(1), voice);
}

TEST_P(ParameterRouting, ClockSettingsTakeEffectAtTheNextBlockStart)
{
    SyncableClock& clock = plugin->getTempo()->getClock();
    auto* tempo = static_cast<FloatIntParameter*>(plugin->getStateHandler().getEditState().getParameter(Param::Tempo));
    ASSERT_EQ(clock.getMode(), SyncableClock::kHost) << "the default patch follows the host";

    plugin->setParameter(Param::TempoExternal, 0.0f);
    EXPECT_EQ(clock.getPendingMode(), SyncableClock::kInternal);
    EXPECT_EQ(clock.getMode(), SyncableClock::kHost) << "deferred";
    plugin->setParameter(Param::GateTime, 0.25f);
    plugin->setParameter(Param::Tempo, 0.3f);
    plugin->processEvents(nullptr);
    EXPECT_EQ(clock.getMode(), SyncableClock::kInternal);
    EXPECT_FLOAT_EQ(clock.getGateTime(), static_cast<float>(engineValue(Param::GateTime)) * 0.01f);
    EXPECT_EQ(clock.getTicks(), static_cast<std::int64_t>(tempo->getFloat())) << "beats per minute";
    render(256);

    plugin->setParameter(Param::TempoExternal, 1.0f);
    plugin->processEvents(nullptr);
    EXPECT_EQ(clock.getMode(), SyncableClock::kHost);
    EXPECT_EQ(clock.getTicks(), tempo->getInt()) << "the tempo read as ticks per bar";
}

TEST_P(ParameterRouting, LfoSyncReachesItsLfoAndTheVoiceQueue)
{
    plugin->setParameter(Param::LFO2Sync, 0.5f);
    const auto mode = static_cast<std::uint32_t>(engineValue(Param::LFO2Sync));
    EXPECT_EQ(plugin->getTempo()->getLfo(1).getPendingSyncMode(), mode);
    const std::vector<Item> voice = drain(1);
    ASSERT_EQ(voice.size(), 2u);
    EXPECT_EQ(voice[0], (Item{Param::LFO2Sync, mode, 0}));
    EXPECT_EQ(std::get<0>(voice[1]), Param::LFO2Rate) << "the rate follows its sync";
}

TEST_P(ParameterRouting, NumbersWithoutARouteReachNothing)
{
    for (long index : {-1L, 155L, 300L, 571L, 588L, 728L, 729L, 100000L})
        plugin->setPseudoParameter(2, index, 1, 0);
    for (VstInt32 index : {-5, 155, 380, 572, 1000})
        plugin->setParameter(index, 0.5f);
    for (int lane = 0; lane < 4; ++lane)
        EXPECT_TRUE(queuesHolding(lane).empty()) << "lane " << lane;
}
