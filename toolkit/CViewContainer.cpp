#include "toolkit/CViewContainer.h"

#include <algorithm>
#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/COffscreenContext.h"
#include "toolkit/SharedPointer.h"

namespace
{
// The children as they were when a walk began, each kept alive until the
// walk ends, so that a child may change the list while it is called.
class ChildSnapshot
{
public:
    explicit ChildSnapshot(const std::vector<CView*>& children) : m_views(children)
    {
        for (CView* view : m_views)
            view->retain();
    }
    ~ChildSnapshot()
    {
        for (CView* view : m_views)
            view->release();
    }
    ChildSnapshot(const ChildSnapshot&) = delete;
    ChildSnapshot& operator=(const ChildSnapshot&) = delete;

    std::vector<CView*>::const_iterator begin() const { return m_views.begin(); }
    std::vector<CView*>::const_iterator end() const { return m_views.end(); }

private:
    std::vector<CView*> m_views;
};

bool isContainer(CView* view)
{
    return view->notify(nullptr, kMsgCheckIfViewContainer) == 1;
}

bool hasPositiveArea(const CRect& rect)
{
    return rect.width() > 0 && rect.height() > 0;
}
} // namespace

CViewContainer::CViewContainer(const CRect& size, CFrame* frame, CBitmap* background) : CView(size)
{
    m_frame = frame;
    setBackground(background);
    m_dirty = false;
}

CViewContainer::CViewContainer(const CViewContainer& container)
    : CView(container),
      m_backgroundColor(container.m_backgroundColor),
      m_backgroundOffset(container.m_backgroundOffset),
      m_useOffscreen(container.m_useOffscreen)
{
    m_frame = container.m_frame;
    for (CView* child : container.m_children)
        addView(child->newCopy());
}

CViewContainer::~CViewContainer()
{
    CViewContainer::removeAll(true);
    if (m_offscreen)
        m_offscreen->release();
}

std::int32_t CViewContainer::notify(CBaseObject* sender, const char* message)
{
    if (message == kMsgCheckIfViewContainer)
        return 1;
    return CView::notify(sender, message);
}

bool CViewContainer::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CViewContainer") == 0 || CView::isTypeOf(className);
}

CView* CViewContainer::newCopy() const
{
    return new CViewContainer(*this);
}

// --- The child list ---------------------------------------------------------

bool CViewContainer::addView(CView* view)
{
    if (!view || view->isAttached())
        return false;
    m_children.push_back(view);
    view->retain();
    if (m_attached)
    {
        view->attached(this);
        view->invalid();
    }
    return true;
}

bool CViewContainer::addView(CView* view, const CRect& mouseableArea, bool mouseEnabled)
{
    if (!addView(view))
        return false;
    view->setMouseableArea(mouseableArea);
    view->setMouseEnabled(mouseEnabled);
    return true;
}

bool CViewContainer::addView(CView* view, CView* before)
{
    if (!view || view->isAttached())
        return false;
    auto position = std::find(m_children.begin(), m_children.end(), before);
    if (position == m_children.end() && !m_children.empty())
        position = m_children.end() - 1;
    m_children.insert(position, view);
    view->retain();
    if (m_attached)
    {
        view->attached(this);
        view->invalid();
    }
    return true;
}

void CViewContainer::forgetView(CView* view)
{
    if (m_mouseDownView == view)
        m_mouseDownView = nullptr;
    if (m_dragOverView == view)
        m_dragOverView = nullptr;
}

void CViewContainer::detachChild(CView* view, bool withRelease)
{
    if (m_attached && m_frame)
        m_frame->onViewRemoved(view);
    forgetView(view);
    if (m_attached)
        view->removed(this);
    if (withRelease)
        view->release();
    view->release();
}

bool CViewContainer::removeView(CView* view, bool withRelease)
{
    auto position = std::find(m_children.begin(), m_children.end(), view);
    if (position == m_children.end())
        return false;
    view->invalid();
    // The list may have changed while the view invalidated itself.
    position = std::find(m_children.begin(), m_children.end(), view);
    if (position == m_children.end())
        return false;
    m_children.erase(position);
    detachChild(view, withRelease);
    return true;
}

bool CViewContainer::removeAll(bool withRelease)
{
    std::vector<CView*> children;
    children.swap(m_children);
    m_mouseDownView = nullptr;
    m_dragOverView = nullptr;
    for (CView* view : children)
        detachChild(view, withRelease);
    return true;
}

bool CViewContainer::isChild(CView* view) const
{
    return view && std::find(m_children.begin(), m_children.end(), view) != m_children.end();
}

