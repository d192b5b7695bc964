#pragma once

#include "editor/widgets/Widget.h"

// The "TristateButton" type: a button with the states 0, 0.5 and 1.
class TristateButtonWidget : public Widget
{
public:
    TristateButtonWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                         GuiInfo& guiInfo);
};
