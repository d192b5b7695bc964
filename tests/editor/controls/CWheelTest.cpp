#include "editor/controls/CWheel.h"

#include "editor/controls/CBendWheel.h"
#include "editor/widgets/WheelWidget.h"

#include "support/FakeClock.h"
#include "support/InProcessPlugin.h"
#include "support/RecordingListener.h"
#include "support/WidgetFixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{
// 64 frames of 10 by 100 side by side: a drag of 100 pixels is the range.
struct WheelBench
{
    WheelBench()
    {
        bundle.add("1024_Wheel", 10, 100, 64, true);
        bench = std::make_unique<WidgetBench>(
            R"(<widget type="Wheel" name="BendWheel" bitmap="1024_Wheel" frames="64" parameter="BendWheel"/>)");
        widget = std::make_unique<WheelWidget>(bench->element("widget"), bench->frame, bench->frame, &bench->editor,
                                               bench->guiInfo);
        wheel = static_cast<CWheel*>(widget->getControl());
    }

    ImageBundle bundle;
    std::unique_ptr<WidgetBench> bench;
    std::unique_ptr<WheelWidget> widget;
    CWheel* wheel;
};
} // namespace

TEST(CWheel, ADiagonalDragMovesByBothDistancesAndShiftSlowsItWithoutAJump)
{
    WheelBench bench;
    CWheel* wheel = bench.wheel;
    wheel->setValue(0.5f);
    CPoint where(5, 50);
    wheel->onMouseDown(where, kButtonLeft);
    EXPECT_TRUE(wheel->isDragging());
    CPoint diagonal(8, 43);
    wheel->onMouseMoved(diagonal, kButtonLeft);
    EXPECT_FLOAT_EQ(wheel->getValue(), 0.6f);
    // Shift from the next move on: that move still goes at the old rate,
    // later ones at two thirds of it.
    CPoint shifted(8, 42);
    wheel->onMouseMoved(shifted, kButtonLeft | kModShift);
    EXPECT_NEAR(wheel->getValue(), 0.61f, 1e-5);
    CPoint further(8, 27);
    wheel->onMouseMoved(further, kButtonLeft | kModShift);
    EXPECT_NEAR(wheel->getValue(), 0.71f, 1e-5);
    CPoint far(8, -300);
    wheel->onMouseMoved(far, kButtonLeft | kModShift);
    EXPECT_EQ(wheel->getValue(), 1.0f);
    wheel->onMouseUp(far, kButtonLeft);
    EXPECT_FALSE(wheel->isDragging());
    EXPECT_EQ(bench.bench->editor.log.back(), "186 1");

    // A strip of no height cannot make a step of no size.
    RecordingListener listener;
    CWheel flat(CRect(0, 0, 10, 10), &listener, 185, 64, 10, nullptr, CPoint(), 0.0f);
    flat.onMouseDown(where, kButtonLeft);
    flat.onMouseMoved(diagonal, kButtonLeft);
    EXPECT_FALSE(std::isnan(flat.getValue()));
}

TEST(CBendWheel, SpringsBackToTheCentreIn300Milliseconds)
{
    FakeClock clock(1000);
    WheelBench bench;
    CBendWheel bend(bench.bench->guiInfo, "BendWheel");
    ASSERT_EQ(bend.getWheel(), bench.wheel);
    EXPECT_EQ(bench.wheel->getValue(), 0.5f);
    EXPECT_FALSE(bend.springBack());

    bench.wheel->setValue(0.0f);
    clock.advance(150);
    EXPECT_TRUE(bend.springBack());
    EXPECT_FLOAT_EQ(bench.wheel->getValue(), 0.25f);
    bend.setHeld(1);
    clock.advance(100);
    EXPECT_FALSE(bend.springBack());
    bend.setHeld(0);
    for (int i = 0; i < 16; ++i)
    {
        clock.advance(10);
        bend.springBack();
    }
    EXPECT_EQ(bench.wheel->getValue(), 0.5f);
    EXPECT_FALSE(bend.springBack());

    // Held by the mouse it stays where it is.
    CPoint where(5, 50);
    bench.wheel->onMouseDown(where, kButtonLeft);
    CPoint up(5, 10);
    bench.wheel->onMouseMoved(up, kButtonLeft);
    clock.advance(500);
    EXPECT_FALSE(bend.springBack());
    EXPECT_FLOAT_EQ(bench.wheel->getValue(), 0.9f);

    // A name that is no wheel gives nothing to spring back.
    CBendWheel none(bench.bench->guiInfo, "ModWheel");
    EXPECT_EQ(none.getWheel(), nullptr);
    EXPECT_FALSE(none.springBack());
}

TEST(CBendWheel, ADragTheFrameCutsOffSpringsBackAsAtARelease)
{
    FakeClock clock(1000);
    WheelBench bench;
    CBendWheel bend(bench.bench->guiInfo, "BendWheel");
    CFrame* frame = bench.bench->frame;
    CPoint where(5, 50);
    frame->onMouseDown(where, kButtonLeft);
    CPoint up(5, 10);
    frame->onMouseMoved(up, kButtonLeft);
    ASSERT_FLOAT_EQ(bench.wheel->getValue(), 0.9f);
    frame->onMouseCancel();
    EXPECT_FALSE(bench.wheel->isDragging());
    clock.advance(500);
    EXPECT_TRUE(bend.springBack());
    EXPECT_EQ(bench.wheel->getValue(), 0.5f);
}

TEST(CBendWheel, ClosingTheEditorMidBendCentresTheEnginesBend)
{
    InProcessPlugin instance;
    ASSERT_NE(instance.plugin, nullptr);
    WheelBench bench;
    GuiInfo guiInfo(instance.plugin, nullptr);
    guiInfo.widgetsByName()["BendWheel"] = bench.widget.get();
    auto bend = std::make_unique<CBendWheel>(guiInfo, "BendWheel");
    bench.wheel->setValue(0.9f);
    instance.take(Zentrova::kVoiceParameterCue);

    bend.reset();
    const std::vector<VoiceEvent> events = instance.take(Zentrova::kVoiceParameterCue);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, 186);
    EXPECT_EQ(events[0].value, 0);

    // Back at the centre already: nothing is sent.
    std::make_unique<CBendWheel>(guiInfo, "BendWheel").reset();
    EXPECT_TRUE(instance.take(Zentrova::kVoiceParameterCue).empty());
}
