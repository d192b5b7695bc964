#pragma once

#include <memory>
#include <vector>

#include "toolkit/CViewContainer.h"
#include "toolkit/Platform.h"

class IMouseObserver;
class VSTGUIEditorInterface;

// The top container of an editor window. It owns the platform window,
// keeps the modal, focus and mouse-over views, routes mouse, wheel and key
// events into the tree, turns invalidation into redraw requests and resizes
// the host's window. Its coordinates are the window's.
class CFrame : public CViewContainer
{
public:
    // A frame without a window, never open.
    CFrame(const CRect& size, VSTGUIEditorInterface* editor);
    // A frame in a window made inside the host's parent window; open.
    CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor);
    CFrame(const CFrame& frame);
    ~CFrame() override;

    virtual bool isOpen() const { return m_open; }
    virtual void setOpen(bool state)
    {
        m_open = state;
        m_searched = false;
    }
    // Turns the views that became dirty into redraw requests.
    virtual void idle();
    // While a control tracks the mouse: lets the editor idle (throttled).
    virtual void processIdle();
    virtual std::uint64_t getTicks() const;
    virtual std::int32_t getKnobMode() const;

    // Resizes the frame, through the host's window when the host can.
    virtual bool setSize(CCoord width, CCoord height);
    virtual bool getPosition(CRect& position) const;

    // The modal view receives every event; it is added as the last child.
    virtual bool setModalView(CView* view);
    CView* getModalView() const { return m_modalView; }

    virtual void beginEdit(std::int32_t index);
    virtual void endEdit(std::int32_t index);

    virtual bool getCurrentMouseLocation(CPoint& where) const;
    // Grows with every pointer event and every redraw request the frame
    // gets: while it stands still, the view under the pointer stays the
    // same, and nobody need ask the window system where the pointer is.
    std::uint64_t getHoverStamp() const { return m_hoverStamp; }
    virtual CButtonState getCurrentMouseButtons() const;
    virtual void setCursor(CCursorType type);

    virtual void setFocusView(CView* view);
    CView* getFocusView() const { return m_focusView; }
    CView* getMouseOverView() const { return m_mouseOverView; }
    // Forgets the remembered views that are view or lie inside it.
    virtual void onViewRemoved(CView* view);

    virtual void setDropActive(bool state);
    bool isDropActive() const { return m_dropActive; }

    // Marks dirty every child that touches rect.
    virtual void invalidate(const CRect& rect);

    IMouseObserver* getMouseObserver() const { return m_mouseObserver; }
    void setMouseObserver(IMouseObserver* observer) { m_mouseObserver = observer; }

    void scrollRect(const CRect& rect, const CPoint& distance);
    // A new context for drawing outside a paint: over the window's surface
    // when it has one, else one that draws nothing.
    CDrawContext* createDrawContext();

    // Cursor requests of a dragged control.
    bool pushCrosshairCursor();
    void popCursor(bool pop);
    // Hides the pointer and moves it to the centre of the monitor that holds
    // it, so a linear drag never meets a screen edge; answers the new
    // pointer position in view's coordinates (fallback when it is on no
    // monitor).
    CPoint hideCursor(CView* view, const CPoint& fallback);
    // Shows the pointer again at point (view's coordinates; converted to the
    // frame's in place).
    void unhideCursorAt(CView* view, CPoint& point);

    PlatformWindow* getPlatformWindow() const { return m_platformWindow.get(); }
    // For window layers: a frame made without a window gets one (a dialog),
    // or loses it (null).
    void setPlatformWindow(std::unique_ptr<PlatformWindow> window);
    void* getSystemWindow() const { return m_systemWindow; }

    // CViewContainer
    bool removeView(CView* view, bool withRelease = true) override;
    bool removeAll(bool withRelease = true) override;
    void invalidRect(const CRect& rect) override;
    void invalid() override;
    VSTGUIEditorInterface* getEditor() const override { return m_editor; }
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    // The pointer left the window.
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    // Ends the press being tracked, and the cursor changes its drag made.
    void onMouseCancel() override;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                 const CButtonState& buttons) override;
    CKeyResult onKeyDown(VstKeyCode& keyCode) override;
    CKeyResult onKeyUp(VstKeyCode& keyCode) override;
    bool advanceNextFocusView(CView* oldFocus, bool reverse = false) override;
    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;

protected:
    bool initFrame(void* systemWindow);
    void exitMouseOverView(const CPoint& where, const CButtonState& buttons);
    void applyCursor();

    VSTGUIEditorInterface* m_editor = nullptr;
    IMouseObserver* m_mouseObserver = nullptr;
    void* m_systemWindow = nullptr;
    CView* m_modalView = nullptr;
    CView* m_focusView = nullptr;
    CView* m_mouseOverView = nullptr;
    std::uint64_t m_hoverStamp = 0;
    // The button whose press began the drag of the mouse-down view.
    CButtonState m_dragButton = 0;
    // What ViewChanges counted at the last search for dirty views.
    std::uint64_t m_searchedChanges = 0;
    bool m_searched = false;
    bool m_firstDraw = true;
    bool m_open = false;
    bool m_dropActive = false;
    std::unique_ptr<PlatformWindow> m_platformWindow;
    std::vector<CCursorType> m_cursorStack;
};
