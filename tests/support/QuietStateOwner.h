#pragma once

#include "Source/state/ZentrovaStateOwner.h"

// A patch state's owner without engine or editor, and without a library.
class QuietStateOwner : public ZentrovaStateOwner
{
public:
    void setPseudoParameter(int, long, EngineValue, std::int64_t) override {}
    void setEditorParameter(long, float) override {}
};
