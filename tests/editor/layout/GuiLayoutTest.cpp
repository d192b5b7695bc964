#include "editor/layout/GuiLayout.h"
#include "editor/layout/LayoutDocument.h"
#include "tests/editor/layout/LayoutTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
const char* kTwoConfigurations = "<layout><configurations>"
                                 "<configuration name=\"B\" index=\"2\" width=\"20\" height=\"10\"/>"
                                 "<configuration name=\"A\" index=\"1\" width=\"30\" height=\"15\"/>"
                                 "<configuration name=\"C\" index=\"3\" width=\"30\"/>"
                                 "<configuration name=\"D\" index=\"4\" width=\"30\" height=\"15\"/>"
                                 "</configurations>"
                                 "<switch case=\"%configuration%\">"
                                 "<case value=\"1\"><constant name=\"only_a\" value=\"a\"/></case>"
                                 "<case value=\"2\"><constant name=\"only_b\" value=\"b\"/></case></switch>"
                                 "<frame bitmap=\"%configuration%_%only_a% %only_b%\"/></layout>";

// The first direct child of frame with that parameter (and type, if given).
ticpp::Element* widgetOf(ticpp::Element* frame, const std::string& parameter, const std::string& type = "")
{
    for (ticpp::Element* w = frame->FirstChildElement("widget", false); w; w = w->NextSiblingElement("widget", false))
        if (w->GetAttributeOrDefault("name", w->GetAttribute("parameter")) == parameter &&
            (type.empty() || w->GetAttribute("type") == type))
            return w;
    return nullptr;
}
}

TEST(GuiLayout, CarriedStreamInflatesToTheSourceByteForByte)
{
    std::ifstream file(ZENTROVA_LAYOUT_XML_PATH, std::ios::binary);
    const std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(source.empty());
    std::string inflated(source.size() + 1, '\0');
    uLongf length = inflated.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &length, layoutDocumentStream,
                  static_cast<uLong>(layoutDocumentStreamLength)),
        Z_OK);
    inflated.resize(length);
    EXPECT_EQ(inflated, source);
}

TEST(GuiLayout, LoadsOnceAndAConfigurationWithoutAnAttributeEndsTheList)
{
    CompressedLayout carried(kTwoConfigurations);
    EXPECT_EQ(carried.layout.load(), 1);
    std::fill(carried.stream.begin(), carried.stream.end(), 0);
    EXPECT_EQ(carried.layout.load(), 1);
    const auto& configurations = carried.layout.getConfigurations();
    ASSERT_EQ(configurations.size(), 2u);
    EXPECT_EQ(configurations[0].name, "B");
    EXPECT_EQ(configurations[0].width, 20);
    EXPECT_EQ(configurations[1].height, 15);
}

TEST(GuiLayout, DamagedTruncatedOrUnparsableDocumentsAreReportedAndCannotBeExpanded)
{
    const std::string good = kTwoConfigurations;
    std::vector<unsigned char> truncated = deflated(good);
    truncated.resize(truncated.size() / 2);
    std::vector<unsigned char> damaged = deflated(good);
    damaged[0] ^= 0xFF;
    std::vector<unsigned char> broken = deflated(good.substr(0, good.size() - 3));
    for (const auto* stream : {&truncated, &damaged, &broken})
    {
        GuiLayout layout(stream->data(), stream->size());
        EXPECT_EQ(layout.load(), 0);
        EXPECT_TRUE(layout.getConfigurations().empty());
        EXPECT_THROW(layout.frameElement("A"), ticpp::Exception);
    }
    CompressedLayout noConfiguration("<layout><configurations/><frame/></layout>");
    EXPECT_EQ(noConfiguration.layout.load(), 0);
}

TEST(GuiLayout, ExpansionsAreIndependentAndUnknownNamesTakeTheAlphabeticallyFirst)
{
    CompressedLayout carried(kTwoConfigurations);
    carried.layout.load();
    EXPECT_EQ(carried.layout.frameElement("A")->GetAttribute("bitmap"), "1_a %only_b%");
    EXPECT_EQ(carried.layout.frameElement("B")->GetAttribute("bitmap"), "2_%only_a% b");
    EXPECT_EQ(carried.layout.frameElement("Z")->GetAttribute("bitmap"), "1_a %only_b%");
    EXPECT_EQ(carried.layout.tooltipsElement(), nullptr);
    EXPECT_THROW(carried.layout.midieditElement(), ticpp::Exception);
}