std::int64_t CViewContainer::getNbViews() const
{
    return static_cast<std::int64_t>(m_children.size());
}

CView* CViewContainer::getView(std::int64_t index) const
{
    if (index < 0 || index >= getNbViews())
        return nullptr;
    return m_children[static_cast<std::size_t>(index)];
}

CView* CViewContainer::childAt(const CPoint& local) const
{
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
        if ((*it)->isVisible() && local.isInside((*it)->getMouseableArea()))
            return *it;
    return nullptr;
}

CView* CViewContainer::getViewAt(const CPoint& where, bool deep) const
{
    if (!m_frame || !m_visible)
        return nullptr;
    CPoint local(where.h - m_size.left, where.v - m_size.top);
    CView* view = childAt(local);
    if (view && deep && isContainer(view))
        return static_cast<CViewContainer*>(view)->getViewAt(local, true);
    return view;
}

CViewContainer* CViewContainer::getContainerAt(const CPoint& where, bool deep) const
{
    if (!m_frame || !m_visible)
        return nullptr;
    CPoint local(where.h - m_size.left, where.v - m_size.top);
    CView* view = childAt(local);
    if (view && deep && isContainer(view))
        return static_cast<CViewContainer*>(view)->getContainerAt(local, true);
    return const_cast<CViewContainer*>(this);
}

// --- Attachment ----------------------------------------------------------------

bool CViewContainer::attached(CView* parent)
{
    if (m_attached)
        return false;
    if (m_useOffscreen && !m_offscreen)
        m_offscreen = new COffscreenContext(m_frame, m_size.width(), m_size.height(), kColorBlack);
    m_frame = parent ? parent->getFrame() : nullptr;
    m_attached = true;
    for (CView* child : ChildSnapshot(m_children))
        child->attached(this);
    m_parentView = parent;
    return true;
}

bool CViewContainer::removed(CView*)
{
    if (!m_attached)
        return false;
    if (m_offscreen)
    {
        m_offscreen->release();
        m_offscreen = nullptr;
    }
    m_mouseDownView = nullptr;
    m_dragOverView = nullptr;
    for (CView* child : ChildSnapshot(m_children))
    {
        if (m_frame)
            m_frame->onViewRemoved(child);
        child->removed(this);
    }
    m_frame = nullptr;
    m_parentView = nullptr;
    m_attached = false;
    return true;
}

// --- Invalidation and drawing ----------------------------------------------------

bool CViewContainer::isDirty() const
{
    if (m_dirty)
        return true;
    CRect bounds(0, 0, m_size.width(), m_size.height());
    for (CView* child : m_children)
        if (child->isDirty())
        {
            CRect visible = child->getViewSize();
            if (hasPositiveArea(visible.bound(bounds)))
                return true;
        }
    return false;
}

void CViewContainer::invalidRect(const CRect& rect)
{
    if (!m_visible || !m_attached)
        return;
    CRect local(rect);
    local.offset(m_size.left, m_size.top);
    local.bound(m_size);
    if (local.isEmpty())
        return;
    if (CViewContainer* parent = getParentContainer())
        parent->invalidRect(local);
    else if (m_frame && m_frame != static_cast<CView*>(this))
        m_frame->invalidRect(local);
}

void CViewContainer::invalid()
{
    if (!m_visible || !m_attached)
        return;
    // Nothing would draw it, so nothing would make it clean.
    if (m_size.isEmpty())
    {
        setDirty(false);
        return;
    }
    if (CViewContainer* parent = getParentContainer())
        parent->invalidRect(m_size);
    else if (m_frame && m_frame != static_cast<CView*>(this))
        m_frame->invalidRect(m_size);
}

bool CViewContainer::invalidateDirtyViews()
{
    if (!m_visible)
        return true;
    if (m_dirty)
    {
        invalid();
        return true;
    }
    // Runs at every idle: no snapshot. Invalidating changes no list, and the
    // index stays in bounds if a view does anyway.
    for (std::size_t i = 0; i < m_children.size(); ++i)
    {
        CView* child = m_children[i];
        // Hidden panels are not searched: nothing in them is drawn.
        if (!child->isVisible() || !child->isDirty())
            continue;
        if (isContainer(child))
            static_cast<CViewContainer*>(child)->invalidateDirtyViews();
        else
            child->invalid();
    }
    return true;
}

void CViewContainer::draw(CDrawContext* context)
{
    drawRect(context, m_size);
}

bool CViewContainer::childIntersects(CView* child, const CRect& rect) const
{
    return child->checkUpdate(rect) && child->isVisible();
}

