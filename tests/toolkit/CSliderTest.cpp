#include "toolkit/CHorizontalSlider.h"
#include "toolkit/CVerticalSlider.h"

#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

namespace
{
// A 10 by 20 handle that travels 100 pixels over a 110-pixel slider.
struct Slider
{
    Slider() : handle(makeStrip(10, 20, 1))
    {
        slider = new CHorizontalSlider(CRect(0, 0, 110, 20), nullptr, 0, CPoint(), 110, handle, nullptr);
    }
    ~Slider()
    {
        slider->release();
        handle->release();
    }
    CBitmap* handle;
    CSlider* slider;
};
} // namespace

TEST(CSlider, AFreeClickMovesTheHandleToTheMouse)
{
    Slider s;
    CPoint where(55, 10);
    EXPECT_EQ(s.slider->onMouseDown(where, kButtonLeft), kMouseResultHandled);
    EXPECT_FLOAT_EQ(s.slider->getValue(), 0.51f);
    TestCanvas canvas(110, 20);
    s.slider->draw(canvas.context());
    EXPECT_EQ(canvas.pixel(48, 10), 0u);
    EXPECT_EQ(stripImage(canvas.pixel(52, 10)), 0);
    EXPECT_EQ(stripImage(canvas.pixel(58, 10)), 0);
    EXPECT_EQ(canvas.pixel(62, 10), 0u);
}

TEST(CSlider, WithoutFreeClickOnlyTheHandleIsCaughtAndItDoesNotJump)
{
    Slider s;
    s.slider->setFreeClick(false);
    s.slider->setValue(0.3f);
    CPoint offHandle(80, 10);
    EXPECT_EQ(s.slider->onMouseDown(offHandle, kButtonLeft), kMouseResultNotHandled);
    CPoint onHandle(35, 10);
    s.slider->onMouseDown(onHandle, kButtonLeft);
    EXPECT_FLOAT_EQ(s.slider->getValue(), 0.3f);
    CPoint moved(45, 10);
    s.slider->onMouseMoved(moved, kButtonLeft);
    EXPECT_FLOAT_EQ(s.slider->getValue(), 0.4f);
}

TEST(CSlider, TheZoomModifierMakesTheDragTenTimesFiner)
{
    Slider s;
    s.slider->setValue(0.5f);
    CPoint where(54, 10);
    EXPECT_EQ(s.slider->onMouseDown(where, kButtonLeft | kModShift), kMouseResultHandled);
    EXPECT_FLOAT_EQ(s.slider->getValue(), 0.5f);
    CPoint moved(104, 10);
    s.slider->onMouseMoved(moved, kButtonLeft | kModShift);
    EXPECT_FLOAT_EQ(s.slider->getValue(), 0.55f);
}

TEST(CSlider, AVerticalSliderGrowsUpwards)
{
    CBitmap* handle = makeStrip(20, 10, 1);
    CVerticalSlider slider(CRect(0, 0, 20, 110), nullptr, 0, CPoint(), 110, handle, nullptr);
    handle->release();
    CPoint nearTop(10, 14);
    slider.onMouseDown(nearTop, kButtonLeft);
    EXPECT_FLOAT_EQ(slider.getValue(), 0.9f);
    EXPECT_TRUE(slider.isTypeOf("CSlider"));
}
