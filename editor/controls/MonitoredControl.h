#pragma once

#include <cstdint>

class GuiInfo;

// A control that tells the parameter monitor when the user touches it.
class MonitoredControl
{
public:
    virtual ~MonitoredControl() = default;

    // monitorNumber -1: no monitor is ever told.
    virtual void setMonitor(GuiInfo* monitor, std::int64_t monitorNumber);

    GuiInfo* getMonitor() const { return m_monitor; }
    std::int64_t getMonitorNumber() const { return m_monitorNumber; }

protected:
    // The monitor registered under the number, if any, hears of the touch.
    void tellMonitor() const;

    GuiInfo* m_monitor = nullptr;
    std::int64_t m_monitorNumber = -1;
};