void CViewContainer::drawRect(CDrawContext* context, const CRect& updateRect)
{
    if (!context)
        return;
    if (m_useOffscreen && !m_offscreen)
        m_offscreen = new COffscreenContext(m_frame, m_size.width(), m_size.height(), kColorBlack);
    // Children draw in this container's coordinates.
    CDrawContext* target = context;
    CPoint savedOffset = context->getOffset();
    if (m_useOffscreen && m_offscreen)
        target = m_offscreen;
    else
        context->setOffset(savedOffset + m_size.getTopLeft());
    SharedPointer<CDrawContext> targetGuard(target);

    CRect boundedUpdate(updateRect);
    boundedUpdate.bound(m_size);
    CRect localUpdate(boundedUpdate);
    localUpdate.offset(-m_size.left, -m_size.top);

    CRect savedClip;
    target->getClipRect(savedClip);
    // The cache is clipped by its own extent; the given context's clip lies
    // in other coordinates.
    CRect workingClip = savedClip;
    if (target == context)
        context->getClipRect(workingClip);
    else if (m_frame != static_cast<CView*>(this))
        workingClip.moveTo(0, 0);
    workingClip.bound(localUpdate);
    target->setClipRect(workingClip);

    drawBackgroundRect(target, localUpdate);

    for (CView* child : ChildSnapshot(m_children))
    {
        if (!childIntersects(child, localUpdate))
            continue;
        CRect childClip = child->getViewSize();
        childClip.bound(workingClip);
        if (!hasPositiveArea(childClip))
            continue;
        target->setClipRect(childClip);
        child->drawRect(target, childClip);
    }

    target->setClipRect(savedClip);
    if (target != context)
        m_offscreen->copyFrom(context, boundedUpdate, localUpdate.getTopLeft());
    else
        context->setOffset(savedOffset);
    setDirty(false);
}

void CViewContainer::drawBackgroundRect(CDrawContext* context, const CRect& rect)
{
    if (m_background)
    {
        CRect savedClip;
        context->getClipRect(savedClip);
        CRect clip(rect);
        clip.bound(savedClip);
        context->setClipRect(clip);
        CRect extent(0, 0, m_background->getWidth(), m_background->getHeight());
        if (m_transparency)
            m_background->drawTransparent(context, extent, m_backgroundOffset);
        else
            m_background->draw(context, extent, m_backgroundOffset);
        context->setClipRect(savedClip);
        return;
    }
    if (m_transparency && m_backgroundColor.alpha == 255)
        return;
    context->setFillColor(m_backgroundColor);
    context->setFrameColor(m_backgroundColor);
    context->drawRect(CRect(0, 0, m_size.width(), m_size.height()), kDrawFilledAndStroked);
}

void CViewContainer::setBackgroundColor(const CColor& color)
{
    m_backgroundColor = color;
    setDirty(true);
}

void CViewContainer::useOffscreen(bool state)
{
    m_useOffscreen = state;
    if (!state && m_offscreen)
    {
        m_offscreen->release();
        m_offscreen = nullptr;
    }
}

// --- Events ------------------------------------------------------------------------

CMouseEventResult CViewContainer::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    CPoint local(where.h - m_size.left, where.v - m_size.top);
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
    {
        CView* view = *it;
        if (!view->isVisible() || !view->getMouseEnabled() || !view->hitTest(local, buttons))
            continue;
        SharedPointer<CView> guard(view);
        // A right click or any modifier goes to a control's listener first.
        if ((buttons & 0xFF) > 7 && view->isTypeOf("CControl") && view->modifierClicked(buttons) != 0)
            return kMouseResultHandled;
        CMouseEventResult result = view->onMouseDown(local, buttons);
        // A view that left the list while it handled the click tracks nothing.
        // The list is this container's own, whatever a subclass calls its
        // children.
        if (result == kMouseResultHandled && CViewContainer::isChild(view))
            m_mouseDownView = view;
        return result;
    }
    return kMouseResultNotHandled;
}

CMouseEventResult CViewContainer::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    if (!m_mouseDownView)
        return kMouseResultNotHandled;
    SharedPointer<CView> view(m_mouseDownView);
    CPoint local(where.h - m_size.left, where.v - m_size.top);
    view->onMouseUp(local, buttons);
    m_mouseDownView = nullptr;
    return kMouseResultHandled;
}

CMouseEventResult CViewContainer::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!m_mouseDownView)
        return kMouseResultNotHandled;
    SharedPointer<CView> view(m_mouseDownView);
    CPoint local(where.h - m_size.left, where.v - m_size.top);
    CMouseEventResult result = view->onMouseMoved(local, buttons);
    if (result != kMouseResultHandled)
    {
        if (m_mouseDownView == view.get())
            m_mouseDownView = nullptr;
        return kMouseResultNotHandled;
    }
    return kMouseResultHandled;
}

