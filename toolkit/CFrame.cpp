#include "toolkit/CFrame.h"

#include <cstring>

#include "toolkit/CDrawContext.h"
#include "toolkit/Clock.h"
#include "toolkit/IMouseObserver.h"
#include "toolkit/SharedPointer.h"
#include "toolkit/VSTGUIEditorInterface.h"

namespace
{
constexpr CButtonState kAllButtons = kButtonLeft | kButtonMiddle | kButtonRight | kButton4 | kButton5;

// Stops a focus change from starting another one (a view losing the focus
// may try to move it), across all frames as the views may be shared.
bool focusChangeRunning = false;

class FocusChangeGuard
{
public:
    FocusChangeGuard() { focusChangeRunning = true; }
    ~FocusChangeGuard() { focusChangeRunning = false; }
    FocusChangeGuard(const FocusChangeGuard&) = delete;
    FocusChangeGuard& operator=(const FocusChangeGuard&) = delete;
};

bool isContainer(CView* view)
{
    return view->notify(nullptr, kMsgCheckIfViewContainer) == 1;
}

bool isSameOrInside(CView* candidate, CView* view)
{
    for (CView* v = candidate; v; v = v->getParentView())
        if (v == view)
            return true;
    return false;
}
} // namespace

CFrame::CFrame(const CRect& size, VSTGUIEditorInterface* editor) : CViewContainer(size, this, nullptr), m_editor(editor)
{
    m_attached = true;
}

CFrame::CFrame(const CRect& size, void* systemWindow, VSTGUIEditorInterface* editor)
    : CViewContainer(size, this, nullptr), m_editor(editor)
{
    m_attached = true;
    m_open = initFrame(systemWindow);
}

CFrame::CFrame(const CFrame& frame)
    : CViewContainer(frame), m_editor(frame.m_editor), m_mouseObserver(frame.m_mouseObserver)
{
    m_frame = this;
    m_attached = true;
    for (CView* child : m_children)
        child->attached(this);
}

CFrame::~CFrame()
{
    // A press still held when the frame goes gets no release.
    CFrame::onMouseCancel();
    if (m_modalView)
    {
        CView* modal = m_modalView;
        m_modalView = nullptr;
        CViewContainer::removeView(modal, false);
    }
    if (m_platformWindow)
        m_platformWindow->setCursor(kCursorDefault);
    m_dropActive = false;
    m_focusView = nullptr;
    m_mouseOverView = nullptr;
    CFrame::removeAll(true);
    m_platformWindow.reset();
    m_frame = nullptr;
}

bool CFrame::initFrame(void* systemWindow)
{
    if (!systemWindow)
        return false;
    m_systemWindow = systemWindow;
    m_platformWindow = Platform::createWindow(*this, systemWindow, m_size);
    if (!m_platformWindow)
        return false;
    m_size.moveTo(0, 0);
    m_mouseableArea = m_size;
    setDropActive(true);
    return true;
}

void CFrame::setPlatformWindow(std::unique_ptr<PlatformWindow> window)
{
    m_platformWindow = std::move(window);
    m_open = m_platformWindow != nullptr;
    m_searched = false;
}

bool CFrame::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CFrame") == 0 || CViewContainer::isTypeOf(className);
}

CView* CFrame::newCopy() const
{
    return new CFrame(*this);
}

// --- Idle, time, host ----------------------------------------------------------------

void CFrame::idle()
{
    if (!m_open)
        return;
    // Nothing a view's dirtiness reads was written since the last search:
    // there is nothing new to find.
    const std::uint64_t changes = ViewChanges::count();
    if (m_searched && changes == m_searchedChanges)
        return;
    m_searchedChanges = changes;
    m_searched = true;
    invalidateDirtyViews();
}

void CFrame::processIdle()
{
    if (m_editor)
        m_editor->processIdle();
}

std::uint64_t CFrame::getTicks() const
{
    return Clock::now();
}

std::int32_t CFrame::getKnobMode() const
{
    return m_editor ? m_editor->getKnobMode() : 0;
}

void CFrame::beginEdit(std::int32_t index)
{
    if (m_editor)
        m_editor->beginEdit(index);
}

void CFrame::endEdit(std::int32_t index)
{
    if (m_editor)
        m_editor->endEdit(index);
}

bool CFrame::setSize(CCoord width, CCoord height)
{
    if (!m_open || (width == m_size.width() && height == m_size.height()))
        return false;
    CRect newSize(m_size.left, m_size.top, m_size.left + width, m_size.top + height);
    if (m_editor)
        m_editor->sizeHostWindow(width, height);
    // A child window does not follow its parent's size by itself, whether
    // or not the host resized its own.
    if (m_platformWindow)
    {
        CRect bounds = m_platformWindow->getBounds();
        bounds.setWidth(width);
        bounds.setHeight(height);
        m_platformWindow->setBounds(bounds);
    }
    setViewSize(newSize, true);
    m_mouseableArea = m_size;
    return true;
}

