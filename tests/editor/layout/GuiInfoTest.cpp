#include "editor/layout/GuiInfo.h"

#include "Source/parameters/ParameterTable.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/Clock.h"

#include <gtest/gtest.h>

#include <set>

TEST(GuiInfo, TagNamesAreTheParameterKeysThenTheEditorsOwn)
{
    GuiInfo info(nullptr, nullptr);
    std::set<std::int64_t> tags;
    for (const auto& [name, tag] : info.tagsByName())
        tags.insert(tag);
    EXPECT_EQ(info.tagsByName().size(), 139u);
    EXPECT_EQ(tags.size(), 139u);
    for (int i = 0; i < kNamedParameterCount; ++i)
        EXPECT_EQ(info.tagOf(parameterNameTable[i].key), i);
    EXPECT_EQ(info.tagOf("Wave1Fundamental"), 107);
    EXPECT_EQ(info.tagOf("Wave2Fundamental"), 131);
    EXPECT_EQ(tags.lower_bound(108), tags.find(131));
    EXPECT_EQ(info.tagOf("PatchModified"), 599);
    EXPECT_EQ(info.tagOf("filtertype"), -1);
    // Every editor reads one table, made once per process.
    GuiInfo other(nullptr, nullptr);
    EXPECT_EQ(&other.tagsByName(), &info.tagsByName());
    EXPECT_EQ(&other.fonts(), &info.fonts());
}

TEST(GuiInfo, ColourFontAndAlignmentNamesAreExact)
{
    GuiInfo info(nullptr, nullptr);
    EXPECT_EQ(info.colours().size(), 10u);
    CColor colour{1, 2, 3, 4};
    ASSERT_TRUE(info.getColour("ColorTransparent", colour));
    EXPECT_EQ(colour, (CColor{255, 255, 255, 0}));
    ASSERT_TRUE(info.getColour("ColorGrey", colour));
    EXPECT_EQ(colour, (CColor{127, 127, 127, 255}));
    EXPECT_FALSE(info.getColour("colorRed", colour));
    EXPECT_EQ(colour, (CColor{127, 127, 127, 255}));

    std::int32_t alignment = 7;
    EXPECT_FALSE(info.getAlignment("Center", alignment));
    EXPECT_EQ(alignment, 7);
    EXPECT_TRUE(info.getAlignment("Left", alignment) && alignment == kLeftText);
    EXPECT_TRUE(info.getAlignment("Centre", alignment) && alignment == kCenterText);
    EXPECT_TRUE(info.getAlignment("Right", alignment) && alignment == kRightText);

    EXPECT_EQ(info.fonts().size(), 8u);
    EXPECT_STREQ(info.fonts().at("SystemFont")->getName(), "Lucida Grande");
    EXPECT_EQ(info.fonts().at("NormalFontVerySmall")->getSize(), 9);
    EXPECT_EQ(info.fonts().at("SymbolFont")->getSize(), 12);
}

TEST(GuiInfo, ParseFontReplacesTheHeldFontByAStyledCopy)
{
    GuiInfo info(nullptr, nullptr);
    CFontDesc* font = new CFontDesc("Old", 5);
    font->retain();
    CFontDesc* old = font;

    EXPECT_FALSE(info.parseFont("Helvetica:2", font));
    EXPECT_EQ(font, old);
    ASSERT_TRUE(info.parseFont("NormalFontBig:2", font));
    EXPECT_EQ(old->getNbReference(), 1);
    old->forget();
    EXPECT_NE(font, kFontHelvetica14);
    EXPECT_STREQ(font->getName(), "Helvetica");
    EXPECT_EQ(font->getSize(), 14);
    EXPECT_EQ(font->getStyle(), 2);
    EXPECT_EQ(kFontHelvetica14->getStyle(), 0);
    ASSERT_TRUE(info.parseFont("NormalFont", font));
    EXPECT_EQ(font->getStyle(), 0);
    font->forget();
}

TEST(GuiInfo, ParameterWidgetsComeAndGoPerTagAndTicksDoNotWrap)
{
    GuiInfo info(nullptr, nullptr);
    char widgets[2];
    auto* a = reinterpret_cast<Widget*>(&widgets[0]);
    auto* b = reinterpret_cast<Widget*>(&widgets[1]);
    info.addParameterWidget(3, a);
    info.addParameterWidget(3, b);
    info.addParameterWidget(3, a);
    info.removeParameterWidget(3, a);
    EXPECT_EQ(info.widgetsByTag().at(3), GuiInfo::WidgetList{b});
    info.removeParameterWidget(3, b);
    EXPECT_EQ(info.widgetsByTag().count(3), 0u);

    Clock::setSource([]() -> std::uint64_t { return (std::uint64_t{1} << 32) + 5; });
    EXPECT_EQ(info.getTicks(), (std::uint64_t{1} << 32) + 5);
    Clock::setSource(nullptr);
}
