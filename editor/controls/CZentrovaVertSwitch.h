#pragma once

#include "editor/controls/CZentrovaControl.h"
#include "editor/controls/MonitoredControl.h"
#include "toolkit/CVerticalSwitch.h"

// The product's vertical switch: it tells the parameter monitor when it is
// pressed and released.
class CZentrovaVertSwitch : public CVerticalSwitch, public CZentrovaControl, public MonitoredControl
{
public:
    CZentrovaVertSwitch(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t subPixmaps,
                        CCoord heightOfOneImage, std::int64_t maxPositions, CBitmap* background,
                        const CPoint& offset = CPoint());

    void getMidiEditRect(CRect& rect) const override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* className) const override;
};
