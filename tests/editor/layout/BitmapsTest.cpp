#include "editor/layout/Bitmaps.h"
#include "editor/layout/GuiLayout.h"

#include "toolkit/CBitmap.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Bitmaps, ResourceNumbersFollowTheNamesByteOrder)
{
    Bitmaps bitmaps;
    EXPECT_EQ(bitmaps.resourceNumber("1024_12_Position_knob"), 128);
    EXPECT_EQ(bitmaps.resourceNumber("1600_12_Position_knob"), 217);
    EXPECT_EQ(bitmaps.resourceNumber("840_12_Position_knob"), 306);
    EXPECT_EQ(bitmaps.resourceNumber("fadeblock"), 395);
    EXPECT_EQ(bitmaps.resourceNumber("1024_Background"), 135);
    EXPECT_EQ(bitmaps.resourceNumber("1600_Background"), 224);
    EXPECT_EQ(bitmaps.resourceNumber("840_Background"), 313);
    EXPECT_EQ(bitmaps.resourceNumber("840_splashscreen"), 394);

    // Every name the carried layout declares has a number; in name order
    // they run from 128 to 395 without a gap.
    GuiLayout layout;
    ASSERT_EQ(layout.load(), 1);
    layout.buildLayout("Small");
    std::vector<std::int32_t> numbers;
    for (const auto& [name, file] : layout.readBitmaps())
        numbers.push_back(bitmaps.resourceNumber(name));
    ASSERT_EQ(numbers.size(), static_cast<std::size_t>(Bitmaps::kNameCount));
    for (std::size_t i = 0; i < numbers.size(); ++i)
        EXPECT_EQ(numbers[i], Bitmaps::kFirstResource + static_cast<std::int32_t>(i));
}

TEST(Bitmaps, OneBitmapPerNameUntilTheNextInit)
{
    Bitmaps bitmaps;
    EXPECT_EQ(bitmaps.getBitmap(""), nullptr);
    EXPECT_EQ(bitmaps.getBitmap("Background"), nullptr);
    EXPECT_EQ(bitmaps.getBitmap("1024_background"), nullptr);

    CBitmap* wheel = bitmaps.getBitmap("840_Wheel");
    ASSERT_NE(wheel, nullptr);
    EXPECT_EQ(bitmaps.getBitmap("840_Wheel"), wheel);
    EXPECT_EQ(wheel->getResourceDescription().type, CResourceDescription::kIntegerType);
    EXPECT_EQ(wheel->getResourceDescription().id, bitmaps.resourceNumber("840_Wheel"));

    // A view that keeps the bitmap holds its own reference.
    wheel->retain();
    bitmaps.init({{"840_Wheel", "840/Other/Wheel.png"}}, "Layout/");
    EXPECT_EQ(wheel->getNbReference(), 1);
    CBitmap* again = bitmaps.getBitmap("840_Wheel");
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(bitmaps.getBitmap("840_Wheel"), again);
    wheel->forget();
}
