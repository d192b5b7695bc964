#pragma once

// What the editor holds of the cross-fade between the parameter monitor and
// the patch selector.
class CParamPatchMonitorBase
{
public:
    virtual ~CParamPatchMonitorBase() = default;
};
