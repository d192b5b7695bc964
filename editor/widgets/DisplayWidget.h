#pragma once

#include "editor/widgets/Widget.h"

// The "Display" type: a parameter shown as one picture of its image strip.
class DisplayWidget : public Widget
{
public:
    DisplayWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                  GuiInfo& guiInfo);
};
