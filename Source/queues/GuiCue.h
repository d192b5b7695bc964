#pragma once

#include "Source/queues/EventCue.h"
#include "Source/queues/QueueLanes.h"

// The editor's queue: values for its controls, drained in its idle call.
template <typename T>
class GuiCue : public EventCue<T, kQueueLanes, 11>
{
public:
    ~GuiCue() override = default;
};
