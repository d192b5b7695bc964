#pragma once

// An empty polymorphic base shared by the engine's envelope and LFO event
// records.
class ProcessEvent
{
public:
    virtual ~ProcessEvent() = default;
};
