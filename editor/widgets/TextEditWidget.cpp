#include "editor/widgets/TextEditWidget.h"

#include "Source/ticpp/ticpp.h"
#include "toolkit/CTextEdit.h"

TextEditWidget::TextEditWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame,
                               ZentrovaEditor* editor, GuiInfo& guiInfo)
    : TextWidget(element, parent, frame, editor, guiInfo)
{
    const std::string text = element->GetAttribute("text");
    auto* edit = new CTextEdit(getRect(), this, m_tag, text.c_str(), m_bitmap, 0);
    applyTextStyle(edit);
    bindControl(edit, true, nullptr);
}

void TextEditWidget::setText(const std::string& text)
{
    if (!m_control)
        return;
    static_cast<CTextEdit*>(m_control)->setText(text.c_str());
    m_control->setDirty(true);
}

std::string TextEditWidget::getText() const
{
    if (!m_control)
        return std::string();
    char text[CTextEdit::kTextBufferSize] = {};
    static_cast<CTextEdit*>(m_control)->getText(text);
    text[sizeof text - 1] = 0;
    return text;
}
