#include "editor/widgets/KeyboardWidget.h"

#include "Source/Zentrova.h"
#include "Source/ticpp/ticpp.h"
#include "editor/controls/CKeyboard.h"
#include "editor/layout/GuiInfo.h"
#include "toolkit/CBitmap.h"

namespace
{
CBitmap* keyImage(GuiInfo& guiInfo, const std::string& name)
{
    CBitmap* image = guiInfo.bitmaps().getBitmap(name);
    return image && image->getWidth() > 0 && image->getHeight() > 0 ? image : nullptr;
}
} // namespace

KeyboardWidget::KeyboardWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                               GuiInfo& guiInfo)
    : Widget(element, parent, frame, editor, guiInfo)
{
    CBitmap* whiteImage = keyImage(guiInfo, element->GetAttribute("whitebitmap"));
    CBitmap* blackImage = keyImage(guiInfo, element->GetAttribute("blackbitmap"));
    std::int32_t firstKey = 0;
    element->GetAttribute("firstkey", &firstKey);
    std::int32_t whiteKeys = 1;
    element->GetAttributeOrDefault("numwhitekeys", &whiteKeys, 1);

    m_keyboard = new CKeyboard(getRect(), frame, whiteImage, blackImage, firstKey, whiteKeys);
    m_width = m_keyboard->getWidth();
    m_height = m_keyboard->getHeight();
    m_keyboard->setEffect(guiInfo.effect());
    bindView(m_keyboard);
}

void KeyboardWidget::setKeyState(std::int32_t note, bool down)
{
    if (m_keyboard)
        m_keyboard->setNoteState(note, down);
}
