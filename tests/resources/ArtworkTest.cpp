#include "Source/parameters/ParameterTable.h"
#include "editor/layout/GuiInfo.h"
#include "tests/resources/ArtworkTestSupport.h"
#include "tools/ArtworkGenerator.h"
#include "tools/ImageCatalogue.h"
#include "tools/PanelStyle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace
{
// Number of distinct values a parameter takes, as its texts tell them.
int valueCount(int index)
{
    auto parameter = createParameterObject(index);
    std::set<std::string> values;
    for (int step = 0; step <= 4000; ++step)
    {
        parameter->setValue(static_cast<float>(step) / 4000.0f);
        char text[ZentrovaParameter::kTextSize] = {};
        parameter->getDisplay(text);
        values.insert(text);
    }
    return static_cast<int>(values.size());
}

bool samePixels(cairo_surface_t* a, int ax, int ay, cairo_surface_t* b, int bx, int by, int width, int height)
{
    const unsigned char* pa = cairo_image_surface_get_data(a);
    const unsigned char* pb = cairo_image_surface_get_data(b);
    const int sa = cairo_image_surface_get_stride(a);
    const int sb = cairo_image_surface_get_stride(b);
    for (int row = 0; row < height; ++row)
        if (std::memcmp(pa + (ay + row) * sa + ax * 4, pb + (by + row) * sb + bx * 4, width * 4) != 0)
            return false;
    return true;
}

std::string bytesOf(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::vector<std::string> tableNames()
{
    std::vector<std::string> names;
    for (const char* prefix : {"1024_", "1600_", "840_"})
        for (const ImageRecipe& image : ImageCatalogue::all())
            names.push_back(prefix + image.base);
    names.push_back("fadeblock");
    return names;
}
}

TEST(Artwork, EveryNameOfTheBitmapTableHasTheSameImageInBothBundles)
{
    BundleImages instrument(ZENTROVA_INSTRUMENT_PLUGIN_PATH);
    BundleImages effect(ZENTROVA_EFFECT_PLUGIN_PATH);
    const Bitmaps table;
    const std::vector<std::string> names = tableNames();
    ASSERT_EQ(names.size(), static_cast<std::size_t>(Bitmaps::kNameCount));
    std::set<int> numbers;
    for (const std::string& name : names)
    {
        numbers.insert(table.resourceNumber(name));
        EXPECT_NE(instrument.image(name), nullptr) << name;
        const std::string bytes = bytesOf(instrument.fileOf(name));
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(bytes, bytesOf(effect.fileOf(name))) << name;
    }
    EXPECT_EQ(*numbers.begin(), 128);
    EXPECT_EQ(*numbers.rbegin(), 395);
    EXPECT_EQ(numbers.size(), names.size());
}

TEST(Artwork, GeneratorDrawsTheBundlesImagesAgainPixelForPixel)
{
    GuiLayout layout;
    ArtworkGenerator generator(layout);
    BundleImages bundle(ZENTROVA_INSTRUMENT_PLUGIN_PATH);
    for (const char* name : {"1600_Background", "840_Fullsweep_knob", "1024_Wheel", "1024_Effects_bkgd"})
    {
        cairo_surface_t* drawn = generator.render(name);
        cairo_surface_t* carried = bundle.image(name);
        ASSERT_TRUE(drawn && carried) << name;
        ASSERT_EQ(cairo_image_surface_get_width(drawn), cairo_image_surface_get_width(carried));
        ASSERT_EQ(cairo_image_surface_get_height(drawn), cairo_image_surface_get_height(carried));
        EXPECT_TRUE(samePixels(drawn, 0, 0, carried, 0, 0, cairo_image_surface_get_width(drawn),
                               cairo_image_surface_get_height(drawn)))
            << name;
        cairo_surface_destroy(drawn);
    }
}

TEST(Artwork, PrintReadsOnEveryGroundItSitsOn)
{
    for (const PanelStyle::Colour& ground : {PanelStyle::kPanel, PanelStyle::kSectionTop, PanelStyle::kSectionBottom,
             PanelStyle::kGlass})
    {
        EXPECT_GE(PanelStyle::contrast(PanelStyle::kNormalText, ground), 4.5);
        EXPECT_GE(PanelStyle::contrast(PanelStyle::kDimText, ground), 4.5);
        EXPECT_GE(PanelStyle::contrast(PanelStyle::kBrightText, ground), 4.5);
    }
}

class ArtworkStrips : public testing::TestWithParam<const char*>
{
};

TEST_P(ArtworkStrips, MatchTheirWidgetsFramesAndParameters)
{
    ExpandedLayout expanded(GetParam());
    ASSERT_NE(expanded.model, nullptr);
    const LayoutModel& model = *expanded.model;
    const GuiInfo info(nullptr, nullptr);
    int width = 0, height = 0;
    ASSERT_TRUE(expanded.images.size(model.frame()->GetAttribute("bitmap"), width, height));
    EXPECT_EQ(width, model.configuration().width);
    EXPECT_EQ(height, model.configuration().height);

    const std::set<std::string> stepped{"SwitchKnob", "HorizSwitch", "VertSwitch", "TristateButton", "Button",
        "Display"};
    std::set<std::string> checked;
    for (const LayoutItem& item : model.items())
    {
        if (item.kind != LayoutItem::Kind::kWidget || item.bitmap.empty())
            continue;
        cairo_surface_t* image = expanded.images.image(item.bitmap);
        ASSERT_NE(image, nullptr) << item.bitmap;
        const int imageWidth = cairo_image_surface_get_width(image);
        const int imageHeight = cairo_image_surface_get_height(image);
        if (item.isContainer() || item.type == "ParamMonitor")
        {
            // A panel's image is the panel; the monitor shows its part of
            // its container's.
            const LayoutItem& panel = item.type == "ParamMonitor" ? model.items()[item.parent] : item;
            EXPECT_EQ(imageWidth, panel.width) << item.key();
            EXPECT_EQ(imageHeight, panel.height) << item.key();
            continue;
        }
        const bool sideBySide = item.type == "Wheel";
        const int length = sideBySide ? imageWidth : imageHeight;
        ASSERT_GT(item.frames, 0) << item.key();
        EXPECT_EQ(length % item.frames, 0) << item.key() << " " << item.bitmap;
        const int frame = length / item.frames;
        if (checked.insert(item.bitmap).second)
        {
            for (int k = 1; k < item.frames; ++k)
                EXPECT_FALSE(sideBySide
                                 ? samePixels(image, (k - 1) * frame, 0, image, k * frame, 0, frame, imageHeight)
                                 : samePixels(image, 0, (k - 1) * frame, image, 0, k * frame, imageWidth, frame))
                    << item.bitmap << " frames " << k - 1 << " and " << k;
        }
        const std::int64_t tag = item.parameter.empty() ? -1 : info.tagOf(item.parameter);
        if (tag < 0 || tag >= kNamedParameterCount)
            continue;
        if (stepped.count(item.type))
        {
            EXPECT_EQ(item.frames, valueCount(static_cast<int>(tag))) << item.key();
        }
        else
        {
            EXPECT_TRUE(item.type == "Knob" && item.frames == 64 && valueCount(static_cast<int>(tag)) > 15)
                << item.key() << " turns through a few values on a continuous knob";
        }
    }
    // Two-state images beside "bitmap": keys, bar segments, list parts (a
    // menu's pressed picture is a single one).
    for (const LayoutItem& item : model.items())
        for (const auto& [attribute, name] : item.bitmaps)
        {
            cairo_surface_t* image = expanded.images.image(name);
            ASSERT_NE(image, nullptr) << name;
            if (attribute == "bitmapdwn")
                continue;
            const int w = cairo_image_surface_get_width(image);
            const int h = cairo_image_surface_get_height(image);
            EXPECT_EQ(h % 2, 0) << name;
            EXPECT_FALSE(samePixels(image, 0, 0, image, 0, h / 2, w, h / 2)) << name;
        }
}

INSTANTIATE_TEST_SUITE_P(EveryWindowSize, ArtworkStrips, testing::Values("Small", "Regular", "Large"));
