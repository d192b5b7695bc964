#include "toolkit/CKnob.h"

#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"

namespace
{
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
// Straight movement over this many pixels covers the whole range.
constexpr float kLinearRange = 200.0f;
} // namespace

CKnob::CKnob(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background,
             CBitmap* handleBitmap, const CPoint& offset)
    : CControl(size, listener, tag, background),
      m_offset(offset),
      m_handleBitmap(handleBitmap),
      m_startAngle(static_cast<float>(5.0 * kPi / 4.0)),
      m_rangeAngle(static_cast<float>(-3.0 * kPi / 2.0)),
      m_radius(static_cast<float>(size.width()) * 0.5f)
{
    if (m_handleBitmap)
    {
        m_handleBitmap->retain();
        m_inset = toCoord(m_handleBitmap->getWidth() * 0.5 + 2.5);
    }
    compute();
    setWantsFocus(true);
}

CKnob::CKnob(const CKnob& knob)
    : CControl(knob),
      m_offset(knob.m_offset),
      m_colorHandle(knob.m_colorHandle),
      m_colorShadowHandle(knob.m_colorShadowHandle),
      m_handleBitmap(knob.m_handleBitmap),
      m_inset(knob.m_inset),
      m_startAngle(knob.m_startAngle),
      m_rangeAngle(knob.m_rangeAngle),
      m_halfAngle(knob.m_halfAngle),
      m_aCoef(knob.m_aCoef),
      m_bCoef(knob.m_bCoef),
      m_radius(knob.m_radius),
      m_zoomFactor(knob.m_zoomFactor)
{
    if (m_handleBitmap)
        m_handleBitmap->retain();
}

CKnob::~CKnob()
{
    if (m_handleBitmap)
        m_handleBitmap->release();
}

void CKnob::compute()
{
    m_halfAngle = static_cast<float>((kTwoPi - std::fabs(m_rangeAngle)) * 0.5);
    m_aCoef = (m_vmax - m_vmin) / m_rangeAngle;
    m_bCoef = m_vmin - m_aCoef * m_startAngle;
}

void CKnob::setStartAngle(float angle)
{
    m_startAngle = angle;
    compute();
    setDirty();
}

void CKnob::setRangeAngle(float angle)
{
    m_rangeAngle = angle;
    compute();
    setDirty();
}

void CKnob::setColorShadowHandle(const CColor& color)
{
    m_colorShadowHandle = color;
    setDirty();
}

void CKnob::setColorHandle(const CColor& color)
{
    m_colorHandle = color;
    setDirty();
}

void CKnob::setHandleBitmap(CBitmap* bitmap)
{
    if (bitmap)
        bitmap->retain();
    if (m_handleBitmap)
        m_handleBitmap->release();
    m_handleBitmap = bitmap;
    if (m_handleBitmap)
        m_inset = toCoord(m_handleBitmap->getWidth() * 0.5 + 2.5);
}

void CKnob::valueToPoint(CPoint& point) const
{
    double alpha = (m_value - m_bCoef) / m_aCoef;
    double length = m_radius - m_inset;
    point.h = toCoord(m_radius + std::cos(alpha) * length + 0.5);
    point.v = toCoord(m_radius - std::sin(alpha) * length + 0.5);
}

float CKnob::valueFromPoint(CPoint& point) const
{
    double alpha = std::atan2(m_radius - point.v, point.h - m_radius);
    if (alpha < 0.0)
        alpha += kTwoPi;
    double alpha2 = alpha - m_startAngle;
    auto wrapped = [](double angle) {
        if (angle < 0.0)
            return angle + kTwoPi;
        if (angle > kTwoPi)
            return angle - kTwoPi;
        return angle;
    };
    if (m_rangeAngle < 0.0f)
    {
        alpha2 -= m_rangeAngle;
        double alpha3 = wrapped(alpha2);
        if (alpha3 > m_halfAngle - m_rangeAngle)
            return m_vmax;
        if (alpha3 > -m_rangeAngle)
            return m_vmin;
        if (alpha2 > m_halfAngle - m_rangeAngle)
            alpha2 -= kTwoPi;
        else if (alpha2 < -m_halfAngle)
            alpha2 += kTwoPi;
        return static_cast<float>(m_aCoef * alpha2 + m_vmax);
    }
    double alpha3 = wrapped(alpha2);
    if (alpha3 > m_rangeAngle + m_halfAngle)
        return m_vmin;
    if (alpha3 > m_rangeAngle)
        return m_vmax;
    if (alpha2 > m_halfAngle + m_rangeAngle)
        alpha2 -= kTwoPi;
    else if (alpha2 < -m_halfAngle)
        alpha2 += kTwoPi;
    return static_cast<float>(m_aCoef * alpha2 + m_vmin);
}

