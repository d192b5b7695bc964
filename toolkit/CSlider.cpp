#include "toolkit/CSlider.h"

#include <algorithm>
#include <cstring>

#include "toolkit/CBitmap.h"

CSlider::CSlider(const CRect& size, CControlListener* listener, std::int64_t tag, const CPoint& offsetHandle,
                 CCoord rangeHandle, CBitmap* handle, CBitmap* background, const CPoint& offset, std::int64_t style)
    : CControl(size, listener, tag, background),
      m_offset(offset),
      m_offsetHandle(offsetHandle),
      m_handle(handle),
      m_style(style),
      m_rangeHandle(rangeHandle),
      m_widthControl(size.width()),
      m_heightControl(size.height())
{
    if (m_handle)
    {
        m_handle->retain();
        m_widthOfSlider = m_handle->getWidth();
        m_heightOfSlider = m_handle->getHeight();
    }
    m_rangeHandle -= isHorizontal() ? m_widthOfSlider : m_heightOfSlider;
    computeLimits();
    setWantsFocus(true);
}

CSlider::CSlider(const CRect& size, CControlListener* listener, std::int64_t tag, CCoord minPos, CCoord maxPos,
                 CBitmap* handle, CBitmap* background, const CPoint& offset, std::int64_t style)
    : CControl(size, listener, tag, background),
      m_offset(offset),
      m_handle(handle),
      m_style(style),
      m_rangeHandle(maxPos - minPos),
      m_minPos(minPos - (isHorizontal() ? size.left : size.top)),
      m_widthControl(size.width()),
      m_heightControl(size.height())
{
    if (m_handle)
    {
        m_handle->retain();
        m_widthOfSlider = m_handle->getWidth();
        m_heightOfSlider = m_handle->getHeight();
    }
    computeLimits();
    setWantsFocus(true);
}

CSlider::CSlider(const CSlider& slider)
    : CControl(slider),
      m_offset(slider.m_offset),
      m_offsetHandle(slider.m_offsetHandle),
      m_handle(slider.m_handle),
      m_style(slider.m_style),
      m_widthOfSlider(slider.m_widthOfSlider),
      m_heightOfSlider(slider.m_heightOfSlider),
      m_rangeHandle(slider.m_rangeHandle),
      m_minTmp(slider.m_minTmp),
      m_maxTmp(slider.m_maxTmp),
      m_minPos(slider.m_minPos),
      m_widthControl(slider.m_widthControl),
      m_heightControl(slider.m_heightControl),
      m_zoomFactor(slider.m_zoomFactor),
      m_drawTransparentHandle(slider.m_drawTransparentHandle),
      m_freeClick(slider.m_freeClick)
{
    if (m_handle)
        m_handle->retain();
}

CSlider::~CSlider()
{
    if (m_handle)
        m_handle->release();
}

void CSlider::computeLimits()
{
    if (isHorizontal())
    {
        m_minTmp = m_offsetHandle.h + m_minPos;
        m_maxTmp = m_minTmp + m_rangeHandle + m_widthOfSlider;
    }
    else
    {
        m_minTmp = m_offsetHandle.v + m_minPos;
        m_maxTmp = m_minTmp + m_rangeHandle + m_heightOfSlider;
    }
}

void CSlider::setOffsetHandle(const CPoint& offset)
{
    m_offsetHandle = offset;
    computeLimits();
}

void CSlider::setHandle(CBitmap* handle)
{
    if (handle)
        handle->retain();
    if (m_handle)
        m_handle->release();
    m_handle = handle;
    if (m_handle)
    {
        m_widthOfSlider = m_handle->getWidth();
        m_heightOfSlider = m_handle->getHeight();
    }
}

CRect CSlider::handleRect() const
{
    float fValue = (m_style & (kLeft | kTop)) ? float(m_value) : 1.0f - m_value;
    CCoord travel = static_cast<std::int32_t>(std::clamp(fValue * static_cast<double>(m_rangeHandle), -2e9, 2e9));
    CRect rect;
    if (isHorizontal())
    {
        rect.top = m_offsetHandle.v;
        rect.bottom = rect.top + m_heightOfSlider;
        rect.left = std::max(m_offsetHandle.h + travel, m_minTmp);
        rect.right = std::min(rect.left + m_widthOfSlider, m_maxTmp);
    }
    else
    {
        rect.left = m_offsetHandle.h;
        rect.right = rect.left + m_widthOfSlider;
        rect.top = std::max(m_offsetHandle.v + travel, m_minTmp);
        rect.bottom = std::min(rect.top + m_heightOfSlider, m_maxTmp);
    }
    return rect;
}

