#pragma once

#include "Source/Voices/ProcessEvent.h"

class Env2Event
{
public:
    virtual ~Env2Event() = default;

    ProcessEvent event;
};
