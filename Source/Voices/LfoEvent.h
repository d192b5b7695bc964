#pragma once

#include "Source/Voices/ProcessEvent.h"

class LfoEvent
{
public:
    virtual ~LfoEvent() = default;

    ProcessEvent first;
    ProcessEvent second;
};
