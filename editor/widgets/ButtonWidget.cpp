#include "editor/widgets/ButtonWidget.h"

#include "Source/ticpp/ticpp.h"
#include "editor/ZentrovaEditor.h"
#include "editor/controls/CZentrovaButton.h"

ButtonWidget::ButtonWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                           GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    std::int64_t handleModifiers = 0;
    element->GetAttributeOrDefault("handle_modifiers", &handleModifiers, 0);
    m_handleModifiers = handleModifiers != 0;
    if (!m_bitmap)
        return;
    auto* button = new CZentrovaButton(getRect(), this, m_tag, m_bitmap);
    bindControl(button, true, button);
}

std::int32_t ButtonWidget::controlModifierClicked(CControl* control, CButtonState buttons)
{
    if (!m_handleModifiers)
        return 0;
    if (m_editor && control)
        m_editor->valueChanged(static_cast<VstInt32>(control->getTag()), control, -static_cast<float>(buttons));
    return 1;
}
