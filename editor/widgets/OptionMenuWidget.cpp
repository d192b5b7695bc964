#include "editor/widgets/OptionMenuWidget.h"

#include "Source/ticpp/ticpp.h"
#include "editor/layout/GuiInfo.h"
#include "toolkit/CBitmap.h"
#include "toolkit/COptionMenu.h"

OptionMenuWidget::OptionMenuWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                                   ZentrovaEditor* editor, GuiInfo& guiInfo)
    : TextWidget(element, parent, frame, editor, guiInfo)
{
    CBitmap* pressed = guiInfo.bitmaps().getBitmap(element->GetAttribute("bitmapdwn"));
    if (pressed && (pressed->getWidth() <= 0 || pressed->getHeight() <= 0))
        pressed = nullptr;
    auto* menu = new COptionMenu(getRect(), this, m_tag, pressed, m_bitmap, 0);
    applyTextStyle(menu);
    bindControl(menu, true, nullptr);
}
