#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame.h"
#include "toolkit/COffscreenContext.h"

#include "support/TestCanvas.h"

#include <gtest/gtest.h>

namespace
{
int setPixelsInRow(const TestCanvas& canvas, int y, int width)
{
    int count = 0;
    for (int x = 0; x < width; ++x)
        count += canvas.isSet(x, y) ? 1 : 0;
    return count;
}
} // namespace

TEST(CDrawContext, RectanglesAreOutlinedInsideFilledWholeOrBoth)
{
    for (CDrawStyle style : {kDrawStroked, kDrawFilled, kDrawFilledAndStroked})
    {
        TestCanvas canvas(20, 20);
        CDrawContext* context = canvas.context();
        context->setFrameColor(kColorRed);
        context->setFillColor(kColorBlue);
        context->drawRect(CRect(2, 2, 12, 12), style);
        std::uint32_t edge = style == kDrawFilled ? argb(kColorBlue) : argb(kColorRed);
        std::uint32_t inside = style == kDrawStroked ? 0u : argb(kColorBlue);
        SCOPED_TRACE(style);
        for (int i = 2; i < 12; ++i)
        {
            EXPECT_EQ(canvas.pixel(i, 2), edge);
            EXPECT_EQ(canvas.pixel(i, 11), edge);
            EXPECT_EQ(canvas.pixel(2, i), edge);
            EXPECT_EQ(canvas.pixel(11, i), edge);
        }
        EXPECT_EQ(canvas.pixel(6, 6), inside);
        EXPECT_EQ(canvas.pixel(12, 6), 0u);
        EXPECT_EQ(canvas.pixel(6, 12), 0u);
        EXPECT_EQ(canvas.pixel(1, 1), 0u);
    }
}

TEST(CDrawContext, AOnePixelLineCoversOneRowAndADottedLineDashesByItsWidth)
{
    TestCanvas canvas(20, 20);
    CDrawContext* context = canvas.context();
    context->setFrameColor(kColorWhite);
    context->moveTo(CPoint(3, 10));
    context->lineTo(CPoint(15, 10));
    EXPECT_EQ(context->getPenPosition(), CPoint(15, 10));
    for (int y = 0; y < 20; ++y)
        EXPECT_EQ(setPixelsInRow(canvas, y, 20), y == 9 ? 12 : 0) << "row " << y;

    TestCanvas dashed(20, 20);
    dashed.context()->setFrameColor(kColorWhite);
    dashed.context()->setLineWidth(2);
    dashed.context()->setLineStyle(kLineOnOffDash);
    dashed.context()->moveTo(CPoint(0, 10));
    dashed.context()->lineTo(CPoint(20, 10));
    for (int x = 0; x < 20; ++x)
    {
        bool on = (x / 2) % 2 == 0;
        EXPECT_EQ(dashed.isSet(x, 9), on) << "x " << x;
        EXPECT_EQ(dashed.isSet(x, 10), on) << "x " << x;
    }
    EXPECT_EQ(setPixelsInRow(dashed, 8, 20) + setPixelsInRow(dashed, 11, 20), 0);
}

TEST(CDrawContext, DrawingIsClippedAndMovedByTheOffset)
{
    TestCanvas canvas(20, 20);
    CDrawContext* context = canvas.context();
    context->setFillColor(kColorGreen);
    context->setOffset(CPoint(5, 5));
    context->setClipRect(CRect(0, 0, 5, 5));
    context->drawRect(CRect(-5, -5, 20, 20), kDrawFilled);
    EXPECT_EQ(canvas.pixel(5, 5), argb(kColorGreen));
    EXPECT_EQ(canvas.pixel(9, 9), argb(kColorGreen));
    EXPECT_EQ(canvas.pixel(10, 10), 0u);
    EXPECT_EQ(canvas.pixel(4, 4), 0u);
    CRect clip;
    EXPECT_EQ(context->getClipRect(clip), CRect(0, 0, 5, 5));
}

TEST(CDrawContext, WithoutACairoContextEveryOperationDoesNothing)
{
    auto* context = new CDrawContext(nullptr, nullptr);
    context->drawRect(CRect(0, 0, 10, 10), kDrawFilledAndStroked);
    context->lineTo(CPoint(5, 5));
    context->drawArc(CRect(0, 0, 10, 10), kDrawStroked, 0, 90);
    context->drawString("text", CRect(0, 0, 50, 10));
    EXPECT_EQ(context->getStringWidth("text"), -1);
    CRect clip;
    EXPECT_EQ(context->getClipRect(clip), CRect(0, 0, 1000, 1000));
    context->release();
}

