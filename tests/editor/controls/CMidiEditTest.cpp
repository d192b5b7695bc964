#include "editor/controls/CMidiEdit.h"

#include <gtest/gtest.h>

#include <string>

TEST(CMidiEdit, TakesControllerNumbersAndDashesAndKeepsTheNumberForAnythingElse)
{
    CMidiEdit edit(CRect(0, 0, 24, 12), nullptr, 190);
    EXPECT_STREQ(edit.getTextPointer(), "");
    edit.setMidiNumber(7);
    EXPECT_STREQ(edit.getTextPointer(), "  7");
    for (auto [typed, number] : {std::pair<const char*, std::int64_t>{" 64 ", 64},
                                 {"128", 64},
                                 {"12a", 64},
                                 {"", 64},
                                 {"--", -1},
                                 {"127", 127},
                                 {"-5", 127}})
        EXPECT_EQ(edit.takeText(typed), number) << typed;
    EXPECT_STREQ(edit.getTextPointer(), "127");
    edit.setMidiNumber(-1);
    EXPECT_STREQ(edit.getTextPointer(), "---");
    EXPECT_EQ(edit.getValue(), -1.0f);
}
