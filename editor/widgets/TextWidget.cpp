#include "editor/widgets/TextWidget.h"

#include "Source/ticpp/ticpp.h"
#include "editor/layout/GuiInfo.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CParamDisplay.h"

TextWidget::TextWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                       GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo), m_font(kFontHelvetica12)
{
    m_font->retain();
    // A value that does not convert ends the reading; what was read stays.
    try
    {
        parseColour(guiInfo, element->GetAttribute("fontcolor"), m_fontColour);
        const std::string font = element->GetAttribute("font");
        if (!font.empty())
            guiInfo.parseFont(font, m_font);
        const std::string align = element->GetAttribute("align");
        if (!align.empty())
            guiInfo.getAlignment(align, m_alignment);
        std::int64_t transparent = 0;
        element->GetAttributeOrDefault("transparent", &transparent, 0);
        m_transparent = transparent != 0;
    }
    catch (const ticpp::Exception&)
    {
    }
}

TextWidget::~TextWidget()
{
    m_font->forget();
}

void TextWidget::applyTextStyle(CParamDisplay* control) const
{
    control->setFont(m_font);
    control->setTransparency(m_transparent);
    control->setFontColor(m_fontColour);
    control->setBackColor(m_backColour);
    control->setHoriAlign(static_cast<CHoriTxtAlign>(m_alignment));
}

CParameterValueDisplay::TextStyle TextWidget::makeTextStyle() const
{
    CParameterValueDisplay::TextStyle style;
    style.font = m_font;
    style.fontColour = m_fontColour;
    style.backColour = m_backColour;
    style.rect = getRect();
    style.align = static_cast<CHoriTxtAlign>(m_alignment);
    return style;
}