void CKnob::draw(CDrawContext* context)
{
    drawBackground(context, m_offset);
    drawHandle(context);
    setDirty(false);
}

void CKnob::drawHandle(CDrawContext* context)
{
    CPoint where;
    valueToPoint(where);
    if (m_handleBitmap)
    {
        CCoord width = m_handleBitmap->getWidth();
        CCoord height = m_handleBitmap->getHeight();
        CRect handle(0, 0, width, height);
        handle.offset(m_size.left + where.h - width / 2, m_size.top + where.v - height / 2);
        m_handleBitmap->drawTransparent(context, handle, CPoint());
        return;
    }
    CPoint origin(m_size.width() / 2, m_size.height() / 2);
    context->setLineWidth(1);
    context->setFrameColor(m_colorShadowHandle);
    context->moveTo(CPoint(m_size.left - 1 + where.h, m_size.top + where.v));
    context->lineTo(CPoint(m_size.left - 1 + origin.h, m_size.top + origin.v));
    context->setFrameColor(m_colorHandle);
    context->moveTo(CPoint(m_size.left + where.h, m_size.top - 1 + where.v));
    context->lineTo(CPoint(m_size.left + origin.h, m_size.top - 1 + origin.v));
}

CMouseEventResult CKnob::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    beginEdit();
    if (checkDefaultValue(buttons))
    {
        endEdit();
        return kMouseResultHandledNoTracking;
    }
    m_firstPoint = where;
    m_lastPoint = CPoint(-1, -1);
    m_startValue = m_oldValue;
    m_modeLinear = false;
    m_entryState = m_value;
    m_range = kLinearRange;
    m_coef = (m_vmax - m_vmin) / m_range;
    m_oldButton = buttons;

    // Only mode 2 drags linearly; Option picks the other way.
    std::int32_t mode = m_frame ? m_frame->getKnobMode() : 0;
    bool option = (buttons & kModOption) != 0;
    bool linear = mode == 2 ? !option : option;
    if (linear && (buttons & kButtonLeft))
    {
        if (buttons & getZoomModifier())
            m_range *= m_zoomFactor;
        m_modeLinear = true;
        m_coef = (m_vmax - m_vmin) / m_range;
        m_restorePoint = where;
        if (m_frame)
            where = m_frame->hideCursor(this, where);
        m_lastPoint = m_firstPoint = where;
    }
    else
    {
        if (m_frame)
            m_cursorToken = m_frame->pushCrosshairCursor();
        CPoint local(where.h - m_size.left, where.v - m_size.top);
        m_startValue = valueFromPoint(local);
    }
    return onMouseMoved(where, buttons);
}

CMouseEventResult CKnob::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultHandled;
    if (where == m_lastPoint)
        return kMouseResultHandled;
    m_lastPoint = where;

    if (m_modeLinear)
    {
        CCoord diff = (m_firstPoint.v - where.v) + (where.h - m_firstPoint.h);
        if (buttons != m_oldButton)
        {
            // The value stays where it is when the zoom changes mid-drag.
            m_range = kLinearRange;
            if (buttons & getZoomModifier())
                m_range *= m_zoomFactor;
            float newCoef = (m_vmax - m_vmin) / m_range;
            m_entryState += diff * (m_coef - newCoef);
            m_coef = newCoef;
            m_oldButton = buttons;
        }
        m_value = m_entryState + diff * m_coef;
        bounceValue();
    }
    else
    {
        float half = (m_vmax - m_vmin) * 0.5f;
        where.offset(-m_size.left, -m_size.top);
        float value = valueFromPoint(where);
        // A jump across the dead zone sticks at the end it came from.
        if (m_startValue - value > half)
            m_value = m_vmax;
        else if (value - m_startValue > half)
            m_value = m_vmin;
        else
            m_value = m_startValue = value;
    }
    if (m_value != m_oldValue && m_listener)
        m_listener->valueChanged(this);
    if (isDirty())
        invalid();
    return kMouseResultHandled;
}

CMouseEventResult CKnob::onMouseUp(CPoint&, const CButtonState&)
{
    if (m_frame)
    {
        if (m_modeLinear)
            m_frame->unhideCursorAt(this, m_restorePoint);
        else
            m_frame->popCursor(m_cursorToken);
    }
    endEdit();
    return kMouseResultHandled;
}

bool CKnob::onWheel(const CPoint&, const float& distance, const CButtonState& buttons)
{
    return wheelStep(distance, buttons);
}

CKeyResult CKnob::onKeyDown(VstKeyCode& keyCode)
{
    return arrowKeyStep(keyCode);
}

bool CKnob::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CKnob") == 0 || CControl::isTypeOf(className);
}

CView* CKnob::newCopy() const
{
    return new CKnob(*this);
}
