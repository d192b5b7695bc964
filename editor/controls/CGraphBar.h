#pragma once

#include "dsp/Harmonics.h"
#include "editor/controls/MonitoredControl.h"
#include "toolkit/CControl.h"

// One column of light segments that shows and edits a harmonic level on
// the engine's 16-step scale, counted from the bottom. An Option drag
// paints levels across the neighbouring bars of the same container.
class CGraphBar : public CControl, public MonitoredControl
{
public:
    // The image holds an unlit segment in its top half, a lit one below.
    CGraphBar(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* segments);
    CGraphBar(const CGraphBar& bar);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    using CControl::onWheel;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;
    // where is in the container's coordinates; a point over another bar is
    // painted by that bar.
    virtual void paintAt(const CPoint& where, const CButtonState& buttons);

    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

    std::int64_t getSegmentCount() const { return m_segmentCount; }
    // The segments lit for the value.
    std::int64_t litSegments() const;

private:
    // Finer dragging and wheeling, and painting that only lowers.
    static constexpr CButtonState kFineDrag = kButtonRight | kModShift;
    static constexpr CButtonState kFineWheel = kButtonMiddle | kModShift;

    void startRange(CButtonState buttons);

    CCoord m_segmentHeight;
    std::int64_t m_segmentCount;
    float m_reciprocalSegmentHeight;
    bool m_paintMode = false;
    CPoint m_lastPoint{-1, -1};
    CPoint m_clickPoint;
    CPoint m_restorePoint;
    float m_startValue = 0.0f;
    float m_range = 1.0f;
    float m_step = 0.0f;
    CButtonState m_lastButtons = 0;
    bool m_cursorPushed = false;
};
