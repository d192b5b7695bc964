#pragma once

#include "toolkit/CControl.h"

class CFontDesc;

// Style bits of the text controls; some mean something to one kind only.
enum : std::int64_t
{
    // Option menu: a choice toggles the check mark of the chosen entry.
    kMultipleCheckStyle = 0x1,
    kShadowText = 0x4,
    // Bevel with the dark edge (the back colour) top left.
    k3DIn = 0x80,
    // Bevel with the frame colour top left.
    k3DOut = 0x100,
    // Option menu: opens over the current entry instead of pulling down.
    kPopupStyle = 0x200,
    // Option menu without kMultipleCheckStyle: marks the entry at its value.
    kCheckStyle = 0x400,
    kNoTextStyle = 0x800,
    kNoDrawStyle = 0x1000,
    // Text edit: editing starts only on a double click.
    kDoubleClickStyle = 0x2000,
    kNoFrame = 0x4000,
};

// A control that shows its value as text, through a conversion callback or
// a fixed format, with its own font, colours, alignment and frame; the base
// of the other text controls.
class CParamDisplay : public CControl
{
public:
    using StringConvert = void (*)(float value, char* text);
    using StringConvert2 = void (*)(float value, char* text, void* userData);
    using String2FloatConvert = void (*)(char* text, float& value);

    // Texts of the callbacks go into buffers of this many bytes, the
    // terminating zero included.
    static constexpr std::size_t kTextBufferSize = 256;

    explicit CParamDisplay(const CRect& size, CBitmap* background = nullptr, std::int64_t style = 0);
    CParamDisplay(const CParamDisplay& display);
    ~CParamDisplay() override;

    // A null font is ignored.
    virtual void setFont(CFontDesc* font);
    CFontDesc* getFont() const { return m_font; }
    virtual void setFontColor(const CColor& color);
    const CColor& getFontColor() const { return m_fontColor; }
    virtual void setBackColor(const CColor& color);
    const CColor& getBackColor() const { return m_backColor; }
    virtual void setFrameColor(const CColor& color);
    const CColor& getFrameColor() const { return m_frameColor; }
    virtual void setShadowColor(const CColor& color);
    const CColor& getShadowColor() const { return m_shadowColor; }
    virtual void setAntialias(bool state) { m_antialias = state; }
    bool getAntialias() const { return m_antialias; }
    virtual void setHoriAlign(CHoriTxtAlign align);
    CHoriTxtAlign getHoriAlign() const { return m_horiTxtAlign; }
    virtual void setStringConvert(StringConvert convert);
    virtual void setStringConvert(StringConvert2 convert, void* userData);
    virtual void setString2FloatConvert(String2FloatConvert convert);
    String2FloatConvert getString2FloatConvert() const { return m_string2FloatConvert; }
    virtual void setStyle(std::int64_t style);
    std::int64_t getStyle() const { return m_style; }
    virtual void setTextTransparency(bool state) { m_textTransparency = state; }
    bool getTextTransparency() const { return m_textTransparency; }
    void* getUserData() const { return m_userData; }

    // Background (newBack when given), frame or bevel, then text; sets the
    // control clean.
    virtual void drawText(CDrawContext* context, const char* text, CBitmap* newBack = nullptr);

    void draw(CDrawContext* context) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    // The value as the conversion callbacks or the fixed format show it.
    void formatValue(char (&text)[kTextBufferSize]) const;

    StringConvert m_stringConvert = nullptr;
    StringConvert2 m_stringConvert2 = nullptr;
    String2FloatConvert m_string2FloatConvert = nullptr;
    void* m_userData = nullptr;
    CHoriTxtAlign m_horiTxtAlign = kCenterText;
    std::int64_t m_style;
    CFontDesc* m_font;
    CColor m_fontColor = kColorWhite;
    CColor m_backColor = kColorBlack;
    CColor m_frameColor = kColorBlack;
    CColor m_shadowColor = kColorRed;
    bool m_textTransparency = true;
    bool m_antialias = true;
};
