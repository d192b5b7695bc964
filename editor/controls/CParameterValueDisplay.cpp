#include "editor/controls/CParameterValueDisplay.h"

#include "Source/shared/Utf8.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/COffscreenContext.h"

#include <cstring>

namespace
{
template <std::size_t N>
void copyField(char (&field)[N], const char* text)
{
    const std::size_t length = text ? Utf8::cutLength(text, std::strlen(text), N - 1) : 0;
    if (length > 0)
        std::memcpy(field, text, length);
    field[length] = 0;
}

CCoord widthOf(CDrawContext* context, const char* text)
{
    if (!*text)
        return 0;
    const CCoord width = context->getStringWidth(text);
    return width > 0 ? width : 0;
}
} // namespace

CParameterValueDisplay::CParameterValueDisplay(const CRect& size, CBitmap* background,
                                               const TextStyle& parameterStyle, const TextStyle& valueStyle)
    : CView(size), m_styles{parameterStyle, valueStyle}
{
    setBackground(background);
    for (TextStyle& style : m_styles)
        if (style.font)
            style.font->retain();
}

CParameterValueDisplay::~CParameterValueDisplay()
{
    for (TextStyle& style : m_styles)
        if (style.font)
            style.font->forget();
}

void CParameterValueDisplay::setValueText(const char* text)
{
    copyField(m_valueText, text);
    setDirty(true);
}

void CParameterValueDisplay::setNameAndLabel(const char* name, const char* label)
{
    copyField(m_name, name);
    copyField(m_label, label);
    m_relayout = true;
    setDirty(true);
}

void CParameterValueDisplay::setSampleText(const char* text)
{
    copyField(m_sampleText, text);
    m_relayout = true;
    setDirty(true);
}

void CParameterValueDisplay::setFontColours(const CColor& parameterColour, const CColor& valueColour)
{
    if (m_styles[0].fontColour == parameterColour && m_styles[1].fontColour == valueColour)
        return;
    m_styles[0].fontColour = parameterColour;
    m_styles[1].fontColour = valueColour;
    setDirty(true);
}

void CParameterValueDisplay::relayout(CDrawContext* context)
{
    const TextStyle& style = m_styles[1];
    context->setFont(style.font);
    const CCoord blank = widthOf(context, " ");
    const CCoord label = widthOf(context, m_label);
    const CCoord sample = widthOf(context, m_sampleText);
    m_firstSplit = (style.rect.width() - blank - label - sample) / 2 + sample;
    m_secondSplit = m_firstSplit + blank;
    m_relayout = false;
}

void CParameterValueDisplay::draw(CDrawContext* context)
{
    const CCoord width = m_size.width();
    const CCoord height = m_size.height();
    if (width <= 0 || height <= 0)
    {
        setDirty(false);
        return;
    }
    auto* offscreen = new COffscreenContext(getFrame(), width, height, kColorBlack);
    // The image is the container's own, so the display joins it seamlessly.
    if (m_background)
        m_background->draw(offscreen, CRect(0, 0, width, height), m_size.getTopLeft());
    if (m_relayout)
        relayout(offscreen);

    const TextStyle& nameStyle = m_styles[0];
    const TextStyle& valueStyle = m_styles[1];
    offscreen->setFont(nameStyle.font);
    offscreen->setFontColor(nameStyle.fontColour);
    offscreen->drawString(m_name, nameStyle.rect, kCenterText, true);
    if (*m_label)
    {
        const CRect& area = valueStyle.rect;
        offscreen->setFont(valueStyle.font);
        offscreen->setFontColor(valueStyle.fontColour);
        offscreen->drawString(m_label, CRect(area.left + m_secondSplit, area.top, area.right, area.bottom), kLeftText,
                              true);
        offscreen->drawString(m_valueText, CRect(area.left, area.top, area.left + m_firstSplit, area.bottom),
                              kRightText, true);
    }
    else
        offscreen->drawString(m_valueText, valueStyle.rect, kCenterText, true);

    offscreen->copyFrom(context, m_size);
    offscreen->release();
    setDirty(false);
}

bool CParameterValueDisplay::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CParameterValueDisplay") == 0 || CView::isTypeOf(className);
}
