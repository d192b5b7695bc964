#pragma once

#include "editor/widgets/Widget.h"

// The "Wheel" type: a wheel one frame of its horizontal image strip wide
// and as tall as the strip, dragged over the strip's height.
class WheelWidget : public Widget
{
public:
    WheelWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                GuiInfo& guiInfo);
};
