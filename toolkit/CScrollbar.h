#pragma once

#include "toolkit/CControl.h"

class CVSTGUITimer;
class IScrollbarDrawer;

// A bar with a scroller whose length shows how much of scrollSize is in
// view; the value, 0 to 1, is the scroller's place. Dragging the scroller
// moves it; holding the mouse beside it pages towards the mouse, at once,
// after 250 ms and then every 80 ms.
class CScrollbar : public CControl
{
public:
    enum : std::int32_t
    {
        kHorizontal = 0,
        kVertical = 1,
    };

    CScrollbar(const CRect& size, CControlListener* listener, std::int64_t tag, std::int32_t direction,
               const CRect& scrollSize);
    // The copy does not page.
    CScrollbar(const CScrollbar& scrollbar);
    ~CScrollbar() override;

    // Not owned.
    virtual void setDrawer(IScrollbarDrawer* drawer) { m_drawer = drawer; }
    virtual void setScrollSize(const CRect& scrollSize);
    const CRect& getScrollSize() const { return m_scrollSize; }
    virtual void setStepValue(float value) { m_stepValue = value; }
    float getStepValue() const { return m_stepValue; }
    virtual void setFrameColor(const CColor& color) { m_frameColor = color; }
    virtual void setScrollerColor(const CColor& color) { m_scrollerColor = color; }
    virtual void setBackgroundColor(const CColor& color) { m_backgroundColor = color; }
    const CColor& getFrameColor() const { return m_frameColor; }
    const CColor& getScrollerColor() const { return m_scrollerColor; }
    const CColor& getBackgroundColor() const { return m_backgroundColor; }

    std::int32_t getDirection() const { return m_direction; }
    // 0 when everything is in view.
    CCoord getScrollerLength() const { return m_scrollerLength; }
    const CRect& getScrollerArea() const { return m_scrollerArea; }
    CRect getScrollerRect() const;

    void draw(CDrawContext* context) override;
    void setViewSize(const CRect& rect, bool invalidate = true) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override;
    std::int32_t notify(CBaseObject* sender, const char* message) override;
    bool removed(CView* parent) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    void calculateScrollerLength();
    // One page towards the mouse.
    void doStepping();
    void stopPaging();

    std::int32_t m_direction;
    CRect m_scrollSize;
    CRect m_scrollerArea;
    float m_stepValue = 0.1f;
    CCoord m_scrollerLength = 0;
    CColor m_frameColor = kColorBlack;
    CColor m_scrollerColor = kColorBlue;
    CColor m_backgroundColor{255, 255, 255, 200};
    IScrollbarDrawer* m_drawer = nullptr;
    CVSTGUITimer* m_timer = nullptr;
    CPoint m_startPoint;
    CRect m_scrollerRect;
    bool m_scrolling = false;
};
