#pragma once

#include "editor/widgets/Widget.h"

// The "Knob" type: a knob over the frames of its image strip.
class KnobWidget : public Widget
{
public:
    KnobWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
               GuiInfo& guiInfo);
};
