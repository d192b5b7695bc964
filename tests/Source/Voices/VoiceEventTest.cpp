#include "Source/Voices/EventCodes.h"
#include "Source/Voices/VoiceEvent.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(VoiceEvent, DefaultIsTheEmptyItem)
{
    const VoiceEvent empty;
    EXPECT_EQ(empty.code, -1);
    EXPECT_EQ(empty.value, 0);
    EXPECT_EQ(empty.time, -1);
    EXPECT_TRUE(empty.isEmpty());
}

TEST(VoiceEvent, FloatValueTravelsAsItsBitsInTheLowHalf)
{
    const VoiceEvent event(8, std::int64_t(12), 0.625f);
    std::uint32_t bits;
    const float value = 0.625f;
    std::memcpy(&bits, &value, sizeof bits);
    EXPECT_EQ(event.value, static_cast<std::int64_t>(bits));
    EXPECT_EQ(event.time, 12);
    EXPECT_EQ(event.floatValue(), 0.625f);

    const VoiceEvent negative(8, std::int64_t(0), -2.5f);
    EXPECT_EQ(negative.floatValue(), -2.5f);
    EXPECT_EQ(negative.value >> 32, 0) << "the high half stays clear";
}

TEST(VoiceEvent, IntegerValuesKeepTheirSign)
{
    const VoiceEvent release(0x10000 + 60, std::int64_t(-64), std::int64_t(5));
    EXPECT_EQ(release.value, -64);
    EXPECT_EQ(release.time, 5);
}

TEST(EventCodes, MidiCodesCarryKindChannelAndNote)
{
    const std::int64_t code = EventCode::midiCode(EventCode::kKindNote, 9, 60);
    EXPECT_EQ(code, 0x10000 + (9 << 8) + 60);
    EXPECT_EQ(EventCode::kindOf(code), EventCode::kKindNote);
    EXPECT_EQ(EventCode::channelOf(code), 9);
    EXPECT_EQ(EventCode::noteOf(code), 60);
    EXPECT_EQ(EventCode::midiCode(EventCode::kKindModWheel, 0), 0x40000);
    EXPECT_EQ(EventCode::midiCode(EventCode::kKindExpression, 3), 0x50300);
}

TEST(EventCodes, PedalCodesFollowTheirControllers)
{
    EXPECT_EQ(EventCode::kPedalControllerOffset + 64, EventCode::SustainPedal);
    EXPECT_EQ(EventCode::kPedalControllerOffset + 69, EventCode::Hold2Pedal);
    EXPECT_EQ(EventCode::SustainPedal, 588);
    EXPECT_EQ(EventCode::ProgramSwitched, 595);
}
