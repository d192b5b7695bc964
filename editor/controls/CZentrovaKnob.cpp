#include "editor/controls/CZentrovaKnob.h"

#include <algorithm>
#include <cstring>

CZentrovaKnob::CZentrovaKnob(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames,
                             CCoord heightOfOneFrame, CBitmap* background, const CPoint& offset)
    : CAnimKnob(size, listener, tag, frames, heightOfOneFrame, background, offset),
      m_lastFrame(static_cast<float>(std::max<std::int64_t>(frames - 1, 0)))
{
}

CCoord CZentrovaKnob::frameOf(float value) const
{
    if (!(value > 0.0f))
        return 0;
    const double frame = std::min(value, 1.0f) * static_cast<double>(m_lastFrame) + 0.5;
    return std::clamp<CCoord>(static_cast<CCoord>(frame), 0, static_cast<CCoord>(m_lastFrame));
}

void CZentrovaKnob::draw(CDrawContext* context)
{
    drawBackground(context, CPoint(0, frameOf(m_value) * m_heightOfOneImage));
    setDirty(false);
}

bool CZentrovaKnob::isDirty() const
{
    return m_dirty || frameOf(m_value) != frameOf(m_oldValue);
}

CMouseEventResult CZentrovaKnob::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    tellMonitor();
    return CAnimKnob::onMouseDown(where, buttons);
}

CMouseEventResult CZentrovaKnob::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    CMouseEventResult result = CAnimKnob::onMouseUp(where, buttons);
    tellMonitor();
    return result;
}

void CZentrovaKnob::getMidiEditRect(CRect& rect) const
{
    midiEditRectOver(m_size, rect);
}

bool CZentrovaKnob::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CZentrovaKnob") == 0 || CAnimKnob::isTypeOf(className);
}
