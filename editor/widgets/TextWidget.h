#pragma once

#include "editor/controls/CParameterValueDisplay.h"
#include "editor/widgets/Widget.h"

class CFontDesc;
class CParamDisplay;

// The text attributes shared by the text types: font colour, font,
// alignment and transparency, over the common ones (whose back colour is
// the text background). The plain "Text" type builds no view: it only
// holds a text style for the parameter monitor.
class TextWidget : public Widget
{
public:
    TextWidget(ticpp::Element* element, CViewContainer* parent, CFrame* frame, ZentrovaEditor* editor,
               GuiInfo& guiInfo);
    ~TextWidget() override;

    // Font, transparency, font colour, back colour and alignment, in
    // that order.
    void applyTextStyle(CParamDisplay* control) const;
    // The font is not retained for the style.
    CParameterValueDisplay::TextStyle makeTextStyle() const;

    const CColor& getFontColour() const { return m_fontColour; }
    CFontDesc* getFont() const { return m_font; }
    std::int32_t getAlignment() const { return m_alignment; }
    bool isTransparent() const { return m_transparent; }

protected:
    CColor m_fontColour{255, 255, 255, 255};
    // One reference held.
    CFontDesc* m_font;
    std::int32_t m_alignment = kCenterText;
    bool m_transparent = false;
};
