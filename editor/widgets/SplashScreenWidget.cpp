#include "editor/widgets/SplashScreenWidget.h"

#include "Source/ticpp/ticpp.h"
#include "toolkit/CSplashScreen.h"

SplashScreenWidget::SplashScreenWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                                       ZentrovaEditor* editor, GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    element->GetAttributeOrDefault("active_x", &x, 0);
    element->GetAttributeOrDefault("active_y", &y, 0);
    element->GetAttributeOrDefault("active_width", &width, 0);
    element->GetAttributeOrDefault("active_height", &height, 0);
    if (!m_bitmap)
        return;
    bindControl(new CSplashScreen(CRect(x, y, x + width, y + height), nullptr, 0, m_bitmap, getRect(), CPoint()), false,
                nullptr);
}
