#include "Source/state/DefaultPatchRecord.h"
#include "Source/state/ZentrovaStateHandler.h"
#include "tests/support/PatchDocuments.h"
#include "tests/support/TimeBudget.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
struct EngineEvent
{
    int lane;
    long index;
    EngineValue value;

    bool operator==(const EngineEvent& other) const
    {
        return lane == other.lane && index == other.index && value == other.value;
    }
};

// Records what the states send; safe to call from two threads.
class RecordingOwner : public ZentrovaStateOwner
{
public:
    void setPseudoParameter(int lane, long index, EngineValue value, std::int64_t) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_engine.push_back({lane, index, value});
    }
    void setEditorParameter(long tag, float value) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_editor.emplace_back(tag, value);
    }
    std::vector<EngineEvent> engine()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_engine;
    }
    std::vector<std::pair<long, float>> editor()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_editor;
    }
    bool engineReads(const ZentrovaState& state) const override
    {
        engineAsked = true;
        while (holdAsking)
            std::this_thread::yield();
        return readByEngine.load() == &state;
    }
    void forget()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_engine.clear();
        m_editor.clear();
    }

    // The state whose chord lists the engine still holds.
    std::atomic<const ZentrovaState*> readByEngine{nullptr};
    mutable std::atomic<bool> engineAsked{false};
    // Keeps the host thread that asks inside its question, and so inside
    // its claim of the state it writes.
    std::atomic<bool> holdAsking{false};

private:
    std::mutex m_mutex;
    std::vector<EngineEvent> m_engine;
    std::vector<std::pair<long, float>> m_editor;
};

bool readDocument(ZentrovaStateHandler& handler, const std::string& text, bool patchOnly = true)
{
    std::vector<unsigned char> bytes = plainChunk(text);
    ChunkBuffer chunk;
    chunk.attach(bytes.data(), bytes.size());
    const bool read = handler.readChunkXml(chunk, patchOnly);
    chunk.detach();
    return read;
}

std::string filterType(const char* type)
{
    return patchDocument("609", {{"FilterType", type}});
}

constexpr float kHiPass = 2.0f / 8.0f;
constexpr float kLp2Pole = 3.0f / 8.0f;
constexpr float kBndPass = 1.0f / 8.0f;
constexpr long kPatchModified = 599;

class StateHandler : public ::testing::Test
{
protected:
    RecordingOwner owner;
    ZentrovaStateHandler handler{&owner};
};
}

TEST_F(StateHandler, AFreshHandlerPlaysItsFirstStateAtOnce)
{
    EXPECT_EQ(&handler.getEditState(), &handler.getCurrentState());
    EXPECT_TRUE(handler.getCurrentState().m_isCurrent);
    EXPECT_FALSE(handler.isSwitchPending());
    owner.forget();
    handler.getEditState().setParameterValue(0, kHiPass, 2);
    ASSERT_FALSE(owner.engine().empty());
    EXPECT_EQ(owner.engine()[0], (EngineEvent{2, 0, 2}));
}

TEST_F(StateHandler, BothStatesStartFromTheDefaultPatch)
{
    const DefaultPatchRecord& record = DefaultPatchRecord::instance();
    ZentrovaState& first = handler.getCurrentState();
    ASSERT_TRUE(readDocument(handler, patchDocument("609", {})));
    ZentrovaState& second = handler.getEditState();
    ASSERT_NE(&first, &second);
    for (int index = 0; index < kParameterCount; ++index)
    {
        EXPECT_EQ(first.m_patchData.values[index], record.values[index]) << index;
        EXPECT_EQ(second.m_patchData.values[index], record.values[index]) << index;
        EXPECT_EQ(first.getParameter(index)->getDefaultValue(), record.values[index]) << index;
    }
}

TEST_F(StateHandler, AReadShowsTheNewPatchWhileTheEngineKeepsTheOld)
{
    ZentrovaState& playing = handler.getCurrentState();
    ASSERT_TRUE(readDocument(handler, filterType("Hi Pass")));
    EXPECT_TRUE(handler.isSwitchPending());
    EXPECT_EQ(&handler.getCurrentState(), &playing);
    EXPECT_NE(&handler.getEditState(), &playing);
    EXPECT_EQ(handler.getEditState().getParameter(0)->getValue(), kHiPass);
    EXPECT_EQ(playing.getParameter(0)->getValue(), 0.0f);
    EXPECT_EQ(playing.m_patchData.values[0], 0.0f);
}

