#include "editor/widgets/SwitchKnobWidget.h"

#include "editor/controls/CSwitchedKnob.h"

SwitchKnobWidget::SwitchKnobWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                                   ZentrovaEditor* editor, GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    if (!m_bitmap)
        return;
    auto* knob = new CSwitchedKnob(getRect(), this, m_tag, m_frames, m_frameHeight, m_bitmap, CPoint());
    bindControl(knob, true, knob);
}
