#include "editor/layout/GuiLayout.h"
#include "editor/layout/LayoutDocument.h"
#include "tests/editor/layout/LayoutTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace
{
const char* kTwoConfigurations = "<layout><configurations>"
                                 "<configuration name=\"B\" index=\"2\" width=\"20\" height=\"10\"/>"
                                 "<configuration name=\"A\" index=\"1\" width=\"30\" height=\"15\"/>"
                                 "</configurations>"
                                 "<switch case=\"%configuration%\">"
                                 "<case value=\"1\"><constant name=\"only_a\" value=\"a\"/></case>"
                                 "<case value=\"2\"><constant name=\"only_b\" value=\"b\"/></case></switch>"
                                 "<frame bitmap=\"%configuration%_%only_a%%only_b%\"/></layout>";

std::set<std::string> namesIn(const ticpp::Element* element)
{
    std::set<std::string> names;
    for (ticpp::Element* child = element->FirstChildElement(false); child != nullptr;
         child = child->NextSiblingElement(false))
        names.insert(child->GetAttributeOrDefault("name", child->GetAttribute("parameter")));
    return names;
}
}

TEST(GuiLayoutEmbedding, CarriedStreamInflatesToTheSourceByteForByte)
{
    std::ifstream file(ZENTROVA_LAYOUT_XML_PATH, std::ios::binary);
    ASSERT_TRUE(file);
    const std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());

    std::string inflated(source.size() + 1, '\0');
    uLongf length = inflated.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &length, layoutDocumentStream,
                  static_cast<uLong>(layoutDocumentStreamLength)),
        Z_OK);
    inflated.resize(length);
    EXPECT_EQ(inflated, source);
}

TEST(GuiLayoutLoading, LoadsOnceAndListsConfigurationsInDocumentOrder)
{
    CompressedLayout carried(kTwoConfigurations);
    EXPECT_EQ(carried.layout.load(), 1);
    // The second load does not look at the bytes again.
    std::fill(carried.stream.begin(), carried.stream.end(), 0);
    EXPECT_EQ(carried.layout.load(), 1);
    const auto& configurations = carried.layout.getConfigurations();
    ASSERT_EQ(configurations.size(), 2u);
    EXPECT_EQ(configurations[0].name, "B");
    EXPECT_EQ(configurations[0].width, 20);
    EXPECT_EQ(configurations[1].name, "A");
    EXPECT_EQ(configurations[1].height, 15);
}

TEST(GuiLayoutLoading, DamagedTruncatedOrUnparsableDocumentsAreReportedAndHaveNothingToExpand)
{
    const std::string good = kTwoConfigurations;
    std::vector<unsigned char> truncated = deflated(good);
    truncated.resize(truncated.size() / 2);
    std::vector<unsigned char> damaged = deflated(good);
    damaged[0] ^= 0xFF;
    std::vector<unsigned char> broken = deflated(good.substr(0, good.size() - 3));
    std::vector<unsigned char> empty = deflated("<layout><configurations/><frame/></layout>");
    for (const auto* stream : {&truncated, &damaged, &broken, &empty})
    {
        GuiLayout layout(stream->data(), stream->size());
        EXPECT_EQ(layout.load(), 0);
        EXPECT_TRUE(layout.getConfigurations().empty());
        if (stream != &empty)
        {
            EXPECT_THROW(layout.frameElement("A"), ticpp::Exception);
        }
    }
    GuiLayout nothing(nullptr, 0);
    EXPECT_EQ(nothing.load(), 0);
}

TEST(GuiLayoutLoading, AConfigurationWithoutAnAttributeEndsTheList)
{
    CompressedLayout carried("<layout><configurations>"
                             "<configuration name=\"A\" index=\"1\" width=\"3\" height=\"4\"/>"
                             "<configuration name=\"B\" index=\"2\" width=\"3\"/>"
                             "<configuration name=\"C\" index=\"3\" width=\"3\" height=\"4\"/>"
                             "</configurations></layout>");
    EXPECT_EQ(carried.layout.load(), 1);
    ASSERT_EQ(carried.layout.getConfigurations().size(), 1u);
}

TEST(GuiLayoutExpansion, ExpansionsAreIndependentAndUnknownNamesTakeTheAlphabeticallyFirst)
{
    CompressedLayout carried(kTwoConfigurations);
    carried.layout.load();
    EXPECT_EQ(carried.layout.frameElement("A")->GetAttribute("bitmap"), "1_a%only_b%");
    EXPECT_EQ(carried.layout.frameElement("B")->GetAttribute("bitmap"), "2_%only_a%b");
    EXPECT_EQ(carried.layout.frameElement("nothing")->GetAttribute("bitmap"), "1_a%only_b%");
    EXPECT_EQ(carried.layout.tooltipsElement(), nullptr);
    EXPECT_THROW(carried.layout.midieditElement(), ticpp::Exception);
}

