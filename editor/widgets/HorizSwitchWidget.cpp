#include "editor/widgets/HorizSwitchWidget.h"

#include "editor/controls/CZentrovaHorizSwitch.h"

HorizSwitchWidget::HorizSwitchWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                                     ZentrovaEditor* editor, GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    if (!m_bitmap)
        return;
    auto* control =
        new CZentrovaHorizSwitch(getRect(), this, m_tag, m_frames, m_frameHeight, m_frames, m_bitmap, CPoint());
    bindControl(control, true, control);
}
