#pragma once

#include "editor/widgets/Widget.h"

// The "SwitchKnob" type: a knob that rests on the frames of its image strip.
class SwitchKnobWidget : public Widget
{
public:
    SwitchKnobWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                     GuiInfo& guiInfo);
};
