#pragma once

#include "editor/widgets/TextWidget.h"

class CPatchSelector;

// The "PatchSelector" type: the current bank's patch menu, faded against
// the parameter monitor.
class PatchSelectorWidget : public TextWidget
{
public:
    PatchSelectorWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
                        GuiInfo& guiInfo);

    bool isContainer() const override { return true; }
    // factor 0 shows the back colour, 1 the font colour at full alpha.
    void setOpacity(float factor);
    void showMenu();
    void showText(const std::string& text);
    CPatchSelector* getSelector() const { return m_selector; }

private:
    CPatchSelector* m_selector = nullptr;
};
