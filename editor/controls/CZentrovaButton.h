#pragma once

#include "editor/controls/CZentrovaControl.h"
#include "editor/controls/MonitoredControl.h"
#include "toolkit/COnOffButton.h"

// The product's on/off button.
class CZentrovaButton : public COnOffButton, public CZentrovaControl, public MonitoredControl
{
public:
    CZentrovaButton(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background);

    void getMidiEditRect(CRect& rect) const override;
    bool isTypeOf(const char* className) const override;
};
