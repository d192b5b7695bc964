#pragma once

#include "editor/widgets/Widget.h"

// The "HorizSwitch" type: one position per frame, chosen across the width.
class HorizSwitchWidget : public Widget
{
public:
    HorizSwitchWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                      GuiInfo& guiInfo);
};