TEST(GuiLayout, BitmapGroupsConcatenateAndIncompleteBitmapsAreLeftOut)
{
    CompressedLayout carried("<layout><configurations>"
                             "<configuration name=\"A\" index=\"1\" width=\"3\" height=\"4\"/></configurations>"
                             "<bitmaps><bitmap name=\"top\" filename=\"top.png\"/>"
                             "<bitmapgroup prefix=\"p_\" folder=\"f/\"><bitmap name=\"nofile\"/>"
                             "<constant name=\"c\" value=\"1\"/><bitmap filename=\"noname.png\"/>"
                             "<bitmapgroup prefix=\"q_\" folder=\"g/\"><bitmap name=\"deep\" filename=\"d.png\"/>"
                             "</bitmapgroup><bitmap name=\"mid\" filename=\"m.png\"/></bitmapgroup>"
                             "<bitmapgroup><bitmap name=\"top\" filename=\"again.png\"/></bitmapgroup>"
                             "</bitmaps></layout>");
    carried.layout.load();
    EXPECT_TRUE(carried.layout.readBitmaps().empty());
    carried.layout.buildLayout("A");
    const GuiLayout::BitmapMap expected{{"top", "again.png"}, {"p_q_deep", "f/g/d.png"}, {"p_mid", "f/m.png"}};
    EXPECT_EQ(carried.layout.readBitmaps(), expected);
}

TEST(GuiLayout, CarriedDocumentOffersThreePanels)
{
    GuiLayout layout;
    ASSERT_EQ(layout.load(), 1);
    const auto& configurations = layout.getConfigurations();
    ASSERT_EQ(configurations.size(), 3u);
    EXPECT_EQ(configurations[0].name + configurations[1].name + configurations[2].name, "SmallRegularLarge");
    EXPECT_EQ(configurations[0].width * 10000 + configurations[0].height, 8360490);
    EXPECT_EQ(configurations[2].width * 10000 + configurations[2].height, 16000602);

    EXPECT_EQ(layout.frameElement("Regular")->GetAttribute("bitmap"), "1024_Background");
    EXPECT_NE(widgetOf(layout.frameElement(""), "EffectsPanel"), nullptr);
    ticpp::Element* small = layout.frameElement("Small");
    EXPECT_EQ(small->GetAttribute("bitmap"), "840_Background");
    EXPECT_EQ(widgetOf(small, "EffectsPanel"), nullptr);
    ASSERT_NE(widgetOf(small, "ChorusLevel"), nullptr);
    // Positions are sums of constants, evaluated to plain numbers.
    const std::string chorusX = widgetOf(small, "ChorusLevel")->GetAttribute("x");
    EXPECT_EQ(chorusX.find_first_not_of("0123456789"), std::string::npos) << chorusX;
    EXPECT_LT(std::stoi(chorusX), 836);
    EXPECT_EQ(widgetOf(small, "ChorusLevel")->GetAttribute("bitmap"), "840_Effects_knob");
    ticpp::Element* oscillator = widgetOf(small, "Osc1Waveform", "SwitchKnob");
    ASSERT_NE(oscillator, nullptr);
    EXPECT_EQ(oscillator->GetAttribute("frames") + oscillator->GetAttribute("midi"), "131");
    int templates = 0;
    for (ticpp::Element* t = small->FirstChildElement("template", false); t; t = t->NextSiblingElement("template", false))
        ++templates;
    EXPECT_EQ(templates, 13);

    EXPECT_EQ(layout.midieditElement()->FirstChildElement("learnbutton")->GetAttribute("bitmap"), "1024_Learn_btn");
    const GuiLayout::BitmapMap bitmaps = layout.readBitmaps();
    EXPECT_EQ(bitmaps.size(), 268u);
    EXPECT_EQ(bitmaps.at("1024_Background"), "1024/Bkgds/Background.png");
    EXPECT_EQ(bitmaps.at("1600_Fullsweep_knob"), "1600/Knobs/Fullsweep_knob.png");
    EXPECT_EQ(bitmaps.at("840_Env_Select_btn"), "1024/Buttons/Env_Select_btn.png");
    EXPECT_EQ(bitmaps.at("fadeblock"), "Other/fadeblock.png");
}
