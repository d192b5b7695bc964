#pragma once

#include <vector>

#include "editor/controls/MonitoredControl.h"
#include "toolkit/CViewContainer.h"

class CControlListener;
class CGraphBar;

// How a bar graph lays out its bars.
struct BarGraphDescription
{
    CBitmap* barBitmap = nullptr;
    std::int64_t numBars = 0;
    // Segments per bar.
    std::int64_t barHeight = 0;
    std::int64_t graphX = 0;
    std::int64_t graphY = 0;
    // Bars per group; 0 is taken as 1.
    std::int64_t xGrouping = 0;
    std::int64_t xGroupSpacing = 0;
};

// A row of harmonic level bars, one control tag each, in groups with a gap
// between them. The two bars beside a gap share it between their mouse
// areas, so a drag across the row meets no dead pixels.
class CBarGraph : public CViewContainer, public MonitoredControl
{
public:
    // Without a background the graph takes the size of its bars.
    CBarGraph(const CRect& size, CControlListener* listener, std::int64_t tag, CFrame* frame, CBitmap* background,
              BarGraphDescription& description);

    void setBarValue(std::int32_t bar, float value);
    void setBarDefaultValue(std::int32_t bar, float value);
    // Bar i gets tag + i.
    void setTag(std::int64_t tag);
    std::vector<CGraphBar*> getBars() const { return m_bars; }
    using CViewContainer::getViewAt;
    // The deepest view at (x, y) in the graph's own coordinates.
    CView* getViewAt(CCoord x, CCoord y) const;
    void setMonitor(GuiInfo* monitor, std::int64_t monitorNumber) override;

    bool isTypeOf(const char* className) const override;

private:
    std::vector<CGraphBar*> m_bars;
};
