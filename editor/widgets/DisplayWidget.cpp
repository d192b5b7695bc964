#include "editor/widgets/DisplayWidget.h"

#include "editor/controls/CDisplay.h"

DisplayWidget::DisplayWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                             GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    if (!m_bitmap)
        return;
    bindControl(new CDisplay(getRect(), nullptr, 0, m_frames, m_frameHeight, m_bitmap, CPoint()), false, nullptr);
}
