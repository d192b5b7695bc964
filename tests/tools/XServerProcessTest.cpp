#include "tools/XServerProcess.h"

#include <gtest/gtest.h>

TEST(XServerProcess, ReadsTheNumberOfALocalDisplayOnly)
{
    EXPECT_EQ(XServerProcess::displayNumber(":99"), 99);
    EXPECT_EQ(XServerProcess::displayNumber(":1.0"), 1);
    EXPECT_EQ(XServerProcess::displayNumber("unix:7"), 7);
    EXPECT_EQ(XServerProcess::displayNumber("localhost:10.0"), std::nullopt);
    EXPECT_EQ(XServerProcess::displayNumber(""), std::nullopt);
    EXPECT_EQ(XServerProcess::displayNumber(":x"), std::nullopt);
    EXPECT_EQ(XServerProcess::displayNumber(":2x"), std::nullopt);
}
