#pragma once

#include "Source/state/ZentrovaState.h"

// Changes values of a patch state without telling the engine: the state is
// sent whole afterwards, or a value is routed on its own.
class PatchEdit
{
public:
    explicit PatchEdit(ZentrovaState& state) : m_state(state) {}

    // A patch value text.
    void set(int index, const char* text) { set(index, m_state.getParameter(index)->valueFromText(text)); }
    // A normalised value (0..1).
    void set(int index, float normalised)
    {
        m_state.getParameter(index)->setValue(normalised);
        m_state.m_patchData.values[index] = normalised;
        m_state.checkSwitches(index, -1, false);
    }

private:
    ZentrovaState& m_state;
};
