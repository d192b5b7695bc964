#include "editor/controls/CParamMonitor.h"

#include "editor/controls/CPatchSelector.h"
#include "editor/layout/GuiInfo.h"
#include "editor/widgets/ParamMonitorWidget.h"
#include "editor/widgets/PatchSelectorWidget.h"
#include "toolkit/CControl.h"

#include <algorithm>

CParamMonitor::CParamMonitor(const std::string& monitorName, const std::string& selectorName,
                             const std::string& headerName, GuiInfo& guiInfo)
    : m_guiInfo(guiInfo),
      m_monitor(dynamic_cast<ParamMonitorWidget*>(guiInfo.findWidget(monitorName))),
      m_selector(dynamic_cast<PatchSelectorWidget*>(guiInfo.findWidget(selectorName)))
{
    CView* header = guiInfo.findControl(headerName);
    if (header && header->isTypeOf("CControl"))
        m_header = static_cast<CControl*>(header);
    m_parameterVisible = m_monitor && m_monitor->isVisible();
    // At rest the patch side shows as a fade-out leaves it: the playing
    // patch's name in full, not half faded.
    if (m_selector && !m_parameterVisible)
        m_selector->setOpacity(1.0f);
}

void CParamMonitor::requestPatchMessage(const std::string& text)
{
    if (m_selector)
        m_selector->showText(text);
    m_messageRequested = true;
}

void CParamMonitor::showParameterSide(bool parameterSide)
{
    if (parameterSide == m_parameterVisible)
        return;
    m_parameterVisible = parameterSide;
    if (m_monitor)
        m_monitor->setVisible(parameterSide);
    if (m_selector)
        m_selector->setVisible(!parameterSide);
}

void CParamMonitor::tick()
{
    if (!m_monitor || !m_selector)
        return;
    // An open patch menu holds everything where it is.
    if (m_selector->getSelector() && m_selector->getSelector()->isBusy())
        return;
    const std::uint64_t now = m_guiInfo.getTicks();

    if (m_messageRequested)
    {
        m_monitor->setVisible(false);
        m_selector->setVisible(true);
        m_selector->setOpacity(1.0f);
        m_parameterVisible = false;
        m_mix = std::min(m_mix, 0.5f);
        m_messageShowing = true;
        m_messageRequested = false;
        m_stamp = now;
    }
    if (m_messageShowing)
    {
        if (now - m_stamp <= kPatchMessageTime)
            return;
        m_selector->showMenu();
        m_messageShowing = false;
        return;
    }

    const bool shown = m_monitor->isShown();
    if ((m_mix >= 1.0f && shown) || (m_mix <= 0.0f && !shown))
        return;
    if (m_holding)
    {
        if (now - m_stamp < kHoldTime)
            return;
        m_holding = false;
        m_fadingIn = false;
        m_fadeStart = now;
    }
    if (m_monitor->wasTouched())
    {
        m_monitor->clearTouched();
        m_fadingIn = true;
        const auto done = static_cast<std::uint64_t>(static_cast<float>(kFadeInTime) * m_mix);
        m_fadeStart = now >= done ? now - done : 0;
        m_holding = false;
    }
    const float elapsed = static_cast<float>(now - m_fadeStart);
    if (m_fadingIn)
    {
        m_mix = elapsed / static_cast<float>(kFadeInTime);
        if (m_mix >= 1.0f)
        {
            m_mix = 1.0f;
            m_holding = true;
            m_stamp = now;
        }
    }
    else
        m_mix = std::max(1.0f - elapsed / static_cast<float>(kFadeOutTime), 0.0f);

    if (m_header)
    {
        m_header->setValue(m_mix);
        m_header->setDirty(true);
    }
    if (m_mix > 0.5f)
    {
        showParameterSide(true);
        m_monitor->setOpacity(std::min((m_mix - 0.5f) * 4.0f, 1.0f));
    }
    else
    {
        showParameterSide(false);
        m_selector->setOpacity(std::min((0.5f - m_mix) * 4.0f, 1.0f));
    }
}
