#include "editor/widgets/PatchSelectorWidget.h"

#include "Source/ticpp/ticpp.h"
#include "editor/controls/CPatchSelector.h"
#include "editor/layout/GuiInfo.h"
#include "toolkit/COptionMenu.h"

namespace
{
// The selector's text starts half faded.
constexpr std::uint8_t kRestingAlpha = 127;
} // namespace

PatchSelectorWidget::PatchSelectorWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                                         ZentrovaEditor* editor, GuiInfo& guiInfo)
    : TextWidget(element, parent, frame, editor, guiInfo)
{
    std::int64_t columnItems = -1;
    element->GetAttributeOrDefault("columnitems", &columnItems, -1);
    m_selector = new CPatchSelector(getRect(), frame, this, m_tag, m_bitmap, guiInfo.effect());
    m_selector->setFont(m_font);
    m_selector->setTransparency(m_transparent);
    m_selector->getMenu()->setNbItemsPerColumn(columnItems);
    m_fontColour.alpha = kRestingAlpha;
    m_selector->setFontColor(m_fontColour);
    m_selector->setBackColor(m_backColour);
    bindView(m_selector);
}

void PatchSelectorWidget::setOpacity(float factor)
{
    if (!m_selector)
        return;
    m_selector->setFontColor(blendColour(m_backColour, m_fontColour, factor));
    m_selector->setDirty(true);
}

void PatchSelectorWidget::showMenu()
{
    if (m_selector)
        m_selector->showMenu();
}

void PatchSelectorWidget::showText(const std::string& text)
{
    if (m_selector)
        m_selector->showText(text.c_str());
}
