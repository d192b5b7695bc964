#include "Source/parameters/ParameterTable.h"
#include "editor/layout/GuiInfo.h"
#include "tests/resources/ArtworkTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace
{
struct Rect
{
    int left, top, right, bottom;
    bool overlaps(const Rect& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    bool inside(int width, int height) const { return left >= 0 && top >= 0 && right <= width && bottom <= height; }
};

Rect windowRect(const LayoutItem& item)
{
    return {item.windowX, item.windowY, item.windowX + item.width, item.windowY + item.height};
}

class LayoutDocument : public testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        expanded = std::make_unique<ExpandedLayout>(GetParam());
        ASSERT_NE(expanded->model, nullptr);
    }

    const LayoutModel& model() const { return *expanded->model; }
    bool small() const { return model().index() == "840"; }
    std::vector<const LayoutItem*> widgets() const
    {
        std::vector<const LayoutItem*> all;
        for (const LayoutItem& item : model().items())
            if (item.kind == LayoutItem::Kind::kWidget)
                all.push_back(&item);
        return all;
    }
    std::int64_t tagOf(const LayoutItem& item) const { return item.parameter.empty() ? -1 : info.tagOf(item.parameter); }

    std::unique_ptr<ExpandedLayout> expanded;
    GuiInfo info{nullptr, nullptr};
};

TEST_P(LayoutDocument, ExpandsWithItsTemplatesConstantsAndMidiEditParts)
{
    const std::map<std::string, std::string> sizes{{"Small", "836x490"}, {"Regular", "1024x386"}, {"Large", "1600x602"}};
    EXPECT_EQ(std::to_string(model().configuration().width) + "x" + std::to_string(model().configuration().height),
              sizes.at(GetParam()));
    ticpp::Element* frame = model().frame();
    EXPECT_EQ(frame->GetAttribute("bitmap"), model().index() + "_Background");
    EXPECT_EQ(model().constant("bmp_prfx"), model().index());
    // The artwork prints 4.5 units high at the least: 9 pixels.
    EXPECT_GE(model().unit(), 2);
    std::set<std::string> templates;
    for (ticpp::Element* t = frame->FirstChildElement("template", false); t; t = t->NextSiblingElement("template", false))
        templates.insert(t->GetAttribute("name"));
    const std::set<std::string> expected{"SynthParameter", "OscWaveformKnob", "FullSweepKnob", "EffectsKnob",
        "WheelSource", "LfoSource", "CrossModButton", "EnvSource", "LFOWaveform", "LFOSync", "ControllerDest",
        "ControllerSource", "HarmonicWaveSelect"};
    EXPECT_EQ(templates, expected);
    EXPECT_EQ(model().constant("normaltext"), "194:168:126:255");
    EXPECT_EQ(model().constant("brighttext"), "255:221:167:255");
    EXPECT_EQ(model().constant("NumOscWaveforms"), "13");

    ticpp::Element* box = model().midiedit()->FirstChildElement("editbox");
    ticpp::Element* learn = model().midiedit()->FirstChildElement("learnbutton");
    EXPECT_EQ(box->GetAttribute("type") + box->GetAttribute("width") + "x" + box->GetAttribute("height"), "TextEdit24x12");
    EXPECT_EQ(box->GetAttribute("backcolor"), "242:210:158:255");
    EXPECT_EQ(learn->GetAttribute("type") + " " + learn->GetAttribute("bitmap"), "Button 1024_Learn_btn");
}

TEST_P(LayoutDocument, BindsEveryParameterOnceWithMidiAndMonitor)
{
    std::map<std::int64_t, int> bound;
    for (const LayoutItem* widget : widgets())
    {
        const std::int64_t tag = tagOf(*widget);
        if (widget->midi)
        {
            EXPECT_TRUE(tag >= 0 && tag < kNamedParameterCount) << widget->key() << " offers MIDI editing";
        }
        if (tag < 0 || tag >= kNamedParameterCount)
            continue;
        if (widget->midi && widget->monitor == 0)
            ++bound[tag];
        else
            EXPECT_EQ(widget->type, "Display") << widget->key() << " shows a parameter without MIDI and monitor";
    }
    for (int tag = 0; tag < kNamedParameterCount; ++tag)
        EXPECT_EQ(bound[tag], 1) << parameterNameTable[tag].key;
}

