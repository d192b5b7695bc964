#include "editor/controls/CBarGraph.h"

#include "editor/controls/CGraphBar.h"
#include "toolkit/CBitmap.h"

#include <cstring>

CBarGraph::CBarGraph(const CRect& size, CControlListener* listener, std::int64_t tag, CFrame* frame,
                     CBitmap* background, BarGraphDescription& description)
    : CViewContainer(size, frame, background)
{
    CBitmap* image = description.barBitmap;
    const CCoord barWidth = image ? image->getWidth() : 0;
    const CCoord barPixelHeight = (image ? image->getHeight() / 2 : 0) * description.barHeight;
    if (description.xGrouping == 0)
        description.xGrouping = 1;
    const std::int64_t grouping = description.xGrouping;
    const CCoord spacing = description.xGroupSpacing;

    CRect current(description.graphX, description.graphY, description.graphX + barWidth,
                  description.graphY + barPixelHeight);
    CCoord rightExtent = current.right;
    for (std::int64_t i = 0; i < description.numBars; ++i)
    {
        rightExtent = current.right;
        auto* bar = new CGraphBar(current, listener, tag + i, image);
        m_bars.push_back(bar);
        CRect mouseArea(current);
        if (i > 0)
        {
            if (i % grouping == 0)
                mouseArea.left -= spacing >> 1;
            else if (i % grouping == grouping - 1)
            {
                mouseArea.right += spacing - (spacing >> 1);
                current.offset(spacing, 0);
            }
        }
        addView(bar, mouseArea, true);
        current.offset(barWidth, 0);
    }
    if (!background)
    {
        const CRect own(size.left, size.top, size.left + rightExtent, size.top + description.graphY + barPixelHeight);
        setViewSize(own, false);
        setMouseableArea(own);
    }
}

void CBarGraph::setBarValue(std::int32_t bar, float value)
{
    if (bar >= 0 && static_cast<std::size_t>(bar) < m_bars.size())
        m_bars[static_cast<std::size_t>(bar)]->setValue(value);
}

void CBarGraph::setBarDefaultValue(std::int32_t bar, float value)
{
    if (bar >= 0 && static_cast<std::size_t>(bar) < m_bars.size())
        m_bars[static_cast<std::size_t>(bar)]->setDefaultValue(value);
}

void CBarGraph::setTag(std::int64_t tag)
{
    for (std::size_t i = 0; i < m_bars.size(); ++i)
        m_bars[i]->setTag(tag + static_cast<std::int64_t>(i));
}

CView* CBarGraph::getViewAt(CCoord x, CCoord y) const
{
    return CViewContainer::getViewAt(CPoint(x + m_size.left, y + m_size.top), true);
}

void CBarGraph::setMonitor(GuiInfo* monitor, std::int64_t monitorNumber)
{
    MonitoredControl::setMonitor(monitor, monitorNumber);
    for (CGraphBar* bar : m_bars)
        bar->setMonitor(monitor, monitorNumber);
}

bool CBarGraph::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CBarGraph") == 0 || CViewContainer::isTypeOf(className);
}
