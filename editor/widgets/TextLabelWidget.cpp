#include "editor/widgets/TextLabelWidget.h"

#include "Source/ticpp/ticpp.h"
#include "toolkit/CTextLabel.h"

TextLabelWidget::TextLabelWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                                 ZentrovaEditor* editor, GuiInfo& guiInfo)
    : TextWidget(element, parent, frame, editor, guiInfo)
{
    const std::string text = element->GetAttribute("text");
    auto* label = new CTextLabel(getRect(), text.c_str(), m_bitmap, 0);
    applyTextStyle(label);
    bindControl(label, false, nullptr);
}

void TextLabelWidget::setText(const std::string& text)
{
    if (!m_control)
        return;
    static_cast<CTextLabel*>(m_control)->setText(text.c_str());
    m_control->setDirty(true);
}

std::string TextLabelWidget::getText() const
{
    const char* text = m_control ? static_cast<CTextLabel*>(m_control)->getText() : nullptr;
    return text ? std::string(text) : std::string();
}
