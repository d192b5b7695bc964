#include "editor/controls/MonitoredControl.h"

#include "editor/controls/CParamMonitorBase.h"
#include "editor/layout/GuiInfo.h"

void MonitoredControl::setMonitor(GuiInfo* monitor, std::int64_t monitorNumber)
{
    m_monitor = monitor;
    m_monitorNumber = monitorNumber;
}

void MonitoredControl::tellMonitor() const
{
    if (!m_monitor || m_monitorNumber < 0)
        return;
    const auto& monitors = m_monitor->monitors();
    const auto found = monitors.find(m_monitorNumber);
    if (found != monitors.end() && found->second)
        found->second->touched();
}
