#include "editor/controls/CAnimKnobHoriz.h"

#include <algorithm>
#include <cmath>
#include <cstring>

CAnimKnobHoriz::CAnimKnobHoriz(const CRect& size, CControlListener* listener, std::int64_t tag, std::int64_t frames,
                               CCoord frameWidth, CBitmap* background, const CPoint& offset)
    : CKnob(size, listener, tag, background, nullptr, offset), m_frames(frames), m_frameWidth(frameWidth)
{
}

void CAnimKnobHoriz::draw(CDrawContext* context)
{
    CCoord frame = 0;
    if (m_frameWidth != 0 && m_value > 0.0f && m_frames > 1)
        frame = std::clamp<CCoord>(static_cast<CCoord>(std::floor(std::min<float>(m_value, 1.0f) * (m_frames - 1))), 0,
                                   m_frames - 1);
    drawBackground(context, CPoint(frame * m_frameWidth, 0));
    setDirty(false);
}

bool CAnimKnobHoriz::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CAnimKnobHoriz") == 0 || CKnob::isTypeOf(className);
}
