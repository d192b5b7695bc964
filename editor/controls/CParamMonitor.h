#pragma once

#include <cstdint>
#include <string>

#include "editor/controls/CParamPatchMonitorBase.h"

class CControl;
class GuiInfo;
class ParamMonitorWidget;
class PatchSelectorWidget;

// Cross-fades the patch selector and the parameter monitor in one place of
// the window, on the editor's clock: the monitor comes up while a parameter
// is shown, holds a while after, then gives way to the patch menu again. A
// patch message replaces the menu for a moment.
class CParamMonitor : public CParamPatchMonitorBase
{
public:
    static constexpr std::uint64_t kFadeInTime = 300;
    static constexpr std::uint64_t kHoldTime = 1000;
    static constexpr std::uint64_t kPatchMessageTime = 2000;
    static constexpr std::uint64_t kFadeOutTime = 600;

    // The widgets and the header control are found by name; any may be
    // missing.
    CParamMonitor(const std::string& monitorName, const std::string& selectorName, const std::string& headerName,
                  GuiInfo& guiInfo);

    // One step of the fade, on every editor idle.
    virtual void tick();
    void requestPatchMessage(const std::string& text);

    // 0 shows the patch selector, 1 the parameter.
    float getMix() const { return m_mix; }

private:
    void showParameterSide(bool parameterSide);

    GuiInfo& m_guiInfo;
    ParamMonitorWidget* m_monitor;
    PatchSelectorWidget* m_selector;
    CControl* m_header = nullptr;
    float m_mix = 0.0f;
    bool m_fadingIn = false;
    bool m_holding = false;
    bool m_parameterVisible = false;
    bool m_messageShowing = false;
    bool m_messageRequested = false;
    // Start of the running fade (shifted so that it continues from the
    // current mix), and start of the hold or of the message.
    std::uint64_t m_fadeStart = 0;
    std::uint64_t m_stamp = 0;
};
