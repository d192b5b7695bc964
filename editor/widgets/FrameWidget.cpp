#include "editor/widgets/FrameWidget.h"

#include "editor/controls/CZentrovaFrame.h"

FrameWidget::FrameWidget(ticpp::Element* element, ZentrovaEditor* editor, GuiInfo& guiInfo, void* parentWindow,
                         ERect& rect, VSTGUIEditorInterface* frameEditor)
    : ViewContainerWidget(element, nullptr, nullptr, editor, guiInfo)
{
    rect.right = static_cast<VstInt16>(rect.left + m_bitmapWidth);
    rect.bottom = static_cast<VstInt16>(rect.top + m_bitmapHeight);
    auto* frame = parentWindow ? new CZentrovaFrame(getRect(), parentWindow, frameEditor)
                               : new CZentrovaFrame(getRect(), frameEditor);
    frame->setBackground(m_bitmap);
    m_frame = frame;
    createChildren(frame, element);
    constructionComplete();
}

FrameWidget::~FrameWidget() = default;

CZentrovaFrame* FrameWidget::getFrame() const
{
    return static_cast<CZentrovaFrame*>(m_view);
}
