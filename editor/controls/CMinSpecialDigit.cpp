#include "editor/controls/CMinSpecialDigit.h"

#include "toolkit/CDrawContext.h"

#include <algorithm>
#include <cmath>
#include <cstring>

CMinSpecialDigit::CMinSpecialDigit(const CRect& size, CControlListener* listener, std::int64_t tag,
                                   std::int64_t initialValue, std::int64_t iNumbers, std::int64_t minDigits,
                                   const std::int64_t* xpos, const std::int64_t* ypos, std::int64_t width,
                                   std::int64_t height, CBitmap* background, const CColor& blankColour)
    : CSpecialDigit(size, listener, tag, initialValue, iNumbers, xpos, ypos, width, height, background),
      m_blankPlaces(std::max<std::int64_t>(m_iNumbers - minDigits, 0)), m_blankColour(blankColour)
{
}

void CMinSpecialDigit::draw(CDrawContext* context)
{
    // As the plain digit display clamps, so that both show the same number.
    const double value = std::trunc(static_cast<double>(getValue()));
    double shown = value;
    if (std::isnan(value) || getMin() > value)
        shown = std::trunc(getMin());
    if (value >= getMax())
        shown = std::trunc(getMax());
    std::int64_t number = toCoord(shown);
    std::int64_t one = (toCoord(std::trunc(getMax())) + 1) / 10;
    bool leading = true;
    for (std::int64_t i = 0; i < m_iNumbers; ++i)
    {
        const std::int64_t digit = std::clamp<std::int64_t>(one > 0 ? number / one : 0, 0, 9);
        number -= digit * one;
        one /= 10;
        const CRect where(m_xpos[i], m_ypos[i], m_xpos[i] + m_width, m_ypos[i] + m_height);
        if (digit != 0)
            leading = false;
        if (leading && i < m_blankPlaces)
        {
            if (!m_transparency)
            {
                context->setFillColor(m_blankColour);
                context->drawRect(where, kDrawFilled);
            }
            continue;
        }
        drawBackground(context, CPoint(0, digit * m_height), where);
    }
    setDirty(false);
}

bool CMinSpecialDigit::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CMinSpecialDigit") == 0 || CSpecialDigit::isTypeOf(className);
}

CView* CMinSpecialDigit::newCopy() const
{
    return new CMinSpecialDigit(*this);
}
