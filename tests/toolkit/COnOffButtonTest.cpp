#include "toolkit/COnOffButton.h"

#include "support/EditorHarness.h"
#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Log = std::vector<std::string>;

TEST(COnOffButton, AClickTurnsAnyValueBelowOneOnAndTheRestOff)
{
    COnOffButton button(CRect(0, 0, 10, 10));
    CPoint where(5, 5);
    button.setValue(0.7f);
    EXPECT_EQ(button.onMouseDown(where, kButtonLeft), kMouseResultHandledNoTracking);
    EXPECT_EQ(button.getValue(), 1.0f);
    button.setValue(1.5f);
    button.onMouseDown(where, kButtonLeft);
    EXPECT_EQ(button.getValue(), 0.0f);
    EXPECT_EQ(button.onMouseDown(where, kButtonRight), kMouseResultNotHandled);
    EXPECT_EQ(button.getValue(), 0.0f);
}

TEST(COnOffButton, TheStyleSaysWhetherTheListenerHearsBeforeOrAfterTheIdle)
{
    for (std::int64_t style : {COnOffButton::kNotifyBeforeIdle, COnOffButton::kNotifyAfterIdle})
    {
        EditorHarness open;
        RecordingListener listener;
        listener.context = [&] { return " idles " + std::to_string(open.editor->idles); };
        auto* button = new COnOffButton(CRect(0, 0, 10, 10), &listener, 4, nullptr, style);
        open.frame()->addView(button);
        CPoint where(5, 5);
        open.frame()->onMouseDown(where, kButtonLeft);
        std::string idles = style == COnOffButton::kNotifyBeforeIdle ? " idles 0" : " idles 1";
        EXPECT_EQ(listener.log, (Log{"begin 4" + idles, "changed 4 1" + idles, "end 4" + idles}));
        EXPECT_EQ(open.hostEdits(), "begin 4 end 4");
    }
}

TEST(COnOffButton, DrawsTheLowerHalfOfItsImageWhenOn)
{
    CBitmap* strip = makeStrip(10, 10, 2);
    COnOffButton button(CRect(0, 0, 10, 10), nullptr, 0, strip);
    strip->release();
    TestCanvas canvas(10, 10);
    button.draw(canvas.context());
    EXPECT_EQ(stripImage(canvas.pixel(5, 5)), 0);
    button.setValue(0.2f);
    button.draw(canvas.context());
    EXPECT_EQ(stripImage(canvas.pixel(5, 5)), 1);
    EXPECT_FALSE(button.isDirty());
}
