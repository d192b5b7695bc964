#pragma once

#include <cstdint>
#include <string>

// The parameter monitor as the editor and the monitored controls see it:
// which parameter it shows, and whether the user touches a control it
// watches.
class CParamMonitorBase
{
public:
    virtual ~CParamMonitorBase() = default;

    // A control of parameter index changed; -2 shows the current one again.
    virtual void parameterChanged(std::int64_t index) = 0;
    // The user pressed or released a watched control.
    virtual void touched() = 0;
    virtual void reset() = 0;
    virtual void showParameter(std::int64_t index, const std::string& text) = 0;
    virtual void clearShown() = 0;
    virtual bool isActive() const = 0;
    virtual void select(std::int64_t index) = 0;
    virtual bool isShown() const = 0;
    virtual bool wasTouched() const = 0;
    virtual void clearTouched() = 0;
};
