#pragma once

#include "editor/widgets/Widget.h"

class CKeyboard;

// The "Keyboard" type: the on-screen keyboard, playing notes in the
// plug-in of GuiInfo.
class KeyboardWidget : public Widget
{
public:
    // Throws ticpp::Exception without "firstkey".
    KeyboardWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                   GuiInfo& guiInfo);

    // A note the engine started or stopped.
    void setKeyState(std::int32_t note, bool down);
    CKeyboard* getKeyboard() const { return m_keyboard; }

private:
    CKeyboard* m_keyboard = nullptr;
};