TEST_P(LayoutDocument, OneBarGraphCoversTheHarmonicLevels)
{
    std::vector<const LayoutItem*> graphs;
    for (const LayoutItem* widget : widgets())
        if (widget->type == "BarGraph")
            graphs.push_back(widget);
    ASSERT_EQ(graphs.size(), 1u);
    ticpp::Element* graph = graphs[0]->element;
    EXPECT_EQ(tagOf(*graphs[0]), 107);
    EXPECT_EQ(graph->GetAttribute("numbars") + " " + graph->GetAttribute("barheight"), "24 15");
    EXPECT_EQ(graphs[0]->monitor, 0);
    EXPECT_TRUE(graphs[0]->bitmap.empty() && graph->GetAttribute("width").empty());
    EXPECT_EQ(graphs[0]->bitmaps.at("barbitmap"), model().index() + "_UserWave_LED");
}

TEST_P(LayoutDocument, HasEveryEditorTagAndEveryNamedWidgetOnce)
{
    std::set<std::int64_t> tags;
    std::map<std::string, int> keys;
    for (const LayoutItem* widget : widgets())
    {
        tags.insert(tagOf(*widget));
        if (!widget->key().empty())
            ++keys[widget->key()];
    }
    std::set<std::int64_t> editorTags{155, 157, 158, 159, 160, 161, 162, 163, 164, 165, 166, 167, 168, 169, 170, 171,
        172, 173, 175, 181, 182, 183, 184, 185, 186, 187, 188, 189, 599};
    if (!small())
        editorTags.insert(156);
    for (std::int64_t tag : editorTags)
        EXPECT_EQ(tags.count(tag), 1u) << "tag " << tag;
    EXPECT_EQ(tags.count(156), small() ? 0u : 1u);

    std::vector<std::string> names{"Keyboard", "PatchSelector", "ParamMonitor", "SelectionHeader",
        "PatchAndParameter", "BendAndMod", "PatchMemoryButtons", "ConfigPanel", "KnobMode", "LayoutSelector",
        "HarmonicEditPanel", "HarmonicWaveName", "HarmonicEditNameMenu", "HarmonicWaveSelect0", "HarmonicWaveSelect1",
        "Browser", "BankList", "PatchList", "ProgramList", "MidiPrograms", "PatchInfo", "PatchInfoText",
        "MidiBankSelect", "BrowserRefresh", "BrowserConverting", "BrowserRefreshing", "PatchPathDisplay", "PatchMem1b",
        "PatchMem2b", "PatchMem3b", "PatchMem4b", "BrowserOpen", "BrowserClose2", "SplashOpen", "SplashScreen",
        "BendWheel"};
    if (!small())
        names.insert(names.end(), {"EffectsPanel", "PatchMem1", "PatchMem2", "PatchMem3", "PatchMem4"});
    EXPECT_EQ(names.size(), small() ? 36u : 41u);
    for (const std::string& name : names)
        EXPECT_EQ(keys[name], 1) << name;
    for (const auto& [key, count] : keys)
        EXPECT_EQ(count, 1) << key << " names more than one widget";
    // The browser's memory buttons fall back to the panel's in the small size.
    EXPECT_EQ(keys.count("PatchMem1"), small() ? 0u : 1u);
    EXPECT_EQ(model().find("ConfigPanel")->parent, model().find("BendAndMod") - &model().items()[0]);
}

TEST_P(LayoutDocument, ControlsLieInsideTheWindowAndTheirContainersWithoutOverlap)
{
    const int width = model().configuration().width;
    const int height = model().configuration().height;
    for (const LayoutItem* widget : widgets())
    {
        if (widget->type == "Text")
            continue;
        EXPECT_GT(widget->width * widget->height, 0) << widget->key() << " has no size";
        EXPECT_TRUE(windowRect(*widget).inside(width, height)) << widget->key();
        if (widget->parent >= 0)
        {
            const LayoutItem& container = model().items()[widget->parent];
            EXPECT_TRUE((Rect{widget->x, widget->y, widget->x + widget->width, widget->y + widget->height})
                            .inside(container.width, container.height))
                << widget->key() << " leaves " << container.key();
        }
    }
    // What shows at once must not share a pixel: siblings visible from the
    // start. Hidden panels are shown over the others, or in their place.
    for (int parent = -1; parent < static_cast<int>(model().items().size()); ++parent)
    {
        std::vector<const LayoutItem*> shown;
        for (int index : model().childrenOf(parent))
        {
            const LayoutItem& item = model().items()[index];
            if (item.kind == LayoutItem::Kind::kWidget && item.visible && item.type != "Text")
                shown.push_back(&item);
        }
        for (std::size_t a = 0; a < shown.size(); ++a)
            for (std::size_t b = a + 1; b < shown.size(); ++b)
                EXPECT_FALSE(windowRect(*shown[a]).overlaps(windowRect(*shown[b])))
                    << shown[a]->key() << " overlaps " << shown[b]->key();
    }
}

