#include "editor/controls/CGraphBar.h"

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/CViewContainer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
// The top pixel row of a bar would read level 16, one past the table.
const float kHighestLevel = std::nextafter(16.0f, 0.0f);
} // namespace

CGraphBar::CGraphBar(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* segments)
    : CControl(size, listener, tag, segments),
      m_segmentHeight(segments ? segments->getHeight() / 2 : 0),
      m_segmentCount(m_segmentHeight > 0 ? size.height() / m_segmentHeight : 0),
      m_reciprocalSegmentHeight(m_segmentHeight > 0 ? 1.0f / static_cast<float>(m_segmentHeight) : 0.0f)
{
    m_monitorNumber = 0;
}

CGraphBar::CGraphBar(const CGraphBar& bar) = default;

std::int64_t CGraphBar::litSegments() const
{
    const long byte = std::lround(std::floor(255.0f * m_value + 0.5f));
    const int lit = Harmonics::gainToLevel(static_cast<unsigned char>(byte & 0xFF));
    return std::min<std::int64_t>(lit, m_segmentCount);
}

void CGraphBar::draw(CDrawContext* context)
{
    if (m_background && m_segmentHeight > 0)
    {
        const std::int64_t unlit = m_segmentCount - litSegments();
        CRect segment(m_size.left, m_size.top, m_size.right, m_size.top + m_segmentHeight);
        for (std::int64_t i = 0; i < m_segmentCount; ++i)
        {
            const CPoint source(0, i < unlit ? 0 : m_segmentHeight);
            if (m_transparency)
                m_background->drawTransparent(context, segment, source);
            else
                m_background->draw(context, segment, source);
            segment.offset(0, m_segmentHeight);
        }
    }
    setDirty(false);
}

void CGraphBar::startRange(CButtonState buttons)
{
    m_range = static_cast<float>(m_segmentHeight * m_segmentCount);
    if (buttons & kFineDrag)
        m_range *= 10.0f;
    m_step = m_range > 0.0f ? (m_vmax - m_vmin) / m_range : 0.0f;
    m_lastButtons = buttons;
}

CMouseEventResult CGraphBar::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (checkDefaultValue(buttons))
        return kMouseResultHandledNoTracking;
    beginEdit();
    m_lastPoint = CPoint(-1, -1);
    if (buttons & kModOption)
    {
        m_paintMode = true;
        m_cursorPushed = m_frame && m_frame->pushCrosshairCursor();
    }
    else
    {
        m_paintMode = false;
        m_restorePoint = where;
        if (m_frame)
            where = m_frame->hideCursor(this, where);
        m_clickPoint = where;
        m_startValue = m_value;
        startRange(0);
        // The first step takes the speed of the buttons held.
        m_lastButtons = 0;
    }
    return onMouseMoved(where, buttons);
}

CMouseEventResult CGraphBar::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (m_paintMode)
    {
        paintAt(where, buttons);
        return kMouseResultHandled;
    }
    if (!(buttons & kButtonLeft) || where == m_lastPoint)
        return kMouseResultHandled;
    m_lastPoint = where;
    const float delta = static_cast<float>(m_clickPoint.v - where.v);
    if (buttons != m_lastButtons)
    {
        // The value stays where it is when the speed changes mid-drag.
        const float oldStep = m_step;
        startRange(buttons);
        m_startValue += (oldStep - m_step) * delta;
    }
    m_value = m_startValue + delta * m_step;
    bounceValue();
    if (isDirty())
    {
        if (m_listener)
            m_listener->valueChanged(this);
        invalid();
    }
    return kMouseResultHandled;
}

void CGraphBar::paintAt(const CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return;
    CViewContainer* parent = getParentContainer();
    if (!parent)
        return;
    CPoint inParent(where);
    inParent.offset(parent->getViewSize().left, parent->getViewSize().top);
    CView* under = parent->getViewAt(inParent, false);
    if (!under)
        return;
    if (under != this)
    {
        if (under->isTypeOf("CGraphBar"))
            static_cast<CGraphBar*>(under)->paintAt(where, buttons);
        return;
    }
    if (where == m_lastPoint || m_segmentHeight <= 0)
        return;
    m_lastPoint = where;
    const CCoord bottom = getMouseableArea().height() + m_segmentHeight;
    const float level = std::clamp(static_cast<float>(bottom - where.v) * m_reciprocalSegmentHeight, 0.0f,
                                   kHighestLevel);
    const float value = Harmonics::levelToGain(level);
    if (m_value > value || !(buttons & kFineDrag))
        m_value = value;
    bounceValue();
    if (isDirty())
    {
        if (m_listener)
            m_listener->valueChanged(this);
        invalid();
    }
}

CMouseEventResult CGraphBar::onMouseUp(CPoint&, const CButtonState&)
{
    if (m_paintMode)
    {
        if (m_frame)
            m_frame->popCursor(m_cursorPushed);
        m_cursorPushed = false;
    }
    else if (m_frame)
        m_frame->unhideCursorAt(this, m_restorePoint);
    m_paintMode = false;
    tellMonitor();
    endEdit();
    return kMouseResultHandled;
}

bool CGraphBar::onWheel(const CPoint&, const float& distance, const CButtonState& buttons)
{
    if (!getMouseEnabled())
        return false;
    const float steps = (buttons & kFineWheel) ? distance * 0.1f : distance;
    m_value += steps * m_wheelInc;
    bounceValue();
    if (isDirty())
    {
        if (m_listener)
            m_listener->valueChanged(this);
        invalid();
    }
    return true;
}

bool CGraphBar::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CGraphBar") == 0 || CControl::isTypeOf(className);
}

CView* CGraphBar::newCopy() const
{
    return new CGraphBar(*this);
}