bool CFrame::getPosition(CRect& position) const
{
    if (!m_open)
        return false;
    position = m_platformWindow ? m_platformWindow->getBounds() : m_size;
    return true;
}

// --- Views the frame remembers ---------------------------------------------------------

bool CFrame::setModalView(CView* view)
{
    if (!view)
    {
        if (CView* modal = m_modalView)
        {
            m_modalView = nullptr;
            CViewContainer::removeView(modal, false);
        }
        return true;
    }
    if (m_modalView || view->isAttached())
        return false;
    m_modalView = view;
    if (!addView(view))
    {
        m_modalView = nullptr;
        return false;
    }
    return true;
}

void CFrame::setFocusView(CView* view)
{
    if (view == m_focusView || focusChangeRunning)
        return;
    FocusChangeGuard guard;
    SharedPointer<CView> old(m_focusView);
    m_focusView = view;
    auto notifyAncestors = [this](CView* v, const char* message) {
        for (CView* parent = v->getParentView(); parent && parent != this; parent = parent->getParentView())
            parent->notify(v, message);
    };
    if (view && view->getWantsFocus())
    {
        view->setDirty(true);
        notifyAncestors(view, kMsgNewFocusView);
    }
    if (old)
    {
        if (old->getWantsFocus())
        {
            old->setDirty(true);
            notifyAncestors(old.get(), kMsgOldFocusView);
        }
        old->looseFocus();
    }
}

void CFrame::onViewRemoved(CView* view)
{
    ++m_hoverStamp;
    if (isSameOrInside(m_mouseOverView, view))
        m_mouseOverView = nullptr;
    if (isSameOrInside(m_focusView, view))
        m_focusView = nullptr;
    if (m_mouseObserver)
        m_mouseObserver->onViewRemoved(view, this);
}

bool CFrame::removeView(CView* view, bool withRelease)
{
    if (view && view == m_modalView)
        m_modalView = nullptr;
    return CViewContainer::removeView(view, withRelease);
}

bool CFrame::removeAll(bool withRelease)
{
    // The modal view's first reference stays with whoever set it, as when
    // it is cleared.
    if (CView* modal = m_modalView)
    {
        m_modalView = nullptr;
        CViewContainer::removeView(modal, false);
    }
    m_focusView = nullptr;
    m_mouseOverView = nullptr;
    return CViewContainer::removeAll(withRelease);
}

void CFrame::setDropActive(bool state)
{
    m_dropActive = state;
    if (m_platformWindow)
        m_platformWindow->setDropTarget(state);
}

// --- Invalidation and drawing -------------------------------------------------------------

void CFrame::invalidate(const CRect& rect)
{
    for (CView* child : m_children)
        if (child->getViewSize().rectOverlap(rect))
            child->setDirty(true);
}

void CFrame::invalidRect(const CRect& rect)
{
    ++m_hoverStamp;
    if (m_visible && m_platformWindow)
        m_platformWindow->invalidRect(rect);
}

void CFrame::invalid()
{
    invalidRect(m_size);
    m_dirty = false;
}

void CFrame::scrollRect(const CRect& rect, const CPoint& distance)
{
    if (!m_platformWindow)
    {
        invalidRect(rect);
        return;
    }
    m_platformWindow->scrollPixels(rect, distance);
    if (distance.h > 0)
        invalidRect(CRect(rect.left, rect.top, rect.left + distance.h, rect.bottom));
    else if (distance.h < 0)
        invalidRect(CRect(rect.right + distance.h, rect.top, rect.right, rect.bottom));
    if (distance.v > 0)
        invalidRect(CRect(rect.left, rect.top, rect.right, rect.top + distance.v));
    else if (distance.v < 0)
        invalidRect(CRect(rect.left, rect.bottom + distance.v, rect.right, rect.bottom));
}

CDrawContext* CFrame::createDrawContext()
{
    cairo_t* cairo = nullptr;
    if (m_platformWindow)
        if (cairo_surface_t* surface = m_platformWindow->getSurface())
            cairo = cairo_create(surface);
    auto* context = new CDrawContext(this, cairo);
    if (cairo)
        cairo_destroy(cairo);
    return context;
}

void CFrame::draw(CDrawContext* context)
{
    drawRect(context, m_size);
}