void CSlider::draw(CDrawContext* context)
{
    CRect back(m_size.left, m_size.top, m_size.left + m_widthControl, m_size.top + m_heightControl);
    drawBackground(context, m_offset, back);
    if (m_handle)
    {
        CRect handle = handleRect();
        handle.offset(m_size.left, m_size.top);
        if (m_drawTransparentHandle)
            m_handle->drawTransparent(context, handle, CPoint());
        else
            m_handle->draw(context, handle, CPoint());
    }
    setDirty(false);
}

CMouseEventResult CSlider::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    bool horizontal = isHorizontal();
    m_delta = horizontal ? m_size.left + m_offsetHandle.h : m_size.top + m_offsetHandle.v;
    if (m_freeClick)
        m_delta += (horizontal ? m_widthOfSlider : m_heightOfSlider) / 2 - 1;
    else
    {
        CRect handle = handleRect();
        handle.offset(m_size.left, m_size.top);
        if (!where.isInside(handle))
            return kMouseResultNotHandled;
        // Dragging continues from where the handle was caught.
        m_delta += horizontal ? where.h - handle.left : where.v - handle.top;
    }
    m_oldVal = m_vmin - 1.0f;
    m_oldButton = buttons;
    beginEdit();
    if (checkDefaultValue(buttons))
    {
        endEdit();
        return kMouseResultHandledNoTracking;
    }
    if (buttons & getZoomModifier())
        return kMouseResultHandled;
    return onMouseMoved(where, buttons);
}

CMouseEventResult CSlider::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultHandled;
    float normOld = (m_value - m_vmin) / (m_vmax - m_vmin);
    bool zoom = (buttons & getZoomModifier()) != 0;
    if (m_oldVal == m_vmin - 1.0f)
        m_oldVal = normOld;
    if (buttons != m_oldButton && zoom)
    {
        m_oldVal = normOld;
        m_oldButton = buttons;
    }
    else if (!zoom)
        m_oldVal = normOld;

    CCoord along = isHorizontal() ? where.h : where.v;
    float normValue = m_rangeHandle != 0 ? static_cast<float>(along - m_delta) / m_rangeHandle : 0.0f;
    if (m_style & (kRight | kBottom))
        normValue = 1.0f - normValue;
    if (zoom)
        normValue = m_oldVal + (normValue - m_oldVal) / m_zoomFactor;
    m_value = m_vmin + (m_vmax - m_vmin) * normValue;
    bounceValue();
    if (isDirty() && m_listener)
        m_listener->valueChanged(this);
    if (isDirty())
        invalid();
    return kMouseResultHandled;
}

CMouseEventResult CSlider::onMouseUp(CPoint&, const CButtonState&)
{
    endEdit();
    return kMouseResultHandled;
}

bool CSlider::onWheel(const CPoint&, const float& distance, const CButtonState& buttons)
{
    return wheelStep(distance, buttons);
}

CKeyResult CSlider::onKeyDown(VstKeyCode& keyCode)
{
    return arrowKeyStep(keyCode);
}

void CSlider::setViewSize(const CRect& rect, bool invalidate)
{
    CRect old = m_size;
    CControl::setViewSize(rect, invalidate);
    if (isHorizontal())
    {
        m_minPos += rect.left - old.left;
        m_rangeHandle += rect.width() - old.width();
    }
    else
    {
        m_minPos += rect.top - old.top;
        m_rangeHandle += rect.height() - old.height();
    }
    m_widthControl = rect.width();
    m_heightControl = rect.height();
    computeLimits();
}

bool CSlider::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CSlider") == 0 || CControl::isTypeOf(className);
}

CView* CSlider::newCopy() const
{
    return new CSlider(*this);
}
