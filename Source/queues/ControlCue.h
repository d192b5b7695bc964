#pragma once

#include "Source/queues/EventCue.h"
#include "Source/queues/QueueLanes.h"

// The queues that feed the engine: five of them in the main object.
template <typename T>
class ControlCue : public EventCue<T, kQueueLanes, 11>
{
public:
    ~ControlCue() override = default;
};
