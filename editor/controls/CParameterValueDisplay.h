#pragma once

#include "editor/controls/CParameterValueDisplayBase.h"
#include "toolkit/CView.h"

class CFontDesc;

// The parameter monitor's face: the parameter's name in one text area and
// its value with the unit label in the other, over the background image
// of the container it lies in.
class CParameterValueDisplay : public CView, public CParameterValueDisplayBase
{
public:
    // Font, colours, rectangle (relative to the display) and alignment of
    // one text area.
    struct TextStyle
    {
        CFontDesc* font = nullptr;
        CColor fontColour{255, 255, 255, 255};
        CColor backColour{0, 0, 0, 255};
        CRect rect;
        CHoriTxtAlign align = kCenterText;
    };

    static constexpr std::size_t kValueSize = 32;
    static constexpr std::size_t kNameSize = 64;
    static constexpr std::size_t kLabelSize = 48;
    static constexpr std::size_t kSampleSize = 32;

    // Retains the styles' fonts.
    CParameterValueDisplay(const CRect& size, CBitmap* background, const TextStyle& parameterStyle,
                           const TextStyle& valueStyle);
    ~CParameterValueDisplay() override;

    CParameterValueDisplay(const CParameterValueDisplay&) = delete;
    CParameterValueDisplay& operator=(const CParameterValueDisplay&) = delete;

    // Texts are cut to their fields at a character boundary.
    void setValueText(const char* text) override;
    void setNameAndLabel(const char* name, const char* label) override;
    void setSampleText(const char* text) override;
    void setFontColours(const CColor& parameterColour, const CColor& valueColour);

    const char* getValueText() const { return m_valueText; }
    const char* getName() const { return m_name; }
    const char* getLabel() const { return m_label; }
    const TextStyle& getParameterStyle() const { return m_styles[0]; }
    const TextStyle& getValueStyle() const { return m_styles[1]; }
    // The value ends at the first split, the label starts at the second;
    // both from the value area's left edge, known after a draw.
    CCoord getFirstSplit() const { return m_firstSplit; }
    CCoord getSecondSplit() const { return m_secondSplit; }

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* className) const override;

private:
    void relayout(CDrawContext* context);

    char m_valueText[kValueSize] = {};
    char m_name[kNameSize] = {};
    char m_label[kLabelSize] = {};
    char m_sampleText[kSampleSize] = {};
    TextStyle m_styles[2];
    bool m_relayout = true;
    CCoord m_firstSplit = 0;
    CCoord m_secondSplit = 0;
};
