#include "editor/widgets/KickButtonWidget.h"

#include "Source/ticpp/ticpp.h"
#include "editor/ZentrovaEditor.h"
#include "editor/controls/CZentrovaKickButton.h"

KickButtonWidget::KickButtonWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                                   ZentrovaEditor* editor, GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    std::int64_t handleModifiers = 0;
    element->GetAttributeOrDefault("handle_modifiers", &handleModifiers, 0);
    m_handleModifiers = handleModifiers != 0;
    if (!m_bitmap)
        return;
    bindControl(new CZentrovaKickButton(getRect(), this, m_tag, m_bitmap, CPoint()), true, nullptr);
}

void KickButtonWidget::valueChanged(CControl* control)
{
    if (!control)
        return;
    const float value = control->getValue();
    if (m_editor)
        m_editor->valueChanged(static_cast<VstInt32>(control->getTag()), control,
                               value * static_cast<float>(m_valueMultiplier));
    if (value == 0.0f)
        m_valueMultiplier = 1;
}

std::int32_t KickButtonWidget::controlModifierClicked(CControl*, CButtonState buttons)
{
    if (m_handleModifiers)
        m_valueMultiplier = buttons;
    // The button still goes down.
    return 0;
}
