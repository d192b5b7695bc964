#include "editor/widgets/TristateButtonWidget.h"

#include "editor/controls/CZentrovaTristateButton.h"

TristateButtonWidget::TristateButtonWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                                           ZentrovaEditor* editor, GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    if (!m_bitmap)
        return;
    auto* control = new CZentrovaTristateButton(getRect(), this, m_tag, m_bitmap);
    bindControl(control, true, control);
}
