// The harmonic editor's bar graph: its layout of bars and gaps, its run of
// tags, the level scale of each bar and painting across bars.

#include "dsp/Harmonics.h"
#include "editor/controls/CBarGraph.h"
#include "editor/controls/CGraphBar.h"
#include "editor/widgets/BarGraphWidget.h"

#include "support/TestCanvas.h"
#include "support/WidgetFixtures.h"

#include <gtest/gtest.h>

namespace
{
constexpr std::uint32_t kUnlit = 0xFF000000u;
constexpr std::uint32_t kLit = 0xFFFFFFFFu;

// An 8x12 segment image: unlit above, lit below.
void addSegments(ImageBundle& bundle)
{
    bundle.add("1024_UserWave_LED", 8, 12, 1, false, [](int, int y) { return y < 6 ? kUnlit : kLit; });
}

const char* const kHarmonicEditor = R"(<frame>
    <widget type="BarGraph" name="h" parameter="Wave1Fundamental" numbars="24" barheight="15" xgrouping="4"
            xgroupspacing="3" barbitmap="1024_UserWave_LED"/>
</frame>)";
} // namespace

TEST(BarGraphWidget, LaysOutGroupsOfBarsThatShareTheGapsBetweenThem)
{
    ImageBundle bundle;
    addSegments(bundle);
    WidgetBench bench(kHarmonicEditor);
    BarGraphWidget widget(bench.named("h"), bench.frame, bench.frame, &bench.editor, bench.guiInfo);
    CBarGraph* graph = widget.getBarGraph();
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->getViewSize(), CRect(0, 0, 207, 90));
    const std::vector<CGraphBar*> bars = graph->getBars();
    ASSERT_EQ(bars.size(), 24u);
    const CCoord lefts[] = {0, 8, 16, 24, 35, 43, 51, 59, 70};
    for (std::size_t i = 0; i < std::size(lefts); ++i)
        EXPECT_EQ(bars[i]->getViewSize(), CRect(lefts[i], 0, lefts[i] + 8, 90)) << i;
    EXPECT_EQ(bars[3]->getMouseableArea(), CRect(24, 0, 34, 90));
    EXPECT_EQ(bars[4]->getMouseableArea(), CRect(34, 0, 43, 90));
    EXPECT_EQ(bars[0]->getSegmentCount(), 15);
    EXPECT_EQ(bars[11]->getTag(), 118);
}

TEST(BarGraphWidget, AnItemReachesTheBarOfItsTagOnlyWithinTheRun)
{
    ImageBundle bundle;
    addSegments(bundle);
    WidgetBench bench(kHarmonicEditor);
    BarGraphWidget widget(bench.named("h"), bench.frame, bench.frame, &bench.editor, bench.guiInfo);
    const std::vector<CGraphBar*> bars = widget.getBarGraph()->getBars();
    widget.setValue(ParameterIndexAndValue(118, 0.5f));
    EXPECT_EQ(bars[11]->getValue(), 0.5f);
    widget.setValue(ParameterIndexAndValue(131, 0.25f));
    widget.setValue(ParameterIndexAndValue(106, 0.25f));
    for (CGraphBar* bar : bars)
        EXPECT_NE(bar->getValue(), 0.25f);

    widget.setTag(108);
    widget.setValue(ParameterIndexAndValue(131, 0.25f));
    EXPECT_EQ(bars[23]->getValue(), 0.25f);
    EXPECT_EQ(bars[23]->getTag(), 131);
    EXPECT_EQ(bench.guiInfo.widgetsByTag().count(107), 0u);
    EXPECT_EQ(bench.guiInfo.widgetsByTag().count(131), 1u);
}

TEST(CGraphBar, LightsTheSegmentsOfTheEnginesLevelFromTheBottom)
{
    ImageBundle bundle;
    addSegments(bundle);
    WidgetBench bench(kHarmonicEditor);
    BarGraphWidget widget(bench.named("h"), bench.frame, bench.frame, &bench.editor, bench.guiInfo);
    CGraphBar* bar = widget.getBarGraph()->getBars()[0];
    TestCanvas canvas(8, 90);
    for (auto [byte, lit] : {std::pair{0, 0}, {2, 0}, {3, 1}, {100, 12}, {255, 15}})
    {
        bar->setValue(byte / 255.0f);
        bar->draw(canvas.context());
        const int litTop = 90 - 6 * lit;
        if (lit < 15)
        {
            EXPECT_EQ(canvas.pixel(4, litTop - 1), kUnlit) << byte;
        }
        if (lit > 0)
        {
            EXPECT_EQ(canvas.pixel(4, litTop), kLit) << byte;
        }
        EXPECT_EQ(bar->litSegments(), lit) << byte;
    }
}

TEST(CGraphBar, AnOptionDragPaintsEveryBarItCrossesAndNeverReadsPastTheTable)
{
    ImageBundle bundle;
    addSegments(bundle);
    WidgetBench bench(kHarmonicEditor);
    BarGraphWidget widget(bench.named("h"), bench.frame, bench.frame, &bench.editor, bench.guiInfo);
    const std::vector<CGraphBar*> bars = widget.getBarGraph()->getBars();
    const CButtonState paint = kButtonLeft | kModOption;
    CPoint where(4, 45);
    bench.frame->onMouseDown(where, paint);
    for (CCoord x = 4; x <= 36; x += 4)
    {
        where = CPoint(x, 45);
        bench.frame->onMouseMoved(where, paint);
    }
    where = CPoint(36, 0);
    bench.frame->onMouseMoved(where, paint);
    bench.frame->onMouseUp(where, 0);

    const float middle = Harmonics::levelToGain((96 - 45) / 6.0f);
    for (int i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(bars[i]->getValue(), middle) << i;
    EXPECT_LE(bars[4]->getValue(), 1.0f);
    EXPECT_GT(bars[4]->getValue(), middle);
    EXPECT_EQ(bars[5]->getValue(), 0.0f);
    EXPECT_FALSE(bench.editor.log.empty());
}
