#include "editor/widgets/KnobWidget.h"

#include "editor/controls/CZentrovaKnob.h"

KnobWidget::KnobWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                       GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    if (!m_bitmap)
        return;
    auto* knob = new CZentrovaKnob(getRect(), this, m_tag, m_frames, m_frameHeight, m_bitmap, CPoint());
    bindControl(knob, true, knob);
}
