#pragma once

#include "editor/controls/CBarGraph.h"
#include "editor/widgets/Widget.h"

// The "BarGraph" type: a row of harmonic level bars bound to a run of
// consecutive tags, one per bar, from the widget's tag on.
class BarGraphWidget : public Widget
{
public:
    BarGraphWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                   GuiInfo& guiInfo);
    ~BarGraphWidget() override;

    bool isContainer() const override { return true; }
    // The item's index picks the bar; indices outside the run do nothing.
    void setValue(ParameterIndexAndValue item) override;
    void setDefaultValue(ParameterIndexAndValue item) override;
    void setTag(std::int64_t tag) override;

    CBarGraph* getBarGraph() const { return m_barGraph; }
    const BarGraphDescription& getDescription() const { return m_description; }

private:
    void enterMonitorTable();
    void leaveMonitorTable();
    // The bar of an item, or -1.
    std::int32_t barOf(const ParameterIndexAndValue& item) const;

    BarGraphDescription m_description;
    CBarGraph* m_barGraph = nullptr;
};
