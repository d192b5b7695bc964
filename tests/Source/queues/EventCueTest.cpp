#include "Source/Voices/VoiceEvent.h"
#include "Source/queues/ControlCue.h"
#include "Source/queues/GuiCue.h"
#include "Source/queues/ParameterIndexAndValue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

namespace
{
using Cue = ControlCue<VoiceEvent>;

VoiceEvent event(std::int64_t code)
{
    return VoiceEvent(code, std::int64_t(0), std::int64_t(0));
}

std::vector<std::int64_t> drain(Cue& cue)
{
    std::vector<std::int64_t> codes;
    for (VoiceEvent item = cue.pop(); !item.isEmpty(); item = cue.pop())
        codes.push_back(item.code);
    return codes;
}
double residentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long long size = 0, resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * 4096.0 / (1024.0 * 1024.0);
}
} // namespace

TEST(EventCue, EmptyPassReturnsTheEmptyItemAtOnce)
{
    auto cue = std::make_unique<Cue>();
    cue->beginRead();
    const VoiceEvent item = cue->pop();
    EXPECT_EQ(item.code, -1);
    EXPECT_EQ(item.value, 0);
    EXPECT_EQ(item.time, -1);

    auto gui = std::make_unique<GuiCue<ParameterIndexAndValue>>();
    gui->beginRead();
    EXPECT_EQ(gui->pop().index, -1);
}

TEST(EventCue, DeliversLanesThreeTwoOneThenZeroInPushOrder)
{
    auto cue = std::make_unique<Cue>();
    cue->push(0, event(1));
    cue->push(1, event(11));
    cue->push(2, event(21));
    cue->push(3, event(31));
    cue->push(1, event(12));
    cue->push(0, event(2));
    cue->push(3, event(32));
    cue->beginRead();
    EXPECT_EQ(drain(*cue), (std::vector<std::int64_t>{31, 32, 21, 11, 12, 1, 2}));
}

TEST(EventCue, ItemsPushedToUpperLanesAfterTheSnapshotWaitForTheNextPass)
{
    auto cue = std::make_unique<Cue>();
    cue->push(2, event(1));
    cue->beginRead();
    cue->push(2, event(2));
    cue->push(3, event(3));
    EXPECT_EQ(drain(*cue), (std::vector<std::int64_t>{1}));
    cue->beginRead();
    EXPECT_EQ(drain(*cue), (std::vector<std::int64_t>{3, 2}));
}

TEST(EventCue, LaneZeroItemsPushedDuringAPassArriveInThatPass)
{
    auto cue = std::make_unique<Cue>();
    cue->push(0, event(1));
    cue->beginRead();
    EXPECT_EQ(cue->pop().code, 1);
    cue->push(0, event(2));
    EXPECT_EQ(cue->pop().code, 2);
    EXPECT_TRUE(cue->pop().isEmpty());
}

TEST(EventCue, AFullLaneKeepsItsItemsAndRefusesNewOnes)
{
    auto cue = std::make_unique<Cue>();
    const int capacity = static_cast<int>(Cue::kLaneCapacity);
    EXPECT_EQ(capacity, 2047);
    for (int i = 0; i < capacity; ++i)
        ASSERT_TRUE(cue->push(2, event(i)));
    EXPECT_FALSE(cue->push(2, event(9999)));
    cue->beginRead();
    const std::vector<std::int64_t> codes = drain(*cue);
    ASSERT_EQ(codes.size(), std::size_t(capacity));
    for (int i = 0; i < capacity; ++i)
        ASSERT_EQ(codes[i], i);
    // Room again once read.
    EXPECT_TRUE(cue->push(2, event(5)));
}

TEST(EventCue, ClearEmptiesEveryLane)
{
    auto cue = std::make_unique<Cue>();
    for (int lane = 0; lane < 4; ++lane)
        cue->push(lane, event(lane));
    cue->clear();
    cue->beginRead();
    EXPECT_TRUE(cue->pop().isEmpty());
    cue->push(1, event(7));
    cue->beginRead();
    EXPECT_EQ(drain(*cue), (std::vector<std::int64_t>{7}));
}

TEST(EventCue, PopBeforeAnyPassServesLaneZeroOnly)
{
    auto cue = std::make_unique<Cue>();
    cue->push(3, event(3));
    cue->push(0, event(0));
    EXPECT_EQ(cue->pop().code, 0);
    EXPECT_TRUE(cue->pop().isEmpty());
}

TEST(EventCue, WrapsAroundTheLaneManyTimes)
{
    auto cue = std::make_unique<Cue>();
    std::int64_t next = 0;
    std::int64_t expected = 0;
    for (int pass = 0; pass < 20; ++pass)
    {
        for (int i = 0; i < 1500; ++i)
            ASSERT_TRUE(cue->push(1, event(next++)));
        cue->beginRead();
        for (VoiceEvent item = cue->pop(); !item.isEmpty(); item = cue->pop())
            ASSERT_EQ(item.code, expected++);
    }
    EXPECT_EQ(expected, next);
}

