#include "Source/HostEvents.h"
#include "Source/vst/AudioEffectX.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace
{
std::vector<std::vector<VstMidiEvent>> sentLists;

VstIntPtr host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
    if (opcode != audioMasterProcessEvents)
        return 0;
    const auto* events = static_cast<const VstEvents*>(ptr);
    VstEvent* const* list = events->events;
    std::vector<VstMidiEvent> copy;
    for (VstInt32 i = 0; i < events->numEvents; ++i)
        copy.push_back(*reinterpret_cast<const VstMidiEvent*>(list[i]));
    sentLists.push_back(copy);
    return 1;
}

class OutgoingMidi : public ::testing::Test
{
protected:
    void SetUp() override
    {
        sentLists.clear();
        owner.markHandedToHost();
    }

    AudioEffectX owner{host, 1, 1};
    std::unique_ptr<HostEvents> events = std::make_unique<HostEvents>(&owner);
};
} // namespace

TEST_F(OutgoingMidi, AllocatedEventsAreZeroedMidiEvents)
{
    VstMidiEvent* event = events->allocEvent();
    EXPECT_EQ(event->type, kVstMidiType);
    EXPECT_EQ(event->byteSize, 32);
    EXPECT_EQ(event->deltaFrames, 0);
    EXPECT_EQ(event->midiData[0], 0);
    event->midiData[0] = static_cast<char>(0xB0);
    event->midiData[1] = 7;
    event->midiData[2] = 100;
    EXPECT_TRUE(events->flush());
    ASSERT_EQ(sentLists.size(), 1u);
    ASSERT_EQ(sentLists[0].size(), 1u);
    EXPECT_EQ(static_cast<unsigned char>(sentLists[0][0].midiData[0]), 0xB0);
    EXPECT_EQ(sentLists[0][0].midiData[2], 100);
    EXPECT_EQ(events->numEvents(), 0);

    // Storage is reused after a flush, and comes back zeroed.
    VstMidiEvent* again = events->allocEvent();
    EXPECT_EQ(again->midiData[0], 0);
}

TEST_F(OutgoingMidi, AnEmptyListIsSentToo)
{
    events->flush();
    ASSERT_EQ(sentLists.size(), 1u);
    EXPECT_TRUE(sentLists[0].empty());
}

TEST_F(OutgoingMidi, TheEventAfterAFullListFlushesItFirst)
{
    for (int i = 0; i < HostEvents::kMaxEvents; ++i)
        events->allocEvent()->midiData[1] = static_cast<char>(i & 0x7F);
    EXPECT_TRUE(sentLists.empty());
    events->allocEvent();
    ASSERT_EQ(sentLists.size(), 1u);
    EXPECT_EQ(sentLists[0].size(), std::size_t(HostEvents::kMaxEvents));
    EXPECT_EQ(events->numEvents(), 1);
}

TEST_F(OutgoingMidi, MessagesQueuedFromOtherThreadsGoOutWithTheNextFlush)
{
    constexpr int kPerThread = 500;
    auto produce = [&](unsigned char controller) {
        for (int i = 0; i < kPerThread; ++i)
            while (!events->queueMidi(0xB0, controller, static_cast<unsigned char>(i & 0x7F)))
                std::this_thread::yield();
    };
    std::thread first(produce, 20);
    std::thread second(produce, 21);
    int received = 0;
    int lastValue[2] = {-1, -1};
    bool ordered = true;
    while (received < 2 * kPerThread)
    {
        events->flush();
        for (const VstMidiEvent& event : sentLists.back())
        {
            const int producer = event.midiData[1] - 20;
            const int value = event.midiData[2];
            ordered = ordered && producer >= 0 && producer <= 1 && value == ((lastValue[producer] + 1) & 0x7F);
            if (producer >= 0 && producer <= 1)
                lastValue[producer] = value;
            ++received;
        }
        std::this_thread::yield();
    }
    first.join();
    second.join();
    EXPECT_TRUE(ordered);
    EXPECT_EQ(received, 2 * kPerThread);
}
