#pragma once

#include "editor/widgets/Widget.h"

// The "Button" type: an on/off button. With "handle_modifiers" a right or
// modified click does not toggle it: the editor gets minus the buttons word
// as the value instead.
class ButtonWidget : public Widget
{
public:
    ButtonWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                 GuiInfo& guiInfo);

    std::int32_t controlModifierClicked(CControl* control, CButtonState buttons) override;

private:
    bool m_handleModifiers = false;
};
