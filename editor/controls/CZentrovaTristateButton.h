#pragma once

#include "editor/controls/CTristateButton.h"
#include "editor/controls/CZentrovaControl.h"
#include "editor/controls/MonitoredControl.h"

// The product's three-state button.
class CZentrovaTristateButton : public CTristateButton, public CZentrovaControl, public MonitoredControl
{
public:
    CZentrovaTristateButton(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
                            std::int32_t style = kNotifyAfterIdle);

    void getMidiEditRect(CRect& rect) const override;
    bool isTypeOf(const char* className) const override;
};
