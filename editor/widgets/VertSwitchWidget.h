#pragma once

#include "editor/widgets/Widget.h"

// The "VertSwitch" type: one position per frame, chosen down the height.
class VertSwitchWidget : public Widget
{
public:
    VertSwitchWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                     GuiInfo& guiInfo);
};