// Cairo makes a pattern that nobody frees for an image that failed and for
// the source of a context in error: LeakSanitizer sees those.
TEST(CDrawContext, AnImageThatFailedOrATargetInErrorLeavesNoPatternAndNoBrokenContext)
{
    TestCanvas canvas(20, 20);
    cairo_surface_t* failed = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, -1, -1);
    canvas.context()->drawImage(failed, CRect(0, 0, 10, 10), CPoint());
    canvas.context()->setFillColor(kColorRed);
    canvas.context()->drawRect(CRect(0, 0, 4, 4), kDrawFilled);
    EXPECT_EQ(canvas.pixel(1, 1), argb(kColorRed));

    TestCanvas image(4, 4);
    TestCanvas gone(20, 20);
    cairo_surface_finish(gone.surface());
    gone.context()->drawRect(CRect(0, 0, 4, 4), kDrawFilled);
    for (int i = 0; i < 3; ++i)
        gone.context()->drawImage(image.surface(), CRect(0, 0, 4, 4), CPoint());
}

TEST(CDrawContext, SetFontKeepsTheObjectUnlessSizeOrStyleDiffer)
{
    auto* context = new CDrawContext(nullptr, nullptr);
    auto* font = new CFontDesc("Helvetica", 12);
    context->setFont(font, 0, -1);
    EXPECT_EQ(context->getFont(), font);
    EXPECT_EQ(font->getNbReference(), 2);
    // Setting the font already held must not free it.
    font->release();
    context->setFont(context->getFont());
    EXPECT_EQ(font->getNbReference(), 1);

    context->setFont(font, 14, -1);
    EXPECT_NE(context->getFont(), font);
    EXPECT_EQ(context->getFont()->getSize(), 14);
    EXPECT_STREQ(context->getFont()->getName(), "Helvetica");
    context->setFont(kFontHelvetica12, 0, kBoldFace);
    EXPECT_EQ(context->getFont()->getStyle(), kBoldFace);
    EXPECT_EQ(context->getFont()->getSize(), 12);
    context->release();
}

TEST(COffscreenContext, StartsFilledAndCopiesAnyPartOntoAnotherContext)
{
    auto* offscreen = new COffscreenContext(nullptr, 10, 10, kColorGreen);
    offscreen->setFillColor(kColorRed);
    offscreen->drawRect(CRect(2, 2, 4, 4), kDrawFilled);
    TestCanvas canvas(20, 20);
    offscreen->copyFrom(canvas.context(), CRect(5, 5, 10, 10), CPoint(2, 2));
    EXPECT_EQ(canvas.pixel(5, 5), argb(kColorRed));
    EXPECT_EQ(canvas.pixel(6, 6), argb(kColorRed));
    EXPECT_EQ(canvas.pixel(7, 7), argb(kColorGreen));
    EXPECT_EQ(canvas.pixel(9, 9), argb(kColorGreen));
    EXPECT_EQ(canvas.pixel(10, 10), 0u);
    EXPECT_EQ(canvas.pixel(4, 4), 0u);
    offscreen->release();
}

TEST(COffscreenContext, AContainerDrawsTheSameThroughItsCacheAsWithout)
{
    auto render = [](bool cached) {
        auto* frame = new CFrame(CRect(0, 0, 60, 40), nullptr);
        frame->setBackgroundColor(kColorBlue);
        auto* container = new CViewContainer(CRect(10, 5, 50, 35), frame);
        container->setBackgroundColor(kColorRed);
        container->useOffscreen(cached);
        frame->addView(container);
        auto* inner = new CViewContainer(CRect(5, 5, 20, 20), frame);
        inner->setBackgroundColor(kColorGreen);
        container->addView(inner);
        auto canvas = std::make_unique<TestCanvas>(60, 40, frame);
        frame->drawRect(canvas->context(), CRect(0, 0, 60, 40));
        inner->setBackgroundColor(kColorYellow);
        frame->drawRect(canvas->context(), CRect(12, 8, 40, 22));
        frame->release();
        return canvas;
    };
    auto direct = render(false);
    auto cached = render(true);
    EXPECT_EQ(direct->pixel(16, 11), argb(kColorYellow));
    EXPECT_EQ(direct->pixel(29, 21), argb(kColorYellow));
    EXPECT_EQ(direct->pixel(29, 22), argb(kColorGreen));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            ASSERT_EQ(direct->pixel(x, y), cached->pixel(x, y)) << x << "," << y;
}
