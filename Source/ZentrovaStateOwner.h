#pragma once

#include "Source/EngineValue.h"

#include <cstdint>

// What a patch state needs of the plug-in object that owns it: the road to
// the engine and to the editor.
class ZentrovaStateOwner
{
public:
    virtual ~ZentrovaStateOwner();

    // Sends a parameter (or pseudo-parameter) value to the engine through
    // the routing table, on the given control-queue lane, at a sample offset
    // inside the current block.
    virtual void setPseudoParameter(int lane, long index, EngineValue value, std::int64_t time) = 0;
    // Shows a value on the editor control with this tag; nothing when no
    // editor is open.
    virtual void setEditorParameter(long tag, float value) = 0;
};
