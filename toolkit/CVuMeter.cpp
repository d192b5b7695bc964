#include "toolkit/CVuMeter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/COffscreenContext.h"

CVuMeter::CVuMeter(const CRect& size, CBitmap* onBitmap, CBitmap* offBitmap, std::int64_t nbLed, std::int64_t style)
    : CControl(size, nullptr, 0, nullptr), m_onBitmap(onBitmap), m_offBitmap(offBitmap), m_nbLed(nbLed), m_style(style)
{
    if (m_onBitmap)
        m_onBitmap->retain();
    if (m_offBitmap)
        m_offBitmap->retain();
    m_rectOn = m_rectOff = CRect(size).normalize();
}

CVuMeter::CVuMeter(const CVuMeter& meter)
    : CControl(meter),
      m_onBitmap(meter.m_onBitmap),
      m_offBitmap(meter.m_offBitmap),
      m_nbLed(meter.m_nbLed),
      m_style(meter.m_style),
      m_decreaseValue(meter.m_decreaseValue),
      m_useOffscreen(meter.m_useOffscreen),
      m_rectOn(meter.m_rectOn),
      m_rectOff(meter.m_rectOff)
{
    if (m_onBitmap)
        m_onBitmap->retain();
    if (m_offBitmap)
        m_offBitmap->retain();
}

CVuMeter::~CVuMeter()
{
    dropOffscreen();
    if (m_onBitmap)
        m_onBitmap->release();
    if (m_offBitmap)
        m_offBitmap->release();
}

void CVuMeter::dropOffscreen()
{
    if (m_offscreen)
    {
        m_offscreen->release();
        m_offscreen = nullptr;
    }
}

void CVuMeter::resetRects()
{
    if (m_offscreen)
        m_rectOn = m_rectOff = CRect(0, 0, m_size.width(), m_size.height()).normalize();
    else
        m_rectOn = m_rectOff = CRect(m_size).normalize();
}

void CVuMeter::setDirty(bool state)
{
    CView::setDirty(state);
}

bool CVuMeter::attached(CView* parent)
{
    dropOffscreen();
    if (m_useOffscreen)
        m_offscreen =
            new COffscreenContext(parent ? parent->getFrame() : nullptr, m_size.width(), m_size.height(), kColorBlack);
    resetRects();
    return CControl::attached(parent);
}

bool CVuMeter::removed(CView* parent)
{
    dropOffscreen();
    return CControl::removed(parent);
}

void CVuMeter::draw(CDrawContext* context)
{
    if (!m_onBitmap)
    {
        setDirty(false);
        return;
    }
    bounceValue();
    float level = std::max<float>(m_value, m_oldValue - m_decreaseValue);
    m_oldValue = level;
    // Still falling: the next idle draws it again.
    if (level != m_value)
        ViewChanges::note();

    CDrawContext* target = context;
    CCoord originH = m_size.left;
    CCoord originV = m_size.top;
    if (m_useOffscreen)
    {
        if (!m_offscreen)
        {
            m_offscreen = new COffscreenContext(m_frame, m_size.width(), m_size.height(), kColorBlack);
            resetRects();
        }
        target = m_offscreen;
        originH = originV = 0;
    }

    // Whole LEDs only; a meter without any shows the level as it is.
    auto quantised = [this](double part) { return m_nbLed > 0 ? std::trunc(part * m_nbLed + 0.5) / m_nbLed : part; };
    if (m_style & kHorizontal)
    {
        CCoord x = toCoord(quantised(level) * m_onBitmap->getWidth());
        m_rectOff.left = m_rectOn.right = x + originH;
        if (m_offBitmap)
            drawOne(target, m_offBitmap, m_rectOff, CPoint(x, 0));
        drawOne(target, m_onBitmap, m_rectOn, CPoint(0, 0));
    }
    else
    {
        CCoord y = toCoord(quantised(static_cast<double>(getMax()) - level) * m_onBitmap->getHeight());
        m_rectOff.bottom = m_rectOn.top = y + originV;
        if (m_offBitmap)
            drawOne(target, m_offBitmap, m_rectOff, CPoint(0, 0));
        drawOne(target, m_onBitmap, m_rectOn, CPoint(0, y));
    }
    if (target != context)
        m_offscreen->copyFrom(context, m_size, CPoint());
    setDirty(false);
}

void CVuMeter::drawOne(CDrawContext* context, CBitmap* bitmap, const CRect& rect, const CPoint& source)
{
    if (m_transparency)
        bitmap->drawTransparent(context, rect, source);
    else
        bitmap->draw(context, rect, source);
}

bool CVuMeter::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CVuMeter") == 0 || CControl::isTypeOf(className);
}

CView* CVuMeter::newCopy() const
{
    return new CVuMeter(*this);
}
