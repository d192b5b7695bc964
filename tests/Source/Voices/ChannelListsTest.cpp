#include "Source/Voices/ChannelLists.h"

#include <gtest/gtest.h>

// A list made after the order was chosen plays in that order, and clearing
// reaches every list that was made.
TEST(ChannelLists, ListsMadeLaterTakeTheOrderAndAllClear)
{
    ChannelLists lists;
    const ChannelLists& reader = lists;
    EXPECT_TRUE(reader[5].isEmpty());
    lists[2].addNote(60, 100, 0);
    lists.setOrder(KeyboardDescriptor::kPitchOrder);
    EXPECT_EQ(lists[2].getOrder(), KeyboardDescriptor::kPitchOrder);
    lists[9].addNote(64, 90, 0);
    EXPECT_EQ(reader[9].getOrder(), KeyboardDescriptor::kPitchOrder);
    EXPECT_TRUE(reader[9].contains(64));
    lists.clear();
    EXPECT_TRUE(reader[2].isEmpty());
    EXPECT_TRUE(reader[9].isEmpty());
}
