#pragma once

#include <cstdint>

#include "toolkit/BaseTypes.h"

class CControl;

// Whoever a control reports its user edits to.
class CControlListener
{
public:
    virtual ~CControlListener() = default;

    virtual void valueChanged(CControl* control) = 0;
    // A right or modified click, before the control sees it: non-zero
    // takes the click away from the control.
    virtual std::int32_t controlModifierClicked(CControl*, CButtonState) { return 0; }
    virtual void controlBeginEdit(CControl*) {}
    virtual void controlEndEdit(CControl*) {}
};
