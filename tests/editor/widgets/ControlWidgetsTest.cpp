// The control widget types through the frame, as the user's clicks reach
// them.

#include "editor/widgets/ButtonWidget.h"
#include "editor/widgets/KickButtonWidget.h"
#include "editor/widgets/KnobWidget.h"
#include "editor/widgets/WheelWidget.h"
#include "toolkit/CControl.h"

#include "support/WidgetFixtures.h"

#include <gtest/gtest.h>

namespace
{
void click(CFrame* frame, CPoint where, CButtonState buttons)
{
    frame->onMouseDown(where, buttons);
    frame->onMouseUp(where, buttons & ~kModShift);
}

using Log = std::vector<std::string>;
} // namespace

TEST(KickButtonWidget, AModifierClickReportsTheButtonsWordThenZero)
{
    ImageBundle bundle;
    bundle.add("1024_Save_btn", 20, 10, 2);
    WidgetBench bench(R"(<frame>
        <widget type="KickButton" name="save" bitmap="1024_Save_btn" frames="2" parameter="PatchSave"
                handle_modifiers="1"/>
        <widget type="KickButton" name="up" bitmap="1024_Save_btn" frames="2" parameter="PatchInc" x="30"/>
    </frame>)");
    KickButtonWidget save(bench.named("save"), bench.frame, bench.frame, &bench.editor, bench.guiInfo);
    KickButtonWidget up(bench.named("up"), bench.frame, bench.frame, &bench.editor, bench.guiInfo);
    EXPECT_EQ(save.getHeight(), 10);

    click(bench.frame, CPoint(5, 5), kButtonLeft | kModShift);
    click(bench.frame, CPoint(5, 5), kButtonLeft);
    click(bench.frame, CPoint(35, 5), kButtonLeft | kModShift);
    EXPECT_EQ(bench.editor.log, (Log{"167 18", "167 0", "167 1", "167 0", "157 1", "157 0"}));
}

TEST(ButtonWidget, AHandledModifierClickReportsMinusTheButtonsAndKeepsTheState)
{
    ImageBundle bundle;
    bundle.add("1024_Browser_Refresh_btn", 20, 10, 2);
    WidgetBench bench(R"(<frame>
        <widget type="Button" name="refresh" bitmap="1024_Browser_Refresh_btn" frames="2"
                parameter="BrowserRefresh" handle_modifiers="1"/>
        <widget type="Button" name="hold" bitmap="1024_Browser_Refresh_btn" frames="2" parameter="KeyboardHold"
                x="30"/>
    </frame>)");
    ButtonWidget refresh(bench.named("refresh"), bench.frame, bench.frame, &bench.editor, bench.guiInfo);
    ButtonWidget hold(bench.named("hold"), bench.frame, bench.frame, &bench.editor, bench.guiInfo);

    click(bench.frame, CPoint(5, 5), kButtonLeft | kModCommand);
    EXPECT_EQ(static_cast<CControl*>(refresh.getControl())->getValue(), 0.0f);
    click(bench.frame, CPoint(5, 5), kButtonLeft);
    click(bench.frame, CPoint(35, 5), kButtonLeft | kModCommand);
    EXPECT_EQ(bench.editor.log, (Log{"166 -34", "166 1", "40 1"}));
}

TEST(WheelWidget, IsOneFrameOfItsStripWideWhateverTheLayoutSays)
{
    ImageBundle bundle;
    bundle.add("1024_Wheel", 10, 60, 64, true);
    WidgetBench bench(R"(<frame>
        <widget type="Wheel" name="w" bitmap="1024_Wheel" frames="64" width="33" height="44" x="5" y="6"/>
        <widget type="Wheel" name="z" bitmap="1024_Wheel" frames="0" y="100"/>
    </frame>)");
    WheelWidget wheel(bench.named("w"), bench.frame, bench.frame, nullptr, bench.guiInfo);
    WheelWidget whole(bench.named("z"), bench.frame, bench.frame, nullptr, bench.guiInfo);
    EXPECT_EQ(wheel.getControl()->getViewSize(), CRect(5, 6, 15, 66));
    EXPECT_EQ(whole.getControl()->getViewSize(), CRect(0, 100, 640, 160));
}

TEST(KnobWidget, ADragReachesTheEditorWithTheTagAndTouchesTheMonitor)
{
    ImageBundle bundle;
    bundle.add("1024_Fullsweep_knob", 40, 40, 64);
    WidgetBench bench(R"(<frame>
        <widget type="Knob" name="k" bitmap="1024_Fullsweep_knob" frames="64" parameter="FilterFreq"
                monitor="0"/>
    </frame>)");
    MonitorSpy monitor;
    bench.guiInfo.monitors()[0] = &monitor;
    KnobWidget knob(bench.named("k"), bench.frame, bench.frame, &bench.editor, bench.guiInfo);
    auto* control = static_cast<CControl*>(knob.getControl());
    EXPECT_EQ(bench.guiInfo.monitorControls().at(0).at(control), 2);

    // Straight up from the centre is the middle of the knob's range.
    CPoint top(20, 2);
    bench.frame->onMouseDown(top, kButtonLeft);
    bench.frame->onMouseUp(top, kButtonLeft);
    ASSERT_FALSE(bench.editor.log.empty());
    EXPECT_EQ(bench.editor.log.back(), "2 0.5");
    EXPECT_EQ(monitor.touches, 2);
}
