#pragma once

#include <memory>

#include "editor/controls/CParamMonitorBase.h"
#include "editor/controls/CParameterValueDisplay.h"
#include "editor/widgets/Widget.h"

class TextWidget;

// The "ParamMonitor" type: the name and value of the parameter the user
// touches, in the text styles of its "parameterinfo" and "valueinfo"
// children; hidden until the cross-fade brings it up.
class ParamMonitorWidget : public Widget, public CParamMonitorBase
{
public:
    // Throws ticpp::Exception when either child is missing.
    ParamMonitorWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                       GuiInfo& guiInfo);
    ~ParamMonitorWidget() override;

    // Both texts from their back colour (0) to their font colour (1).
    void setOpacity(float factor);
    CParameterValueDisplay* getDisplay() const { return m_display; }
    std::int64_t getCurrent() const { return m_current; }

    void parameterChanged(std::int64_t index) override;
    void touched() override;
    void reset() override;
    void showParameter(std::int64_t index, const std::string& text) override;
    void clearShown() override;
    bool isActive() const override { return m_active; }
    void select(std::int64_t index) override;
    bool isShown() const override { return m_shown; }
    bool wasTouched() const override { return m_touched; }
    void clearTouched() override { m_touched = false; }

private:
    void showValue();

    std::unique_ptr<TextWidget> m_parameterInfo;
    std::unique_ptr<TextWidget> m_valueInfo;
    CParameterValueDisplay::TextStyle m_styles[2];
    CParameterValueDisplay* m_display = nullptr;
    std::int64_t m_current = -1;
    bool m_active = false;
    bool m_shown = false;
    bool m_touched = false;
};