void CViewContainer::onMouseCancel()
{
    if (!m_mouseDownView)
        return;
    SharedPointer<CView> view(m_mouseDownView);
    m_mouseDownView = nullptr;
    view->onMouseCancel();
}

bool CViewContainer::hitTest(const CPoint& where, const CButtonState& buttons)
{
    return CView::hitTest(where, buttons);
}

bool CViewContainer::hitTestSubViews(const CPoint& where, const CButtonState& buttons)
{
    CPoint local(where.h - m_size.left, where.v - m_size.top);
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
        if ((*it)->getMouseEnabled() && (*it)->hitTest(local, buttons))
            return true;
    return false;
}

bool CViewContainer::onWheel(const CPoint& where, const float& distance, const CButtonState& buttons)
{
    return onWheel(where, kWheelAxisY, distance, buttons);
}

bool CViewContainer::onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                             const CButtonState& buttons)
{
    CView* view = getViewAt(where, false);
    if (!view)
        return false;
    SharedPointer<CView> guard(view);
    CPoint local(where.h - m_size.left, where.v - m_size.top);
    return view->onWheel(local, axis, distance, buttons);
}

CKeyResult CViewContainer::onKeyDown(VstKeyCode& keyCode)
{
    ChildSnapshot snapshot(m_children);
    std::vector<CView*> order(snapshot.begin(), snapshot.end());
    for (auto it = order.rbegin(); it != order.rend(); ++it)
    {
        if (!CViewContainer::isChild(*it))
            continue;
        CKeyResult result = (*it)->onKeyDown(keyCode);
        if (result != kKeyNotHandled)
            return result;
    }
    return kKeyNotHandled;
}

CKeyResult CViewContainer::onKeyUp(VstKeyCode& keyCode)
{
    ChildSnapshot snapshot(m_children);
    std::vector<CView*> order(snapshot.begin(), snapshot.end());
    for (auto it = order.rbegin(); it != order.rend(); ++it)
    {
        if (!CViewContainer::isChild(*it))
            continue;
        CKeyResult result = (*it)->onKeyUp(keyCode);
        if (result != kKeyNotHandled)
            return result;
    }
    return kKeyNotHandled;
}

void CViewContainer::switchDragOverView(CDragContainer* drag, const CPoint& local)
{
    CView* view = childAt(local);
    if (view == m_dragOverView)
        return;
    if (m_dragOverView)
    {
        SharedPointer<CView> old(m_dragOverView);
        m_dragOverView = nullptr;
        old->onDragLeave(drag, local);
    }
    if (view && CViewContainer::isChild(view))
    {
        m_dragOverView = view;
        SharedPointer<CView> guard(view);
        view->onDragEnter(drag, local);
    }
}

void CViewContainer::onDragEnter(CDragContainer* drag, const CPoint& where)
{
    if (!m_frame)
        return;
    CPoint local(where.h - m_size.left, where.v - m_size.top);
    if (m_dragOverView)
    {
        SharedPointer<CView> old(m_dragOverView);
        m_dragOverView = nullptr;
        old->onDragLeave(drag, local);
    }
    switchDragOverView(drag, local);
}

void CViewContainer::onDragMove(CDragContainer* drag, const CPoint& where)
{
    if (!m_frame)
        return;
    CPoint local(where.h - m_size.left, where.v - m_size.top);
    CView* view = childAt(local);
    if (view != m_dragOverView)
        switchDragOverView(drag, local);
    else if (view)
    {
        SharedPointer<CView> guard(view);
        view->onDragMove(drag, local);
    }
}

void CViewContainer::onDragLeave(CDragContainer* drag, const CPoint& where)
{
    if (!m_frame || !m_dragOverView)
        return;
    CPoint local(where.h - m_size.left, where.v - m_size.top);
    SharedPointer<CView> old(m_dragOverView);
    m_dragOverView = nullptr;
    old->onDragLeave(drag, local);
}

bool CViewContainer::onDrop(CDragContainer* drag, const CPoint& where)
{
    if (!m_frame)
        return false;
    CPoint local(where.h - m_size.left, where.v - m_size.top);
    switchDragOverView(drag, local);
    if (!m_dragOverView)
        return false;
    SharedPointer<CView> view(m_dragOverView);
    bool result = view->onDrop(drag, local);
    view->onDragLeave(drag, local);
    if (m_dragOverView == view.get())
        m_dragOverView = nullptr;
    return result;
}

