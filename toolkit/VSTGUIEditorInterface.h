#pragma once

#include <cstdint>

#include "toolkit/BaseTypes.h"

// What a frame asks of the editor that owns it.
class VSTGUIEditorInterface
{
public:
    virtual ~VSTGUIEditorInterface() = default;

    virtual void processIdle() {}
    virtual std::int32_t getKnobMode() const { return 0; }
    virtual void beginEdit(std::int32_t) {}
    virtual void endEdit(std::int32_t) {}
    virtual std::int32_t getLinearKnobCursorMove() const { return 0; }
    // Asks the host to resize its window to the frame's new size; false
    // when the host cannot or did not.
    virtual bool sizeHostWindow(CCoord, CCoord) { return false; }
};