TEST(GuiLayoutBitmaps, GroupsConcatenateAndIncompleteBitmapsAreLeftOut)
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

TEST(GuiLayoutCarriedDocument, ThreeConfigurationsWithTheirPanels)
{
    GuiLayout layout;
    ASSERT_EQ(layout.load(), 1);
    const auto& configurations = layout.getConfigurations();
    ASSERT_EQ(configurations.size(), 3u);
    const char* names[] = {"Small", "Regular", "Large"};
    const int widths[] = {836, 1024, 1600};
    const int heights[] = {490, 386, 602};
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(configurations[i].name, names[i]);
        EXPECT_EQ(configurations[i].width, widths[i]);
        EXPECT_EQ(configurations[i].height, heights[i]);
    }

    EXPECT_EQ(layout.frameElement("Regular")->GetAttribute("bitmap"), "1024_Background");
    EXPECT_EQ(layout.frameElement("")->GetAttribute("bitmap"), "1600_Background");

    ticpp::Element* frame = layout.frameElement("Small");
    EXPECT_EQ(frame->GetAttribute("bitmap"), "840_Background");
    std::set<std::string> templates;
    for (ticpp::Element* t = frame->FirstChildElement("template", false); t != nullptr;
         t = t->NextSiblingElement("template", false))
        templates.insert(t->GetAttribute("name"));
    EXPECT_EQ(templates.size(), 13u);
    EXPECT_EQ(namesIn(frame).count("NumOscWaveforms"), 1u);
    // Small has its effects on the panel; the others hide them in a panel.
    EXPECT_EQ(namesIn(frame).count("EffectsPanel"), 0u);
    EXPECT_EQ(namesIn(frame).count("ChorusLevel"), 1u);
    EXPECT_EQ(namesIn(layout.frameElement("Large")).count("EffectsPanel"), 1u);
    EXPECT_EQ(namesIn(layout.frameElement("Large")).count("ChorusLevel"), 0u);

    const ticpp::Element* midiedit = layout.midieditElement();
    EXPECT_EQ(midiedit->FirstChildElement("editbox")->GetAttribute("type"), "TextEdit");
    EXPECT_EQ(midiedit->FirstChildElement("learnbutton")->GetAttribute("bitmap"), "1024_Learn_btn");
}

TEST(GuiLayoutCarriedDocument, TemplatesAndConstantsReachTheWidgets)
{
    GuiLayout layout;
    layout.load();
    ticpp::Element* frame = layout.frameElement("Small");
    ticpp::Element* chorus = nullptr;
    ticpp::Element* oscillator = nullptr;
    for (ticpp::Element* w = frame->FirstChildElement("widget", false); w != nullptr;
         w = w->NextSiblingElement("widget", false))
    {
        if (w->GetAttribute("parameter") == "ChorusLevel")
            chorus = w;
        if (w->GetAttribute("parameter") == "Osc1Waveform" && w->GetAttribute("type") == "SwitchKnob")
            oscillator = w;
    }
    ASSERT_NE(chorus, nullptr);
    EXPECT_EQ(chorus->GetAttribute("x"), "452");
    EXPECT_EQ(chorus->GetAttribute("bitmap"), "840_Effects_knob");
    ASSERT_NE(oscillator, nullptr);
    EXPECT_EQ(oscillator->GetAttribute("frames"), "13");
    EXPECT_EQ(oscillator->GetAttribute("midi"), "1");
    EXPECT_EQ(oscillator->GetAttribute("monitor"), "0");
}

TEST(GuiLayoutCarriedDocument, BitmapsOfEveryPrefix)
{
    GuiLayout layout;
    layout.load();
    layout.buildLayout("Regular");
    const GuiLayout::BitmapMap bitmaps = layout.readBitmaps();
    EXPECT_EQ(bitmaps.size(), 268u);
    EXPECT_EQ(bitmaps.at("1024_Background"), "1024/Bkgds/Background.png");
    EXPECT_EQ(bitmaps.at("840_Background"), "840/Bkgds/Background.png");
    EXPECT_EQ(bitmaps.at("1600_Fullsweep_knob"), "1600/Knobs/Fullsweep_knob.png");
    EXPECT_EQ(bitmaps.at("840_Env_Select_btn"), "1024/Buttons/Env_Select_btn.png");
    EXPECT_EQ(bitmaps.at("fadeblock"), "Other/fadeblock.png");
}
