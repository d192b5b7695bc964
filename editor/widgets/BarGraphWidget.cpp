#include "editor/widgets/BarGraphWidget.h"

#include "Source/ticpp/ticpp.h"
#include "editor/controls/CGraphBar.h"
#include "editor/layout/GuiInfo.h"
#include "toolkit/CBitmap.h"

BarGraphWidget::BarGraphWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                               ZentrovaEditor* editor, GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    // Without its required attributes or its image the widget stays in
    // the tree with no view.
    try
    {
        element->GetAttribute("numbars", &m_description.numBars);
        element->GetAttribute("barheight", &m_description.barHeight);
        element->GetAttributeOrDefault("graphxpos", &m_description.graphX, 0);
        element->GetAttributeOrDefault("graphypos", &m_description.graphY, 0);
        element->GetAttributeOrDefault("xgrouping", &m_description.xGrouping, 0);
        element->GetAttributeOrDefault("xgroupspacing", &m_description.xGroupSpacing, 0);
        std::string barBitmap;
        element->GetAttribute("barbitmap", &barBitmap);
        m_description.barBitmap = guiInfo.bitmaps().getBitmap(barBitmap);
        CBitmap* image = m_description.barBitmap;
        if (!image || image->getWidth() <= 0 || image->getHeight() <= 0 || m_description.numBars <= 0)
            return;
        m_barGraph = new CBarGraph(getRect(), this, m_tag, frame, m_bitmap, m_description);
        const CRect& size = m_barGraph->getViewSize();
        m_width = size.width();
        m_height = size.height();
        m_tagCount = m_description.numBars;
        bindView(m_barGraph);
        enterMonitorTable();
    }
    catch (const ticpp::Exception&)
    {
        m_tagCount = 1;
    }
}

BarGraphWidget::~BarGraphWidget()
{
    leaveMonitorTable();
}

void BarGraphWidget::enterMonitorTable()
{
    if (!m_barGraph || m_monitor < 0 || m_tag < 0)
        return;
    auto& watched = m_guiInfo.monitorControls()[m_monitor];
    const std::vector<CGraphBar*> bars = m_barGraph->getBars();
    for (std::size_t i = 0; i < bars.size(); ++i)
        watched[bars[i]] = m_tag + static_cast<std::int64_t>(i);
}

void BarGraphWidget::leaveMonitorTable()
{
    if (!m_barGraph || m_monitor < 0)
        return;
    auto& monitorControls = m_guiInfo.monitorControls();
    const auto watched = monitorControls.find(m_monitor);
    if (watched == monitorControls.end())
        return;
    for (CGraphBar* bar : m_barGraph->getBars())
        watched->second.erase(bar);
    if (watched->second.empty())
        monitorControls.erase(watched);
}

std::int32_t BarGraphWidget::barOf(const ParameterIndexAndValue& item) const
{
    if (m_tag < 0)
        return -1;
    const std::int64_t bar = item.index - m_tag;
    return bar >= 0 && bar < m_description.numBars ? static_cast<std::int32_t>(bar) : -1;
}

void BarGraphWidget::setValue(ParameterIndexAndValue item)
{
    if (m_barGraph)
        m_barGraph->setBarValue(barOf(item), item.value);
}

void BarGraphWidget::setDefaultValue(ParameterIndexAndValue item)
{
    if (m_barGraph)
        m_barGraph->setBarDefaultValue(barOf(item), item.value);
}

void BarGraphWidget::setTag(std::int64_t tag)
{
    removeTagRun();
    leaveMonitorTable();
    m_tag = tag;
    if (!m_barGraph)
        return;
    m_barGraph->setTag(tag);
    if (tag < 0)
        return;
    addTagRun();
    enterMonitorTable();
}
