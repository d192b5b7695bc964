#include "toolkit/CParamDisplay.h"

#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace
{
// Keeps the text it was last asked to draw.
class ShownDisplay : public CParamDisplay
{
public:
    using CParamDisplay::CParamDisplay;
    void drawText(CDrawContext* context, const char* text, CBitmap* newBack = nullptr) override
    {
        shown = text ? text : "(null)";
        CParamDisplay::drawText(context, text, newBack);
    }
    std::string shownFor(float value)
    {
        TestCanvas canvas(40, 20);
        setValue(value);
        draw(canvas.context());
        return shown;
    }
    std::string shown;
};

const CColor kBack{10, 20, 30, 255};
const CColor kFrame{200, 100, 50, 255};

void percent(float value, char* text, void* userData)
{
    std::snprintf(text, 256, "%d%s", static_cast<int>(value * 100), static_cast<const char*>(userData));
}

void plain(float, char* text)
{
    std::snprintf(text, 256, "plain");
}
} // namespace

TEST(CParamDisplay, ShowsTheValueWithTwoDecimalsOrThroughItsCallbacks)
{
    ShownDisplay display(CRect(0, 0, 40, 20));
    EXPECT_EQ(display.shownFor(0.5f), "0.50");
    EXPECT_EQ(display.shownFor(3.0f), "3.00");
    EXPECT_EQ(display.shownFor(-1.0f), "-1.00");
    display.setStringConvert(&plain);
    EXPECT_EQ(display.shownFor(0.5f), "plain");
    char unit[] = " %";
    display.setStringConvert(&percent, unit);
    EXPECT_EQ(display.shownFor(0.25f), "25 %");
    EXPECT_FALSE(display.isDirty());
}

TEST(CParamDisplay, FillsAndFramesItselfUnlessABevelOrNoFrameIsAsked)
{
    auto drawn = [](std::int64_t style) {
        auto canvas = std::make_unique<TestCanvas>(40, 20);
        ShownDisplay display(CRect(0, 0, 40, 20), nullptr, style | kNoTextStyle);
        display.setBackColor(kBack);
        display.setFrameColor(kFrame);
        display.draw(canvas->context());
        return canvas;
    };
    auto framed = drawn(0);
    EXPECT_EQ(framed->pixel(20, 10), argb(kBack));
    EXPECT_EQ(framed->pixel(0, 10), argb(kFrame));
    EXPECT_EQ(framed->pixel(39, 10), argb(kFrame));

    EXPECT_EQ(drawn(kNoFrame)->pixel(0, 10), argb(kBack));

    // 3D in: the back colour top left, the frame colour bottom right.
    auto bevelled = drawn(k3DIn);
    EXPECT_EQ(bevelled->pixel(20, 10), argb(kBack));
    EXPECT_EQ(bevelled->pixel(0, 10), argb(kBack));
    EXPECT_EQ(bevelled->pixel(20, 0), argb(kBack));
    EXPECT_EQ(bevelled->pixel(39, 10), argb(kFrame));
    EXPECT_EQ(bevelled->pixel(20, 19), argb(kFrame));
    auto raised = drawn(k3DOut);
    EXPECT_EQ(raised->pixel(0, 10), argb(kFrame));
    EXPECT_EQ(raised->pixel(39, 10), argb(kBack));
}

TEST(CParamDisplay, TextStylesDecideWhatIsDrawn)
{
    // Text is antialiased: white text leaves grey pixels, the red shadow
    // pure red ones.
    auto countShade = [](std::int64_t style, bool red) {
        TestCanvas canvas(60, 20);
        CParamDisplay display(CRect(0, 0, 60, 20), nullptr, style);
        display.setTransparency(true);
        display.setFontColor(kColorWhite);
        display.setShadowColor(kColorRed);
        display.setValue(8.0f);
        display.draw(canvas.context());
        int count = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 60; ++x)
            {
                std::uint32_t p = canvas.pixel(x, y);
                bool grey = p && (p & 0xFF) == ((p >> 8) & 0xFF) && (p & 0xFF) == ((p >> 16) & 0xFF);
                bool pureRed = (p & 0xFF0000) && !(p & 0xFFFF);
                count += red ? pureRed : grey;
            }
        return count;
    };
    EXPECT_GT(countShade(0, false), 0);
    EXPECT_EQ(countShade(0, true), 0);
    EXPECT_GT(countShade(kShadowText, true), 0);
    EXPECT_EQ(countShade(kNoTextStyle, false), 0);
    EXPECT_EQ(countShade(kNoDrawStyle, false), 0);
}

TEST(CParamDisplay, OnlyRealChangesMakeItDirty)
{
    CParamDisplay quiet(CRect(0, 0, 10, 10), nullptr, kNoDrawStyle);
    EXPECT_FALSE(quiet.isDirty());

    CParamDisplay display(CRect(0, 0, 10, 10));
    display.setDirty(false);
    display.setFontColor(display.getFontColor());
    display.setHoriAlign(display.getHoriAlign());
    display.setStyle(display.getStyle());
    EXPECT_FALSE(display.isDirty());
    display.setBackColor(kBack);
    EXPECT_TRUE(display.isDirty());
}
