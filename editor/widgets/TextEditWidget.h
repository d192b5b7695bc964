#pragma once

#include "editor/widgets/TextWidget.h"

// The "TextEdit" type: an editable text, such as a MIDI controller box or
// a wave's name.
class TextEditWidget : public TextWidget
{
public:
    TextEditWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                   GuiInfo& guiInfo);

    void setText(const std::string& text) override;
    std::string getText() const override;
};