TEST_P(LayoutDocument, MidiEditPartsLieInsideTheWindowApart)
{
    int learnWidth = 0;
    int learnHeight = 0;
    ASSERT_TRUE(expanded->images.size("1024_Learn_btn", learnWidth, learnHeight));
    learnHeight /= 2;
    struct Parts
    {
        const LayoutItem* widget;
        Rect box, learn;
        int hiddenPanel;
    };
    std::vector<Parts> parts;
    for (const LayoutItem* widget : widgets())
    {
        if (!widget->midi)
            continue;
        const int x = widget->windowX + widget->midiX;
        const int y = widget->windowY + widget->midiY;
        const Rect box{x - 12, y - 12, x + 12, y};
        const Rect learn{x - learnWidth / 2, y, x - learnWidth / 2 + learnWidth, y + learnHeight};
        EXPECT_TRUE(box.inside(model().configuration().width, model().configuration().height)) << widget->key();
        EXPECT_TRUE(learn.inside(model().configuration().width, model().configuration().height)) << widget->key();
        int hidden = -1;
        for (int at = widget->parent; at >= 0 && hidden < 0; at = model().items()[at].parent)
            if (!model().items()[at].visible)
                hidden = at;
        parts.push_back({widget, box, learn, hidden});
    }
    EXPECT_EQ(parts.size(), static_cast<std::size_t>(kNamedParameterCount));
    // Every control shows its parts at once: one must not cover another's.
    for (std::size_t a = 0; a < parts.size(); ++a)
        for (std::size_t b = a + 1; b < parts.size(); ++b)
        {
            if (parts[a].hiddenPanel != parts[b].hiddenPanel)
                continue;
            for (const Rect& mine : {parts[a].box, parts[a].learn})
                for (const Rect& theirs : {parts[b].box, parts[b].learn})
                    EXPECT_FALSE(mine.overlaps(theirs)) << parts[a].widget->key() << " and " << parts[b].widget->key();
        }
}

TEST_P(LayoutDocument, KeyboardEndsAtOrBelowTheLastNote)
{
    const LayoutItem* keyboard = model().find("Keyboard");
    ASSERT_NE(keyboard, nullptr);
    const int first = std::stoi(keyboard->element->GetAttribute("firstkey"));
    const int whiteKeys = std::stoi(keyboard->element->GetAttribute("numwhitekeys"));
    EXPECT_EQ(first, 36);
    EXPECT_EQ(whiteKeys, small() ? 28 : model().index() == "1024" ? 31 : 32);
    // From a C: seven white keys an octave.
    static const int whiteClasses[7] = {0, 2, 4, 5, 7, 9, 11};
    const int last = first + 12 * ((whiteKeys - 1) / 7) + whiteClasses[(whiteKeys - 1) % 7];
    EXPECT_LE(last, 127);
    int whiteWidth = 0, whiteHeight = 0, blackWidth = 0, blackHeight = 0;
    ASSERT_TRUE(expanded->images.size(keyboard->bitmaps.at("whitebitmap"), whiteWidth, whiteHeight));
    ASSERT_TRUE(expanded->images.size(keyboard->bitmaps.at("blackbitmap"), blackWidth, blackHeight));
    EXPECT_GT(3 * whiteWidth, 2 * blackWidth);
    EXPECT_LT(blackHeight, whiteHeight);
    EXPECT_LE(whiteWidth, small() ? 29 : model().index() == "1024" ? 33 : 50);
}

TEST_P(LayoutDocument, EveryControlHasAHelpLine)
{
    ticpp::Element* tooltips = expanded->layout.tooltipsElement();
    ASSERT_NE(tooltips, nullptr);
    std::set<std::string> helped;
    for (ticpp::Element* tip = tooltips->FirstChildElement("tooltip", false); tip;
         tip = tip->NextSiblingElement("tooltip", false))
    {
        EXPECT_FALSE(tip->GetText(false).empty());
        helped.insert(tip->GetAttribute("control"));
    }
    for (const LayoutItem* widget : widgets())
    {
        if (tagOf(*widget) >= 0)
        {
            EXPECT_EQ(helped.count(widget->key()), 1u) << widget->key();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryWindowSize, LayoutDocument, testing::Values("Small", "Regular", "Large"));
}