// Right after a switch the engine still reads the state it played: a read
// on another thread waits for it to let go, then goes into that state.
TEST_F(StateHandler, AReadWaitsWhileTheEngineStillReadsThePreviousState)
{
    ASSERT_TRUE(readDocument(handler, filterType("Hi Pass")));
    ZentrovaState& previous = handler.getCurrentState();
    ASSERT_TRUE(handler.toggleState());
    owner.readByEngine = &previous;
    std::atomic<bool> read{false};
    std::thread host([&] { read = readDocument(handler, filterType("Bnd Pass")); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(read.load());
    EXPECT_EQ(&handler.getEditState(), &handler.getCurrentState());
    owner.readByEngine = nullptr;
    host.join();
    EXPECT_TRUE(read.load());
    EXPECT_EQ(&handler.getEditState(), &previous);
    ASSERT_TRUE(handler.toggleState());
    EXPECT_EQ(handler.getCurrentState().getParameter(0)->getValue(), kBndPass);
}

// The audio thread's switch takes no lock: while a host thread still writes
// the state to be switched to, it answers at once and leaves the switch for
// a later block.
TEST_F(StateHandler, TheSwitchNeverWaitsForAHostWrite)
{
    ASSERT_TRUE(readDocument(handler, filterType("Hi Pass")));
    ASSERT_TRUE(handler.toggleState());
    ASSERT_TRUE(readDocument(handler, filterType("LP 2 Pole")));
    ZentrovaState& pending = handler.getEditState();
    // The next read claims the pending state, then waits inside its claim.
    owner.holdAsking = true;
    owner.engineAsked = false;
    std::thread host([&] { readDocument(handler, filterType("Bnd Pass")); });
    while (!owner.engineAsked.load())
        std::this_thread::yield();
    bool switched = true;
    EXPECT_TRUE(endsUnaided([&] { switched = handler.toggleState(); }, [&] { owner.holdAsking = false; }))
        << "the switch waited for the host's write";
    EXPECT_FALSE(switched);
    EXPECT_TRUE(handler.isSwitchPending());
    owner.holdAsking = false;
    host.join();
    ASSERT_TRUE(handler.toggleState());
    EXPECT_EQ(&handler.getCurrentState(), &pending);
    EXPECT_EQ(pending.getParameter(0)->getValue(), kBndPass) << "the whole of the last read";

    handler.setDefaultPatch();
    EXPECT_EQ(handler.editPatchName(), DefaultPatchRecord::instance().name);
    EXPECT_FALSE(handler.isSwitchPending()) << "written in place";
}

// A host that stops processing in the middle of a switch does not hang the
// reads of its other threads.
TEST_F(StateHandler, TheWaitForTheEngineIsBounded)
{
    ASSERT_TRUE(readDocument(handler, filterType("Hi Pass")));
    ZentrovaState& previous = handler.getCurrentState();
    ASSERT_TRUE(handler.toggleState());
    // The engine never lets go, until the watchdog has it do so.
    owner.readByEngine = &previous;
    bool read = false;
    EXPECT_TRUE(endsUnaided([&] { read = readDocument(handler, filterType("Bnd Pass")); },
                            [&] { owner.readByEngine = nullptr; }))
        << "the read waited for the engine without end";
    EXPECT_TRUE(read);
}

TEST_F(StateHandler, TwoReadsBeforeABlockMakeOneSwitchToTheSecond)
{
    ZentrovaState& playing = handler.getCurrentState();
    ASSERT_TRUE(readDocument(handler, filterType("Hi Pass")));
    ASSERT_TRUE(readDocument(handler, filterType("LP 2 Pole")));
    EXPECT_TRUE(handler.toggleState());
    EXPECT_FALSE(handler.isSwitchPending());
    EXPECT_FALSE(handler.toggleState()) << "nothing left to switch";
    EXPECT_EQ(&handler.getEditState(), &handler.getCurrentState());
    EXPECT_NE(&handler.getCurrentState(), &playing);
    EXPECT_EQ(handler.getCurrentState().getParameter(0)->getValue(), kLp2Pole);
}

TEST_F(StateHandler, TheSwitchShowsTheNewStatesModifiedFlag)
{
    ASSERT_TRUE(readDocument(handler, filterType("Hi Pass")));
    handler.getEditState().m_modified = true;
    owner.forget();
    ASSERT_TRUE(handler.toggleState());
    EXPECT_TRUE(handler.getCurrentState().m_isCurrent);
    EXPECT_EQ(owner.editor(), (std::vector<std::pair<long, float>>{{kPatchModified, 1.0f}}));
}

TEST_F(StateHandler, ThePreviousStateKeepsItsPatchAndTakesTheNextRead)
{
    ZentrovaState& first = handler.getCurrentState();
    ASSERT_TRUE(readDocument(handler, filterType("Hi Pass")));
    ZentrovaState& second = handler.getEditState();
    ASSERT_TRUE(handler.toggleState());
    EXPECT_EQ(first.getParameter(0)->getValue(), 0.0f);
    ASSERT_TRUE(readDocument(handler, filterType("LP 2 Pole")));
    EXPECT_EQ(&handler.getEditState(), &first);
    EXPECT_EQ(&handler.getCurrentState(), &second);
    EXPECT_EQ(second.getParameter(0)->getValue(), kHiPass);
}

TEST_F(StateHandler, AnUnreadableChunkNeitherChangesNorSwitches)
{
    ASSERT_TRUE(readDocument(handler, filterType("Hi Pass")));
    ASSERT_TRUE(handler.toggleState());
    ZentrovaState& playing = handler.getCurrentState();
    EXPECT_FALSE(readDocument(handler, "<zentrova version=\"609\"><status selected_bank=\"x/\" /></zentrova>"));
    EXPECT_FALSE(readDocument(handler, "garbage"));
    EXPECT_FALSE(handler.isSwitchPending());
    EXPECT_EQ(&handler.getEditState(), &playing);
    EXPECT_FALSE(handler.toggleState());
    EXPECT_EQ(&handler.getCurrentState(), &playing);
    EXPECT_EQ(playing.getParameter(0)->getValue(), kHiPass);
}

TEST_F(StateHandler, SendingTheCurrentStateFramesEveryValueAsAProgramLoad)
{
    ASSERT_TRUE(readDocument(handler, patchDocument("609", {{"FilterType", "Hi Pass"}, {"LFO2Sync", "Free"}})));
    ASSERT_TRUE(handler.toggleState());
    owner.forget();
    handler.sendCurrentState(3);
    const std::vector<EngineEvent> events = owner.engine();
    ZentrovaState& state = handler.getCurrentState();
    std::vector<EngineEvent> expected = {{3, 594, 1}, {3, 595, 0}};
    for (int index = 0; index < kParameterCount; ++index)
        expected.push_back({3, index, state.getParameter(index)->getEngineValue()});
    // The switch rules resend both LFO rates in the mode their sync chose.
    expected.push_back({3, 59, state.getParameter(59)->getEngineValue()});
    expected.push_back({3, 63, state.getParameter(63)->getEngineValue()});
    expected.push_back({3, 594, 0});
    EXPECT_EQ(events, expected);
    EXPECT_EQ(events[2].value, 2) << "a choice travels as its index";
    EXPECT_NE(events[59 + 2].value, events[63 + 2].value) << "Midi-RT counts cycles, Free sends hertz";
    EXPECT_TRUE(owner.editor().empty());
}

TEST_F(StateHandler, SendingDuringAProgramLoadKeepsKeyboardHold)
{
    ASSERT_TRUE(readDocument(handler, patchDocument("609", {{"KeyboardHold", "On"}, {"ChordMemory", "On"}})));
    ASSERT_TRUE(handler.toggleState());
    handler.getCurrentState().getParameter(40)->setValue(1.0f);
    owner.forget();
    handler.sendCurrentState(0);
    EXPECT_EQ(handler.getCurrentState().getParameter(40)->getValue(), 1.0f);
    std::vector<EngineValue> hold;
    for (const EngineEvent& event : owner.engine())
        if (event.index == 40)
            hold.push_back(event.value);
    EXPECT_EQ(hold, std::vector<EngineValue>{1});
}

// A host thread reads chunks while the audio thread switches at block starts:
// the audio thread never sees a half-read state, and the last read wins.
TEST_F(StateHandler, ReadsAndSwitchesOnTwoThreads)
{
    const std::vector<std::string> documents = {filterType("Hi Pass"), filterType("LP 2 Pole")};
    std::atomic<bool> reading{true};
    std::atomic<int> switches{0};
    std::thread audio([&] {
        while (reading.load())
        {
            if (handler.isSwitchPending() && handler.toggleState())
            {
                // A state just made current holds one whole document.
                const float type = handler.getCurrentState().getParameter(0)->getValue();
                EXPECT_TRUE(type == kHiPass || type == kLp2Pole) << type;
                EXPECT_EQ(handler.getCurrentState().m_patchData.values[0], type);
                handler.sendCurrentState(0);
                ++switches;
            }
            std::this_thread::yield();
        }
    });
    for (int read = 0; read < 200; ++read)
    {
        ASSERT_TRUE(readDocument(handler, documents[read % 2]));
        // Now and then let a block pass before the next read.
        while (read % 20 == 0 && handler.isSwitchPending())
            std::this_thread::yield();
    }
    reading = false;
    audio.join();
    if (handler.isSwitchPending())
    {
        ASSERT_TRUE(handler.toggleState());
    }
    EXPECT_GT(switches.load(), 0);
    EXPECT_EQ(handler.getCurrentState().getParameter(0)->getValue(), kLp2Pole);
    EXPECT_EQ(&handler.getEditState(), &handler.getCurrentState());
}