// --- Focus -------------------------------------------------------------------------

void CViewContainer::looseFocus()
{
    for (CView* child : ChildSnapshot(m_children))
        child->looseFocus();
}

void CViewContainer::takeFocus()
{
    for (CView* child : ChildSnapshot(m_children))
        child->takeFocus();
}

bool CViewContainer::advanceNextFocusView(CView* oldFocus, bool reverse)
{
    ChildSnapshot snapshot(m_children);
    std::vector<CView*> order(snapshot.begin(), snapshot.end());
    if (reverse)
        std::reverse(order.begin(), order.end());
    bool passedOld = oldFocus == nullptr;
    for (CView* child : order)
    {
        if (!passedOld)
        {
            passedOld = child == oldFocus;
            continue;
        }
        if (child->getWantsFocus())
        {
            if (m_frame)
                m_frame->setFocusView(child);
            child->takeFocus();
            return true;
        }
        if (isContainer(child) && static_cast<CViewContainer*>(child)->advanceNextFocusView(nullptr, reverse))
            return true;
    }
    return false;
}

// --- Geometry ----------------------------------------------------------------------

void CViewContainer::setViewSize(const CRect& rect, bool invalidate)
{
    if (rect == m_size)
        return;
    CRect oldSize = m_size;
    CView::setViewSize(rect, invalidate);

    CCoord dw = rect.width() - oldSize.width();
    CCoord dh = rect.height() - oldSize.height();
    CCoord count = static_cast<CCoord>(m_children.size());
    bool columns = (m_autosizeFlags & kAutosizeColumn) != 0;
    bool rows = (m_autosizeFlags & kAutosizeRow) != 0;
    if ((dw != 0 || dh != 0) && count > 0)
    {
        CCoord index = 0;
        for (CView* child : ChildSnapshot(m_children))
        {
            std::int64_t flags = child->getAutosizeFlags();
            CRect size = child->getViewSize();
            CRect area = child->getMouseableArea();
            auto resize = [&](CCoord delta, bool share, std::int64_t nearBit, std::int64_t farBit,
                              CCoord CRect::*nearEdge, CCoord CRect::*farEdge) {
                if (share)
                {
                    CCoord part = delta / count;
                    if (index > 0)
                    {
                        size.*nearEdge += part * index;
                        size.*farEdge += part * index;
                        area.*nearEdge += part * index;
                        area.*farEdge += part * index;
                    }
                    size.*farEdge += part;
                    area.*farEdge += part;
                }
                else if (delta != 0 && (flags & farBit))
                {
                    size.*farEdge += delta;
                    area.*farEdge += delta;
                    if (!(flags & nearBit))
                    {
                        size.*nearEdge += delta;
                        area.*nearEdge += delta;
                    }
                }
            };
            resize(dw, columns, kAutosizeLeft, kAutosizeRight, &CRect::left, &CRect::right);
            resize(dh, rows, kAutosizeTop, kAutosizeBottom, &CRect::top, &CRect::bottom);
            if (size != child->getViewSize())
            {
                child->setViewSize(size, true);
                child->setMouseableArea(area);
            }
            ++index;
        }
    }
    parentSizeChanged();
    if (m_offscreen && m_useOffscreen)
    {
        m_offscreen->release();
        m_offscreen = new COffscreenContext(m_frame, m_size.width(), m_size.height(), kColorBlack);
    }
}

void CViewContainer::parentSizeChanged()
{
    for (CView* child : ChildSnapshot(m_children))
        child->parentSizeChanged();
}

CPoint& CViewContainer::frameToLocal(CPoint& point) const
{
    if (CViewContainer* parent = getParentContainer())
        parent->frameToLocal(point);
    return point.offset(-m_size.left, -m_size.top);
}

CPoint& CViewContainer::localToFrame(CPoint& point) const
{
    point.offset(m_size.left, m_size.top);
    if (CViewContainer* parent = getParentContainer())
        parent->localToFrame(point);
    return point;
}

CRect CViewContainer::getVisibleChildRect(const CView*, const CRect& rect) const
{
    CRect result(rect);
    result.offset(m_size.left, m_size.top);
    result.bound(m_size);
    if (m_frame != static_cast<const CView*>(this))
    {
        if (CViewContainer* parent = getParentContainer())
            result = parent->getVisibleChildRect(this, result);
        else if (m_frame)
            result = static_cast<const CViewContainer*>(m_frame)->getVisibleChildRect(this, result);
    }
    result.offset(-m_size.left, -m_size.top);
    return result;
}
