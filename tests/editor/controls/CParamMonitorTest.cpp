// The cross-fade between the patch menu and the parameter monitor on the
// fake clock, and the monitor's split of value and unit label.

#include "editor/controls/CParamMonitor.h"
#include "editor/controls/CParameterValueDisplay.h"
#include "editor/controls/CPatchSelector.h"
#include "editor/widgets/ParamMonitorWidget.h"
#include "editor/widgets/PatchSelectorWidget.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/COptionMenu.h"

#include "support/EditorHarness.h"
#include "support/TestCanvas.h"
#include "support/WidgetFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
const char* const kPanel = R"(<frame>
    <widget type="PatchSelector" name="PatchSelector" width="120" height="14"/>
    <widget type="ParamMonitor" name="ParamMonitor" width="120" height="30" visible="0">
        <parameterinfo type="Text" width="120" height="14"/>
        <valueinfo type="Text" y="16" width="120" height="14"/>
    </widget>
</frame>)";

// The two widgets in an open window, with the fade between them.
struct Panel
{
    Panel()
        : bench(kPanel),
          selector(bench.named("PatchSelector"), open.frame(), open.frame(), nullptr, bench.guiInfo),
          monitor(bench.named("ParamMonitor"), open.frame(), open.frame(), nullptr, bench.guiInfo),
          fade("ParamMonitor", "PatchSelector", "SelectionHeader", bench.guiInfo)
    {
    }
    // Runs the fade at each of the times, in milliseconds from now.
    void tickAfter(std::uint64_t milliseconds)
    {
        open.clock.advance(milliseconds);
        fade.tick();
    }

    EditorHarness open{CRect(0, 0, 200, 100)};
    WidgetBench bench;
    PatchSelectorWidget selector;
    ParamMonitorWidget monitor;
    CParamMonitor fade;
};
} // namespace

TEST(CParamMonitor, FadesInWithinATouchHoldsAndFadesOut)
{
    Panel panel;
    panel.monitor.showParameter(0, "100.0");
    panel.tickAfter(0);
    EXPECT_EQ(panel.fade.getMix(), 0.0f);
    panel.tickAfter(150);
    EXPECT_FLOAT_EQ(panel.fade.getMix(), 0.5f);
    EXPECT_FALSE(panel.monitor.isVisible());
    panel.tickAfter(150);
    EXPECT_EQ(panel.fade.getMix(), 1.0f);
    EXPECT_TRUE(panel.monitor.isVisible());
    EXPECT_FALSE(panel.selector.isVisible());

    panel.monitor.clearShown();
    panel.tickAfter(999);
    EXPECT_EQ(panel.fade.getMix(), 1.0f);
    panel.tickAfter(1);
    panel.tickAfter(300);
    EXPECT_FLOAT_EQ(panel.fade.getMix(), 0.5f);
    // A new touch carries on from where the fade-out stands.
    panel.monitor.touched();
    panel.tickAfter(0);
    EXPECT_FLOAT_EQ(panel.fade.getMix(), 0.5f);
    panel.tickAfter(150);
    EXPECT_EQ(panel.fade.getMix(), 1.0f);

    panel.tickAfter(1000);
    panel.tickAfter(600);
    EXPECT_EQ(panel.fade.getMix(), 0.0f);
    EXPECT_TRUE(panel.selector.isVisible());
    EXPECT_FALSE(panel.monitor.isVisible());
}

TEST(CParamMonitor, StandsStillWhileThePatchMenuIsOpen)
{
    Panel panel;
    panel.monitor.showParameter(0, "100.0");
    panel.tickAfter(0);
    panel.tickAfter(60);
    std::vector<float> whileOpen;
    panel.open.window->onMenu = [&panel, &whileOpen] {
        panel.tickAfter(100);
        whileOpen.push_back(panel.fade.getMix());
    };
    panel.selector.getSelector()->getMenu()->addEntry("Patch");
    CPoint where(10, 5);
    panel.open.frame()->onMouseDown(where, kButtonLeft);
    ASSERT_EQ(whileOpen.size(), 1u);
    EXPECT_FLOAT_EQ(whileOpen[0], 0.2f);
    EXPECT_FALSE(panel.selector.getSelector()->isBusy());
    panel.tickAfter(0);
    EXPECT_GT(panel.fade.getMix(), 0.2f);
}

TEST(CParameterValueDisplay, CentresValueAndLabelAsAPairAroundTheSampleWidth)
{
    CParameterValueDisplay::TextStyle name;
    name.font = kFontHelvetica12;
    name.rect = CRect(0, 0, 120, 14);
    CParameterValueDisplay::TextStyle value = name;
    value.rect = CRect(0, 16, 120, 30);
    CParameterValueDisplay display(CRect(0, 0, 120, 30), nullptr, name, value);
    display.setNameAndLabel("Cutoff", "Hz");
    display.setSampleText("100.0");
    display.setValueText("64.5");
    TestCanvas canvas(120, 30);
    display.draw(canvas.context());

    CDrawContext* context = canvas.context();
    context->setFont(kFontHelvetica12);
    const CCoord blank = context->getStringWidth(" ");
    const CCoord label = context->getStringWidth("Hz");
    const CCoord sample = context->getStringWidth("100.0");
    EXPECT_NEAR(display.getFirstSplit(), std::floor((120 - blank - label - sample) / 2) + sample, 1.0);
    EXPECT_DOUBLE_EQ(display.getSecondSplit() - display.getFirstSplit(), blank);
    EXPECT_FALSE(display.isDirty());
}
