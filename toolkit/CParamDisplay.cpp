#include "toolkit/CParamDisplay.h"

#include <cstdio>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"

CParamDisplay::CParamDisplay(const CRect& size, CBitmap* background, std::int64_t style)
    : CControl(size, nullptr, 0, background), m_style(style), m_font(kFontHelvetica12)
{
    m_font->retain();
    if (m_style & kNoDrawStyle)
        setDirty(false);
}

CParamDisplay::CParamDisplay(const CParamDisplay& display)
    : CControl(display),
      m_stringConvert(display.m_stringConvert),
      m_stringConvert2(display.m_stringConvert2),
      m_string2FloatConvert(display.m_string2FloatConvert),
      m_userData(display.m_userData),
      m_horiTxtAlign(display.m_horiTxtAlign),
      m_style(display.m_style),
      m_font(display.m_font),
      m_fontColor(display.m_fontColor),
      m_backColor(display.m_backColor),
      m_frameColor(display.m_frameColor),
      m_shadowColor(display.m_shadowColor),
      m_textTransparency(display.m_textTransparency),
      m_antialias(display.m_antialias)
{
    m_font->retain();
}

CParamDisplay::~CParamDisplay()
{
    m_font->release();
}

void CParamDisplay::setFont(CFontDesc* font)
{
    if (!font)
        return;
    setDirty(true);
    font->retain();
    m_font->release();
    m_font = font;
}

void CParamDisplay::setFontColor(const CColor& color)
{
    if (color != m_fontColor)
        setDirty(true);
    m_fontColor = color;
}

void CParamDisplay::setBackColor(const CColor& color)
{
    if (color != m_backColor)
        setDirty(true);
    m_backColor = color;
}

void CParamDisplay::setFrameColor(const CColor& color)
{
    if (color != m_frameColor)
        setDirty(true);
    m_frameColor = color;
}

void CParamDisplay::setShadowColor(const CColor& color)
{
    if (color != m_shadowColor)
        setDirty(true);
    m_shadowColor = color;
}

void CParamDisplay::setHoriAlign(CHoriTxtAlign align)
{
    if (align != m_horiTxtAlign)
        setDirty(true);
    m_horiTxtAlign = align;
}

void CParamDisplay::setStringConvert(StringConvert convert)
{
    m_stringConvert = convert;
}

void CParamDisplay::setStringConvert(StringConvert2 convert, void* userData)
{
    m_stringConvert2 = convert;
    m_userData = userData;
}

void CParamDisplay::setString2FloatConvert(String2FloatConvert convert)
{
    m_string2FloatConvert = convert;
}

void CParamDisplay::setStyle(std::int64_t style)
{
    if (style != m_style)
        setDirty(true);
    m_style = style;
}

void CParamDisplay::formatValue(char (&text)[kTextBufferSize]) const
{
    text[0] = 0;
    if (m_stringConvert2)
        m_stringConvert2(m_value, text, m_userData);
    else if (m_stringConvert)
        m_stringConvert(m_value, text);
    else
        std::snprintf(text, sizeof(text), "%2.2f", static_cast<double>(m_value));
    // A callback that forgot the terminator still ends inside the buffer.
    text[kTextBufferSize - 1] = 0;
}

void CParamDisplay::draw(CDrawContext* context)
{
    char text[kTextBufferSize];
    formatValue(text);
    drawText(context, text);
}

void CParamDisplay::drawText(CDrawContext* context, const char* text, CBitmap* newBack)
{
    setDirty(false);
    if (m_style & kNoDrawStyle)
        return;

    if (CBitmap* back = newBack ? newBack : m_background)
    {
        if (m_transparency)
            back->drawTransparent(context, m_size, m_backOffset);
        else
            back->draw(context, m_size, m_backOffset);
    }
    else if (!m_transparency)
    {
        context->setFillColor(m_backColor);
        context->drawRect(m_size, kDrawFilled);
        if (!(m_style & (k3DIn | k3DOut | kNoFrame)))
        {
            context->setLineWidth(1);
            context->setFrameColor(m_frameColor);
            context->drawRect(m_size, kDrawStroked);
        }
    }

    if (m_style & (k3DIn | k3DOut))
    {
        CRect r(m_size);
        r.right -= 1;
        r.top += 1;
        bool in = (m_style & k3DIn) != 0;
        context->setLineWidth(1);
        context->setFrameColor(in ? m_backColor : m_frameColor);
        context->moveTo(CPoint(r.left, m_size.bottom));
        context->lineTo(CPoint(r.left, r.top));
        context->lineTo(CPoint(r.right, r.top));
        context->setFrameColor(in ? m_frameColor : m_backColor);
        context->moveTo(CPoint(r.right, r.top));
        context->lineTo(CPoint(r.right, m_size.bottom));
        context->lineTo(CPoint(r.left, m_size.bottom));
    }

    if ((m_style & kNoTextStyle) || !text || !*text)
        return;
    CRect oldClip;
    context->getClipRect(oldClip);
    CRect clip(m_size);
    clip.bound(oldClip);
    context->setClipRect(clip);
    context->setFont(m_font);
    if (m_style & kShadowText)
    {
        CRect shadow(m_size);
        shadow.offset(1, 1);
        context->setFontColor(m_shadowColor);
        context->drawString(text, shadow, m_horiTxtAlign, m_antialias);
    }
    context->setFontColor(m_fontColor);
    context->drawString(text, m_size, m_horiTxtAlign, m_antialias);
    context->setClipRect(oldClip);
}

bool CParamDisplay::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CParamDisplay") == 0 || CControl::isTypeOf(className);
}

CView* CParamDisplay::newCopy() const
{
    return new CParamDisplay(*this);
}
