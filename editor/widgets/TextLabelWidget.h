#pragma once

#include "editor/widgets/TextWidget.h"

class CTextLabel;

// The "TextLabel" type: a fixed text the editor may change.
class TextLabelWidget : public TextWidget
{
public:
    TextLabelWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                    GuiInfo& guiInfo);

    void setText(const std::string& text) override;
    std::string getText() const override;
};
