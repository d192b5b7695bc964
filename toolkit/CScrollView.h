#pragma once

#include "toolkit/CControlListener.h"
#include "toolkit/CViewContainer.h"

class CScrollbar;
class CScrollContainer;

// A window onto a larger virtual area (the container size), with optional
// scrollbars. Views added to it go into its inner scroll container; its
// own children are only the scrollbars and that container.
class CScrollView : public CViewContainer, public CControlListener
{
public:
    // Style bits.
    enum : std::int64_t
    {
        kHorizontalScrollbar = 0x2,
        kVerticalScrollbar = 0x4,
        kDontDrawFrame = 0x8,
    };
    // The scrollbars' tags.
    enum : std::int64_t
    {
        kHSBTag = 0,
        kVSBTag = 1,
    };

    CScrollView(const CRect& size, const CRect& containerSize, CFrame* frame, std::int64_t style,
                CCoord scrollbarWidth = 16, CBitmap* background = nullptr);
    CScrollView(const CScrollView& view);

    bool addView(CView* view) override;
    bool addView(CView* view, const CRect& mouseableArea, bool mouseEnabled = true) override;
    bool addView(CView* view, CView* before) override;
    bool removeView(CView* view, bool withRelease = true) override;
    // Always releases.
    bool removeAll(bool withRelease = true) override;
    bool isChild(CView* view) const override;
    std::int64_t getNbViews() const override;
    CView* getView(std::int64_t index) const override;

    using CViewContainer::onWheel;
    // A wheel no child takes moves the scrollbar of its axis.
    bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override;
    void setViewSize(const CRect& rect, bool invalidate = true) override;
    void setTransparency(bool state) override;
    void drawBackgroundRect(CDrawContext* context, const CRect& rect) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

    // keepVisibleArea keeps the part in view where it is when the size
    // changes.
    virtual void setContainerSize(const CRect& containerSize, bool keepVisibleArea = false);
    const CRect& getContainerSize() const { return m_containerSize; }
    // Scrolls just enough to bring rect (in the visible area's coordinates)
    // into view.
    virtual void makeRectVisible(const CRect& rect);
    // From the scrollbars: scrolls to their value.
    void valueChanged(CControl* control) override;

    void setBackgroundColor(const CColor& color) override;
    const CPoint& getScrollOffset() const;
    CScrollContainer* getScrollContainer() const { return m_sc; }
    CScrollbar* getVerticalScrollbar() const { return m_vsb; }
    CScrollbar* getHorizontalScrollbar() const { return m_hsb; }
    std::int64_t getStyle() const { return m_style; }

protected:
    CScrollContainer* m_sc = nullptr;
    CScrollbar* m_vsb = nullptr;
    CScrollbar* m_hsb = nullptr;
    CRect m_containerSize;
    std::int64_t m_style;
};
