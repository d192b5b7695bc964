// The text types' attributes as their controls receive them.

#include "editor/controls/CPatchSelector.h"
#include "editor/widgets/PatchSelectorWidget.h"
#include "editor/widgets/TextLabelWidget.h"
#include "editor/widgets/TextWidget.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CTextLabel.h"

#include "support/WidgetFixtures.h"

#include <gtest/gtest.h>

#include <string>

TEST(TextWidget, ALabelTakesItsFontColourAndAlignmentOrTheDefaults)
{
    WidgetBench bench(R"(<frame>
        <widget type="TextLabel" name="styled" width="80" height="12" text="Cutoff" fontcolor="ColorBlack"
                font="NormalFontVerySmall" align="Left"/>
        <widget type="TextLabel" name="plain" width="80" height="12" y="20"/>
        <widget type="Text" name="holder" width="80" height="12"/>
    </frame>)");
    TextLabelWidget styled(bench.named("styled"), bench.frame, bench.frame, nullptr, bench.guiInfo);
    TextLabelWidget plain(bench.named("plain"), bench.frame, bench.frame, nullptr, bench.guiInfo);
    TextWidget holder(bench.named("holder"), bench.frame, bench.frame, nullptr, bench.guiInfo);

    auto* label = static_cast<CTextLabel*>(styled.getControl());
    EXPECT_EQ(styled.getText(), "Cutoff");
    EXPECT_EQ(label->getFontColor(), kColorBlack);
    EXPECT_STREQ(label->getFont()->getName(), "Helvetica");
    EXPECT_EQ(label->getFont()->getSize(), 9);
    EXPECT_EQ(label->getHoriAlign(), kLeftText);

    auto* defaults = static_cast<CTextLabel*>(plain.getControl());
    EXPECT_EQ(defaults->getFontColor(), kColorWhite);
    EXPECT_EQ(defaults->getFont()->getSize(), 12);
    EXPECT_EQ(defaults->getHoriAlign(), kCenterText);
    EXPECT_EQ(defaults->getBackColor(), kColorBlack);
    EXPECT_FALSE(defaults->getTransparency());

    EXPECT_EQ(holder.getControl(), nullptr);
    EXPECT_EQ(bench.guiInfo.findWidget("holder"), &holder);
}

TEST(PatchSelectorWidget, ShowsItsTextAtHalfAlphaAndFadesTowardsTheBackColour)
{
    WidgetBench bench(R"(<frame>
        <widget type="PatchSelector" name="p" width="120" height="14" fontcolor="255:221:167:255"/>
    </frame>)");
    PatchSelectorWidget widget(bench.named("p"), bench.frame, bench.frame, nullptr, bench.guiInfo);
    CPatchSelector* selector = widget.getSelector();
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(selector->getFontColor(), (CColor{255, 221, 167, 127}));
    widget.setOpacity(1.0f);
    EXPECT_EQ(selector->getFontColor(), (CColor{255, 221, 167, 255}));
    widget.setOpacity(0.0f);
    EXPECT_EQ(selector->getFontColor(), (CColor{0, 0, 0, 255}));

    widget.showText("Loaded");
    EXPECT_TRUE(selector->isShowingText());
    widget.showMenu();
    EXPECT_FALSE(selector->isShowingText());
}
