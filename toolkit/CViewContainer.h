#pragma once

#include <vector>

#include "toolkit/CView.h"

class COffscreenContext;

// A view holding an ordered list of children (the last drawn on top): it
// routes events to them, draws them over its background colour or bitmap,
// optionally through an offscreen cache, and resizes them by their autosize
// bits. It holds one reference of each child.
class CViewContainer : public CView
{
public:
    CViewContainer(const CRect& size, CFrame* frame, CBitmap* background = nullptr);
    CViewContainer(const CViewContainer& container);
    ~CViewContainer() override;

    std::int32_t notify(CBaseObject* sender, const char* message) override;

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    bool isDirty() const override;
    void invalidRect(const CRect& rect) override;
    void invalid() override;

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    void onMouseCancel() override;
    bool hitTest(const CPoint& where, const CButtonState& buttons = -1) override;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override;
    bool onDrop(CDragContainer* drag, const CPoint& where) override;
    void onDragEnter(CDragContainer* drag, const CPoint& where) override;
    void onDragLeave(CDragContainer* drag, const CPoint& where) override;
    void onDragMove(CDragContainer* drag, const CPoint& where) override;
    CKeyResult onKeyDown(VstKeyCode& keyCode) override;
    CKeyResult onKeyUp(VstKeyCode& keyCode) override;

    void setViewSize(const CRect& rect, bool invalidate = true) override;
    void parentSizeChanged() override;
    CPoint& frameToLocal(CPoint& point) const override;
    CPoint& localToFrame(CPoint& point) const override;
    void looseFocus() override;
    void takeFocus() override;
    bool removed(CView* parent) override;
    bool attached(CView* parent) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

    // Takes over the caller's creation reference of view; false for null or
    // an attached view.
    virtual bool addView(CView* view);
    virtual bool addView(CView* view, const CRect& mouseableArea, bool mouseEnabled = true);
    // Inserts in front of before, or in front of the last child when before
    // is not a child.
    virtual bool addView(CView* view, CView* before);
    // With release, the container's reference and the creation reference go;
    // without, the caller keeps the view with one reference.
    virtual bool removeView(CView* view, bool withRelease = true);
    virtual bool removeAll(bool withRelease = true);
    virtual bool isChild(CView* view) const;
    virtual std::int64_t getNbViews() const;
    virtual CView* getView(std::int64_t index) const;
    virtual CView* getViewAt(const CPoint& where, bool deep = false) const;
    virtual CViewContainer* getContainerAt(const CPoint& where, bool deep = true) const;

    virtual void setBackgroundColor(const CColor& color);
    const CColor& getBackgroundColor() const { return m_backgroundColor; }
    virtual void setBackgroundOffset(const CPoint& offset) { m_backgroundOffset = offset; }
    const CPoint& getBackgroundOffset() const { return m_backgroundOffset; }
    virtual void drawBackgroundRect(CDrawContext* context, const CRect& rect);
    virtual void useOffscreen(bool state);

    virtual bool advanceNextFocusView(CView* oldFocus, bool reverse = false);
    virtual bool invalidateDirtyViews();
    virtual CRect getVisibleChildRect(const CView* child, const CRect& rect) const;
    virtual bool childIntersects(CView* child, const CRect& rect) const;
    virtual bool hitTestSubViews(const CPoint& where, const CButtonState& buttons = -1);

    CView* getMouseDownView() const { return m_mouseDownView; }

protected:
    // Forgets the remembered views that are view or lie inside it.
    void forgetView(CView* view);
    // Drops the container's references of view after it left the list.
    void detachChild(CView* view, bool withRelease);
    void switchDragOverView(CDragContainer* drag, const CPoint& local);
    CView* childAt(const CPoint& local) const;

    std::vector<CView*> m_children;
    COffscreenContext* m_offscreen = nullptr;
    CColor m_backgroundColor{0, 0, 0, 255};
    CPoint m_backgroundOffset;
    bool m_useOffscreen = false;
    CView* m_dragOverView = nullptr;
    CView* m_mouseDownView = nullptr;
};
