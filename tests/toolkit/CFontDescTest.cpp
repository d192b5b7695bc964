#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"

#include "support/TestCanvas.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
// Advance widths of the metric-compatible sans family in its 2048 units per
// em, for the letters of "Hello": scaled to 1/64 pixel, then rounded to
// whole pixels as hinted metrics are.
CCoord expectedHelloWidth(int size)
{
    auto pixels = [size](int units) { return static_cast<CCoord>((std::lround(units * size / 32.0) + 32) / 64); };
    return pixels(1479) + pixels(1139) + 2 * pixels(455) + pixels(1139);
}

std::vector<CCoord> helloWidths()
{
    TestCanvas canvas(10, 10);
    std::vector<CCoord> widths;
    for (int size = 9; size <= 18; ++size)
    {
        auto* font = new CFontDesc("Helvetica", size);
        canvas.context()->setFont(font);
        font->release();
        widths.push_back(canvas.context()->getStringWidth("Hello"));
    }
    return widths;
}

// The folder of the file fontconfig holds for family, or empty.
std::string folderOfFamily(const char* family)
{
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    std::string folder;
    FcChar8* file = nullptr;
    if (fonts && fonts->nfont > 0 && FcPatternGetString(fonts->fonts[0], FC_FILE, 0, &file) == FcResultMatch)
    {
        folder = reinterpret_cast<const char*>(file);
        folder.erase(folder.rfind('/'));
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return folder;
}

// The lowest and leftmost inked pixels of the canvas.
CPoint inkBottomLeft(const TestCanvas& canvas, int width, int height)
{
    CPoint result(width, -1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (canvas.isSet(x, y))
            {
                result.v = y;
                result.h = std::min<CCoord>(result.h, x);
            }
    return result;
}
} // namespace

TEST(CFontDesc, HelveticaMeasuresAsTheMetricCompatibleSansAtEverySize)
{
    std::vector<CCoord> widths = helloWidths();
    for (int size = 9; size <= 18; ++size)
        EXPECT_EQ(widths[size - 9], expectedHelloWidth(size)) << size << " px";

    TestCanvas canvas(10, 10);
    canvas.context()->setFont(kFontHelvetica18);
    EXPECT_EQ(canvas.context()->getStringWidth(""), 0);
    CCoord regular = canvas.context()->getStringWidth("Hello");
    canvas.context()->setFont(kFontHelvetica18, 0, kBoldFace);
    EXPECT_GT(canvas.context()->getStringWidth("Hello"), regular);
}

TEST(CFontDesc, TextMeasuresTheSameWhateverOtherFontsAndRulesTheMachineHas)
{
    std::vector<CCoord> systemWidths = helloWidths();
    std::string liberation = folderOfFamily("Liberation Sans");
    ASSERT_FALSE(liberation.empty()) << "fonts-liberation2 is not installed";

    // Only the font folders, none of the machine's substitution rules; other
    // families are there to be picked by mistake.
    FcConfig* bare = FcConfigCreate();
    std::string setup = "<fontconfig><cachedir>" + testing::TempDir() + "fontconfig-bare</cachedir></fontconfig>";
    FcConfigParseAndLoadFromMemory(bare, reinterpret_cast<const FcChar8*>(setup.c_str()), FcTrue);
    FcConfigAppFontAddDir(bare, reinterpret_cast<const FcChar8*>(liberation.c_str()));
    std::string dejavu = folderOfFamily("DejaVu Sans");
    if (!dejavu.empty())
        FcConfigAppFontAddDir(bare, reinterpret_cast<const FcChar8*>(dejavu.c_str()));
    FcConfig* previous = FcConfigReference(nullptr);
    ASSERT_TRUE(FcConfigSetCurrent(bare));
    std::vector<CCoord> bareWidths = helloWidths();
    FcConfigSetCurrent(previous);
    FcConfigDestroy(previous);
    FcConfigDestroy(bare);

    EXPECT_EQ(bareWidths, systemWidths);
}

TEST(CFontDesc, TheBaselineSitsHalfTheFontSizeBelowTheRectanglesMiddle)
{
    for (int size = 9; size <= 18; ++size)
    {
        TestCanvas canvas(100, 60);
        CDrawContext* context = canvas.context();
        auto* font = new CFontDesc("Helvetica", size);
        context->setFont(font);
        font->release();
        context->setFontColor(kColorWhite);
        CRect rect(0, 20, 100, 40);
        context->drawString("H", rect, kLeftText, true);
        CCoord baseline = rect.bottom + size / 2 - 1 - rect.height() / 2;
        EXPECT_EQ(inkBottomLeft(canvas, 100, 60).v, baseline - 1) << size << " px";
    }
}

TEST(CFontDesc, CentredAndRightAlignedTextStartsWhereItsWidthSays)
{
    auto inkLeft = [](CHoriTxtAlign align) {
        TestCanvas canvas(100, 30);
        canvas.context()->setFont(kFontHelvetica14);
        canvas.context()->setFontColor(kColorWhite);
        canvas.context()->drawString("Tone", CRect(0, 0, 100, 30), align, true);
        return inkBottomLeft(canvas, 100, 30).h;
    };
    TestCanvas measure(10, 10);
    measure.context()->setFont(kFontHelvetica14);
    CCoord width = measure.context()->getStringWidth("Tone");
    CCoord left = inkLeft(kLeftText);
    EXPECT_EQ(inkLeft(kCenterText) - left, static_cast<CCoord>(50.0f - width * 0.5f));
    EXPECT_EQ(inkLeft(kRightText) - left, 100 - width);
}

TEST(CFontDesc, AnInvalidStringDoesNotStopLaterDrawing)
{
    TestCanvas canvas(100, 30);
    CDrawContext* context = canvas.context();
    context->setFont(kFontHelvetica12);
    context->setFontColor(kColorWhite);
    EXPECT_GT(context->getStringWidth("a\xFF\xC3"), 0);
    context->drawString("\xFF\xFE\xC0", CRect(0, 0, 50, 30), kLeftText, true);
    TestCanvas clean(100, 30);
    clean.context()->setFont(kFontHelvetica12);
    clean.context()->setFontColor(kColorWhite);
    context->drawString("H", CRect(50, 0, 100, 30), kLeftText, true);
    clean.context()->drawString("H", CRect(50, 0, 100, 30), kLeftText, true);
    for (int x = 50; x < 100; ++x)
        for (int y = 0; y < 30; ++y)
            ASSERT_EQ(canvas.pixel(x, y), clean.pixel(x, y));
    EXPECT_NE(inkBottomLeft(clean, 100, 30).v, -1);
}