void CFrame::drawRect(CDrawContext* context, const CRect& updateRect)
{
    m_firstDraw = false;
    SharedPointer<CDrawContext> target =
        context ? SharedPointer<CDrawContext>(context) : SharedPointer<CDrawContext>::adopt(createDrawContext());
    CRect savedClip;
    target->getClipRect(savedClip);
    CRect clip(savedClip);
    clip.bound(updateRect);
    target->setClipRect(clip);
    if (updateRect.width() > 0 && updateRect.height() > 0)
        CViewContainer::drawRect(target.get(), updateRect);
    target->setClipRect(savedClip);
}

// --- Pointer -------------------------------------------------------------------------------

bool CFrame::getCurrentMouseLocation(CPoint& where) const
{
    return m_platformWindow && m_platformWindow->getMouseLocation(where);
}

CButtonState CFrame::getCurrentMouseButtons() const
{
    if (!m_platformWindow)
        return 0;
    CButtonState buttons = m_platformWindow->getMouseButtons();
    // The one-button mouse's right click.
    if ((buttons & kButtonLeft) && (buttons & kModControl))
        buttons = (buttons & ~(kButtonLeft | kModControl)) | kButtonRight;
    return buttons;
}

void CFrame::setCursor(CCursorType type)
{
    if (m_platformWindow)
        m_platformWindow->setCursor(type);
}

void CFrame::applyCursor()
{
    setCursor(m_cursorStack.empty() ? kCursorDefault : m_cursorStack.back());
}

bool CFrame::pushCrosshairCursor()
{
    m_cursorStack.push_back(kCursorCrosshair);
    applyCursor();
    return true;
}

void CFrame::popCursor(bool pop)
{
    if (!pop)
        return;
    if (!m_cursorStack.empty())
        m_cursorStack.pop_back();
    applyCursor();
}

CPoint CFrame::hideCursor(CView* view, const CPoint& fallback)
{
    if (!m_platformWindow)
        return fallback;
    ++m_hoverStamp;
    m_platformWindow->setPointerHidden(true);
    CPoint screenMouse;
    if (!m_platformWindow->getScreenMouseLocation(screenMouse))
        return fallback;
    for (const CRect& screen : m_platformWindow->getScreens())
    {
        if (!screen.pointInside(screenMouse))
            continue;
        m_platformWindow->warpPointer(
            CPoint(screen.left + screen.width() / 2, screen.top + screen.height() / 2));
        CPoint where;
        if (!getCurrentMouseLocation(where))
            return fallback;
        if (view)
            view->frameToLocal(where);
        return where;
    }
    return fallback;
}

void CFrame::unhideCursorAt(CView* view, CPoint& point)
{
    if (!m_platformWindow)
        return;
    ++m_hoverStamp;
    m_platformWindow->setPointerHidden(false);
    if (view)
        view->localToFrame(point);
    m_platformWindow->warpPointer(m_platformWindow->frameToScreen(point));
}

// --- Events --------------------------------------------------------------------------------

void CFrame::exitMouseOverView(const CPoint& where, const CButtonState& buttons)
{
    if (!m_mouseOverView)
        return;
    SharedPointer<CView> old(m_mouseOverView);
    m_mouseOverView = nullptr;
    CPoint local(where);
    old->frameToLocal(local);
    old->onMouseExited(local, buttons);
    if (m_mouseObserver)
        m_mouseObserver->onMouseExited(old.get(), this);
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    ++m_hoverStamp;
    // A drag belongs to the button that began it: another button pressed
    // meanwhile reaches no view, so none begins an edit that no release
    // would end.
    if (m_mouseDownView)
        return kMouseResultHandled;
    m_dragButton = buttons & kAllButtons;
    // A click anywhere ends text editing.
    if (m_focusView)
        setFocusView(nullptr);
    exitMouseOverView(where, buttons);
    if (m_mouseObserver)
        m_mouseObserver->onMouseDown(this, where);
    if (m_modalView)
    {
        SharedPointer<CView> modal(m_modalView);
        CPoint local(where);
        if (!modal->hitTest(local, buttons) || modal->onMouseDown(local, buttons) != kMouseResultHandled)
            return kMouseResultNotHandled;
        if (m_modalView == modal.get())
            m_mouseDownView = modal.get();
        return kMouseResultHandled;
    }
    return CViewContainer::onMouseDown(where, buttons);
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    ++m_hoverStamp;
    // Only the drag's own button ends it; a release naming no button does.
    if (m_mouseDownView && m_dragButton && (buttons & kAllButtons) && !(buttons & m_dragButton))
        return kMouseResultHandled;
    return CViewContainer::onMouseUp(where, buttons);
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const CButtonState& held)
{
    ++m_hoverStamp;
    // The dragged view sees its own button held, not the others.
    CButtonState buttons = held;
    if (m_mouseDownView && m_dragButton)
        buttons &= ~(kAllButtons & ~m_dragButton);
    if (m_mouseObserver)
        m_mouseObserver->onMouseMoved(this, where);
    if (m_modalView)
    {
        SharedPointer<CView> modal(m_modalView);
        CPoint local(where);
        return modal->onMouseMoved(local, buttons);
    }
    CMouseEventResult result = CViewContainer::onMouseMoved(where, buttons);
    if (result != kMouseResultNotHandled)
        return result;

    CView* view = getViewAt(where, true);
    if (view != m_mouseOverView)
    {
        exitMouseOverView(where, buttons);
        if (!view)
            return kMouseResultHandled;
        SharedPointer<CView> entered(view);
        CPoint local(where);
        view->frameToLocal(local);
        view->onMouseEntered(local, buttons);
        // A view that left the tree meanwhile is not remembered.
        if (view->isAttached() && view->getFrame() == this)
            m_mouseOverView = view;
        if (m_mouseObserver)
            m_mouseObserver->onMouseEntered(view, this);
        return kMouseResultHandled;
    }
    if (view)
    {
        SharedPointer<CView> over(view);
        CPoint local(where);
        view->frameToLocal(local);
        return view->onMouseMoved(local, 0);
    }
    return result;
}

