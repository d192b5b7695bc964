#include "editor/widgets/VertSwitchWidget.h"

#include "editor/controls/CZentrovaVertSwitch.h"

VertSwitchWidget::VertSwitchWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                                   ZentrovaEditor* editor, GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    if (!m_bitmap)
        return;
    auto* control =
        new CZentrovaVertSwitch(getRect(), this, m_tag, m_frames, m_frameHeight, m_frames, m_bitmap, CPoint());
    bindControl(control, true, control);
}
