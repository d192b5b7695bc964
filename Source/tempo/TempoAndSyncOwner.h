#pragma once

#include <cstdint>

#include "Source/parameters/EngineValue.h"

// What the tempo object needs of the plug-in object that owns it: the road
// to the engine for the clock's gates and the LFOs' sync.
class TempoAndSyncOwner
{
public:
    virtual ~TempoAndSyncOwner();

    // Sends a pseudo-parameter value to the engine through the routing
    // table, on the given control-queue lane, at a sample offset inside the
    // current block.
    virtual void setPseudoParameter(int lane, long index, EngineValue value, std::int64_t time) = 0;
};