CMouseEventResult CFrame::onMouseExited(CPoint& where, const CButtonState& buttons)
{
    ++m_hoverStamp;
    exitMouseOverView(where, buttons);
    return kMouseResultHandled;
}

void CFrame::onMouseCancel()
{
    ++m_hoverStamp;
    if (!m_mouseDownView)
        return;
    CViewContainer::onMouseCancel();
    m_cursorStack.clear();
    applyCursor();
    if (m_platformWindow)
        m_platformWindow->setPointerHidden(false);
}

bool CFrame::onWheel(const CPoint& where, const float& distance, const CButtonState& buttons)
{
    return onWheel(where, kWheelAxisY, distance, buttons);
}

bool CFrame::onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                     const CButtonState& buttons)
{
    ++m_hoverStamp;
    // A held button owns the pointer: the wheel must not move another view.
    if (m_mouseDownView)
        return false;
    CView* target = m_modalView ? m_modalView : getViewAt(where, false);
    if (!target)
        return false;
    SharedPointer<CView> guard(target);
    return target->onWheel(where, axis, distance, buttons);
}

CKeyResult CFrame::onKeyDown(VstKeyCode& keyCode)
{
    if (m_focusView)
    {
        SharedPointer<CView> focus(m_focusView);
        CKeyResult result = focus->onKeyDown(keyCode);
        if (result != kKeyNotHandled)
            return result;
    }
    if (m_modalView)
    {
        SharedPointer<CView> modal(m_modalView);
        CKeyResult result = modal->onKeyDown(keyCode);
        if (result != kKeyNotHandled)
            return result;
    }
    if (keyCode.virt == VKEY_TAB)
        return advanceNextFocusView(m_focusView, (keyCode.modifier & kKeyModShift) != 0) ? kKeyHandled
                                                                                          : kKeyNotHandled;
    return kKeyNotHandled;
}

CKeyResult CFrame::onKeyUp(VstKeyCode& keyCode)
{
    if (m_focusView)
    {
        SharedPointer<CView> focus(m_focusView);
        CKeyResult result = focus->onKeyUp(keyCode);
        if (result != kKeyNotHandled)
            return result;
    }
    if (m_modalView)
    {
        SharedPointer<CView> modal(m_modalView);
        return modal->onKeyUp(keyCode);
    }
    return kKeyNotHandled;
}

bool CFrame::advanceNextFocusView(CView* oldFocus, bool reverse)
{
    if (m_modalView)
    {
        if (isContainer(m_modalView))
            return static_cast<CViewContainer*>(m_modalView)->advanceNextFocusView(oldFocus, reverse);
        if (oldFocus == m_modalView)
            return false;
        setFocusView(m_modalView);
        return true;
    }
    if (!oldFocus)
    {
        oldFocus = m_focusView;
        if (!oldFocus)
            return CViewContainer::advanceNextFocusView(nullptr, reverse);
    }
    if (isChild(oldFocus))
    {
        if (CViewContainer::advanceNextFocusView(oldFocus, reverse))
            return true;
        setFocusView(nullptr);
        return false;
    }
    // Up through the containers that hold the old focus, each walked on
    // from the child that led to it; the frame itself ends the walk.
    CView* previous = oldFocus;
    for (CView* parent = oldFocus->getParentView(); parent && isContainer(parent); parent = parent->getParentView())
    {
        if (static_cast<CViewContainer*>(parent)->advanceNextFocusView(previous, reverse))
            return true;
        previous = parent;
    }
    return CViewContainer::advanceNextFocusView(oldFocus, reverse);
}
