#include "toolkit/CSpecialDigit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"

CSpecialDigit::CSpecialDigit(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t initialValue,
                             std::int64_t iNumbers, const std::int64_t* xpos, const std::int64_t* ypos,
                             std::int64_t width, std::int64_t height, CBitmap* background)
    : CControl(size, listener, tag, background),
      m_iNumbers(std::clamp<std::int64_t>(iNumbers, 0, kMaxDigits)),
      m_width(width),
      m_height(height)
{
    for (std::int64_t i = 0; i < m_iNumbers; ++i)
    {
        if (xpos && ypos)
        {
            m_xpos[i] = xpos[i];
            m_ypos[i] = ypos[i];
        }
        else
        {
            m_xpos[i] = size.left + i * (background ? background->getWidth() : 0);
            m_ypos[i] = size.top;
        }
    }
    m_value = static_cast<float>(initialValue);
    m_vmin = 0.0f;
    m_vmax = static_cast<float>(std::pow(10.0, static_cast<double>(m_iNumbers)) - 1.0);
}

float CSpecialDigit::getNormValue() const
{
    float norm = getMax() != 0.0f ? getValue() / getMax() : 0.0f;
    return norm > 1.0f ? 1.0f : norm > 0.0f ? norm : 0.0f;
}

void CSpecialDigit::draw(CDrawContext* context)
{
    // Clamped in floating point: a value past the integer range would not
    // convert.
    double value = std::trunc(static_cast<double>(getValue()));
    double shown = value;
    if (std::isnan(value) || getMin() > value)
        shown = std::trunc(getMin());
    if (value >= getMax())
        shown = std::trunc(getMax());
    std::int64_t number = toCoord(shown);
    std::int64_t one = (toCoord(std::trunc(getMax())) + 1) / 10;
    for (std::int64_t i = 0; i < m_iNumbers; ++i)
    {
        std::int64_t digit = one > 0 ? number / one : 0;
        number -= digit * one;
        one /= 10;
        CRect where(m_xpos[i], m_ypos[i], m_xpos[i] + m_width, m_ypos[i] + m_height);
        drawBackground(context, CPoint(0, std::clamp<std::int64_t>(digit, 0, 9) * m_height), where);
    }
    setDirty(false);
}

bool CSpecialDigit::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CSpecialDigit") == 0 || CControl::isTypeOf(className);
}

CView* CSpecialDigit::newCopy() const
{
    return new CSpecialDigit(*this);
}
