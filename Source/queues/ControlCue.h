#pragma once

#include "Source/queues/EventCue.h"

// The queues that feed the engine: five of them in the main object.
template <typename T>
class ControlCue : public EventCue<T, 4, 11>
{
public:
    ~ControlCue() override = default;
};
