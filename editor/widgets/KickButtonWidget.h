#pragma once

#include "editor/widgets/Widget.h"

// The "KickButton" type: a momentary button. With "handle_modifiers" a
// right or modified click reports the buttons word (times the button's 1)
// instead of 1; the release reports 0 as always.
class KickButtonWidget : public Widget
{
public:
    KickButtonWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                     GuiInfo& guiInfo);

    void valueChanged(CControl* control) override;
    std::int32_t controlModifierClicked(CControl* control, CButtonState buttons) override;

private:
    bool m_handleModifiers = false;
    std::int64_t m_valueMultiplier = 1;
};