// Queues share the pages of their lanes' first slots with queues closed
// before them: a new one finds none of the old items.
TEST(EventCue, AQueueMadeAfterOthersClosedStartsEmpty)
{
    for (int round = 0; round < 2; ++round)
    {
        std::vector<std::unique_ptr<Cue>> cues;
        for (int i = 0; i < 8; ++i)
        {
            cues.push_back(std::make_unique<Cue>());
            cues.back()->beginRead();
            EXPECT_TRUE(cues.back()->pop().isEmpty()) << round;
            for (int lane = 0; lane < 4; ++lane)
                for (int k = 0; k < 100 + lane; ++k)
                    ASSERT_TRUE(cues.back()->push(lane, event(k)));
        }
        cues[3]->beginRead();
        EXPECT_EQ(drain(*cues[3]).size(), 406u);
    }
}

// Every instance holds five of these queues: room that no item has reached
// takes no memory.
TEST(EventCue, HoldsNoMemoryForRoomNotYetUsed)
{
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the thread checker's shadow memory follows every page touched";
#endif
    constexpr int kCues = 40; // 12.5 MB of slots
    const double before = residentMegabytes();
    std::vector<std::unique_ptr<Cue>> cues;
    for (int i = 0; i < kCues; ++i)
    {
        cues.push_back(std::make_unique<Cue>());
        for (int lane = 0; lane < 4; ++lane)
            cues.back()->push(lane, event(lane));
    }
    EXPECT_LT(residentMegabytes() - before, 2.0);
    for (auto& cue : cues)
    {
        cue->beginRead();
        EXPECT_EQ(drain(*cue), (std::vector<std::int64_t>{3, 2, 1, 0}));
    }
}

// Two threads produce into one lane (the host's automation and the editor
// both reach setParameter) while the audio thread reads: nothing is lost,
// duplicated or torn, and each producer's items keep their order.
TEST(EventCue, TwoProducersOnOneLaneLoseNothing)
{
    auto cue = std::make_unique<Cue>();
    constexpr int kPerProducer = 20000;
    std::atomic<bool> done[2] = {{false}, {false}};
    auto produce = [&](int producer) {
        for (int i = 0; i < kPerProducer; ++i)
        {
            const VoiceEvent item(producer, std::int64_t(i), std::int64_t(i));
            while (!cue->push(2, item))
                std::this_thread::yield();
        }
        done[producer].store(true);
    };
    std::thread first(produce, 0);
    std::thread second(produce, 1);

    std::int64_t nextExpected[2] = {0, 0};
    bool consistent = true;
    while (nextExpected[0] < kPerProducer || nextExpected[1] < kPerProducer)
    {
        cue->beginRead();
        for (VoiceEvent item = cue->pop(); !item.isEmpty(); item = cue->pop())
        {
            const auto producer = item.code;
            if (producer < 0 || producer > 1 || item.value != nextExpected[producer] || item.time != item.value)
                consistent = false;
            else
                ++nextExpected[producer];
        }
        if (!consistent)
            break;
        std::this_thread::yield();
    }
    first.join();
    second.join();
    EXPECT_TRUE(consistent);
    EXPECT_EQ(nextExpected[0], kPerProducer);
    EXPECT_EQ(nextExpected[1], kPerProducer);
}

// A lane that cannot fill never refuses an item, however the producers'
// pushes fall against the reader's pops: a producer whose position went
// stale while its slot was filled and taken must not take the lane for full.
TEST(EventCue, ALaneWithRoomRefusesNothingWhileRead)
{
    constexpr int kRounds = 200;
    constexpr int kPerProducer = 1000; // two of them stay within the lane's room
    static_assert(2 * kPerProducer < int(Cue::kLaneCapacity), "the lane never fills");
    int refused = 0;
    for (int round = 0; round < kRounds && refused == 0; ++round)
    {
        auto cue = std::make_unique<Cue>();
        std::atomic<int> refusals{0};
        std::atomic<int> running{2};
        auto produce = [&](int producer) {
            for (int i = 0; i < kPerProducer; ++i)
                if (!cue->push(0, VoiceEvent(producer, std::int64_t(i), std::int64_t(i))))
                    ++refusals;
            --running;
        };
        std::thread first(produce, 0);
        std::thread second(produce, 1);
        int taken = 0;
        while (running.load() > 0 || taken + refusals.load() < 2 * kPerProducer)
        {
            cue->beginRead();
            for (VoiceEvent item = cue->pop(); !item.isEmpty(); item = cue->pop())
                ++taken;
        }
        first.join();
        second.join();
        refused = refusals.load();
        EXPECT_EQ(taken + refused, 2 * kPerProducer);
    }
    EXPECT_EQ(refused, 0);
}
