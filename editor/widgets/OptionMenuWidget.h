#pragma once

#include "editor/widgets/TextWidget.h"

// The "OptionMenu" type: a pop-up menu whose entries the editor fills.
class OptionMenuWidget : public TextWidget
{
public:
    OptionMenuWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                     GuiInfo& guiInfo);
};
