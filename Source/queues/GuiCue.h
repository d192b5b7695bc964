#pragma once

#include "Source/queues/EventCue.h"

// The editor's queue: values for its controls, drained in its idle call.
template <typename T>
class GuiCue : public EventCue<T, 4, 11>
{
public:
    ~GuiCue() override = default;
};
