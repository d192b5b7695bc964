#include "editor/widgets/FrameWidget.h"

#include "editor/controls/CZentrovaFrame.h"
#include "editor/widgets/ViewContainerWidget.h"

#include "support/FakeClock.h"
#include "support/RecordingListener.h"
#include "support/TestCanvas.h"
#include "support/WidgetFixtures.h"

#include <gtest/gtest.h>

namespace
{
// A widget on the tick list that notes the clock.
class TickingWidget : public Widget
{
public:
    using Widget::Widget;
    void tick(std::uint64_t milliseconds) override { ticks.push_back(milliseconds); }
    std::vector<std::uint64_t> ticks;
};
} // namespace

TEST(FrameWidget, BuildsTheWindowFromTheLayoutAtTheBackgroundsSize)
{
    ImageBundle bundle;
    bundle.add("840_Background", 120, 80, 1, false, [](int, int) { return 0xFF405060u; });
    bundle.add("840_Bend_And_Mod_bkgd", 60, 40, 1, false, [](int, int) { return 0xFF102030u; });
    bundle.add("840_Fullsweep_knob", 20, 20, 64);
    WidgetBench bench(R"(<frame bitmap="840_Background" width="500" height="500">
        <widget type="ViewContainer" name="BendAndMod" bitmap="840_Bend_And_Mod_bkgd" x="50" y="30" visible="0">
            <widget type="Knob" name="Inner" bitmap="840_Fullsweep_knob" frames="64" x="10" y="10"
                    parameter="Volume"/>
        </widget>
        <widget type="Knob" name="Outer" bitmap="840_Fullsweep_knob" frames="64" parameter="OscMix"/>
    </frame>)");
    ERect rect{0, 0, 1, 1};
    FrameWidget root(bench.element("frame"), &bench.editor, bench.guiInfo, nullptr, rect, nullptr);

    EXPECT_EQ(rect.right, 120);
    EXPECT_EQ(rect.bottom, 80);
    CZentrovaFrame* frame = root.getFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(root.getControl(), frame);
    EXPECT_EQ(frame->getViewSize(), CRect(0, 0, 500, 500));
    EXPECT_EQ(root.getChildren().size(), 2u);
    EXPECT_EQ(frame->getNbViews(), 1);

    Widget* panel = bench.guiInfo.findWidget("BendAndMod");
    CView* inner = bench.guiInfo.findControl("Inner");
    ASSERT_TRUE(panel && inner);
    EXPECT_FALSE(inner->isAttached());
    static_cast<CControl*>(inner)->setValue(1.0f);
    panel->setVisible(true);
    EXPECT_TRUE(inner->isAttached());
    EXPECT_EQ(frame->getView(1), panel->getControl());

    TestCanvas canvas(120, 80, frame);
    frame->drawRect(canvas.context(), CRect(0, 0, 120, 80));
    EXPECT_EQ(stripImage(canvas.pixel(5, 5)), 0);
    EXPECT_EQ(stripImage(canvas.pixel(70, 50)), 63);
    EXPECT_EQ(canvas.pixel(100, 60), 0xFF102030u);
    EXPECT_EQ(canvas.pixel(30, 60), 0xFF405060u);

    // The clock once for all the widgets that take it.
    FakeClock clock(5000);
    TickingWidget ticking(bench.named("Inner"), nullptr, nullptr, nullptr, bench.guiInfo);
    bench.guiInfo.tickList() = {&ticking, &ticking};
    bench.guiInfo.tickWidgets();
    EXPECT_EQ(ticking.ticks, (std::vector<std::uint64_t>{5000, 5000}));
}
