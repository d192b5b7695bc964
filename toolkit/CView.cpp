#include "toolkit/CView.h"

#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/CViewContainer.h"

CView::CView(const CRect& size) : m_size(size), m_mouseableArea(size) {}

CView::CView(const CView& view)
    : CBaseObject(),
      m_size(view.m_size),
      m_mouseableArea(view.m_mouseableArea),
      m_mouseEnabled(view.m_mouseEnabled),
      m_transparency(view.m_transparency),
      m_wantsFocus(view.m_wantsFocus),
      m_autosizeFlags(view.m_autosizeFlags),
      m_attributes(view.m_attributes)
{
    setBackground(view.m_background);
}

CView::~CView()
{
    // Only an over-released view dies attached; its frame must not keep
    // pointing at it.
    if (m_attached && m_frame && m_frame != static_cast<CView*>(this))
        m_frame->onViewRemoved(this);
    if (m_background)
        m_background->release();
}

void CView::draw(CDrawContext* context)
{
    if (m_background)
    {
        if (m_transparency)
            m_background->drawTransparent(context, m_size, CPoint());
        else
            m_background->draw(context, m_size, CPoint());
    }
    setDirty(false);
}

void CView::drawRect(CDrawContext* context, const CRect&)
{
    draw(context);
}

bool CView::checkUpdate(const CRect& updateRect) const
{
    return m_size.rectOverlap(updateRect);
}

CViewContainer* CView::getParentContainer() const
{
    // Only containers attach children.
    return static_cast<CViewContainer*>(m_parentView);
}

void CView::invalidRect(const CRect& rect)
{
    if (!m_attached || !m_visible)
        return;
    if (CViewContainer* parent = getParentContainer())
        parent->invalidRect(rect);
    else if (m_frame)
        m_frame->invalidRect(rect);
}

void CView::invalid()
{
    setDirty(false);
    invalidRect(m_size);
}

void CView::setVisible(bool state)
{
    if (m_visible == state)
        return;
    m_visible = state;
    setDirty(true);
}

CMouseEventResult CView::onMouseDown(CPoint&, const CButtonState&)
{
    return kMouseResultDefault;
}

CMouseEventResult CView::onMouseUp(CPoint&, const CButtonState&)
{
    return kMouseResultDefault;
}

CMouseEventResult CView::onMouseMoved(CPoint&, const CButtonState&)
{
    return kMouseResultDefault;
}

CMouseEventResult CView::onMouseEntered(CPoint&, const CButtonState&)
{
    return kMouseResultDefault;
}

CMouseEventResult CView::onMouseExited(CPoint&, const CButtonState&)
{
    return kMouseResultDefault;
}

bool CView::hitTest(const CPoint& where, const CButtonState&)
{
    return where.isInside(m_mouseableArea);
}

bool CView::onWheel(const CPoint&, const float&, const CButtonState&)
{
    return false;
}

bool CView::onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                    const CButtonState& buttons)
{
    // A horizontal wheel turns like the vertical one held with Shift.
    if (axis == kWheelAxisX && !(buttons & kModShift))
        return onWheel(where, -distance, buttons);
    return onWheel(where, distance, buttons);
}

bool CView::onDrop(CDragContainer*, const CPoint&)
{
    return false;
}

void CView::onDragEnter(CDragContainer*, const CPoint&) {}

void CView::onDragLeave(CDragContainer*, const CPoint&) {}

void CView::onDragMove(CDragContainer*, const CPoint&) {}

CKeyResult CView::onKeyDown(VstKeyCode&)
{
    return kKeyNotHandled;
}

CKeyResult CView::onKeyUp(VstKeyCode&)
{
    return kKeyNotHandled;
}

void CView::setViewSize(const CRect& rect, bool invalidate)
{
    m_size = rect;
    // A dirty child can come into its container's bounds.
    ViewChanges::note();
    if (invalidate)
        setDirty(true);
}

CRect CView::getVisibleSize() const
{
    if (CViewContainer* parent = getParentContainer())
        return parent->getVisibleChildRect(this, m_size);
    if (m_frame && m_frame != static_cast<const CView*>(this))
        return static_cast<CViewContainer*>(m_frame)->getVisibleChildRect(this, m_size);
    return CRect();
}

CPoint& CView::frameToLocal(CPoint& point) const
{
    if (CViewContainer* parent = getParentContainer())
        return parent->frameToLocal(point);
    return point;
}

CPoint& CView::localToFrame(CPoint& point) const
{
    if (CViewContainer* parent = getParentContainer())
        return parent->localToFrame(point);
    return point;
}

void CView::setBackground(CBitmap* background)
{
    if (background)
        background->retain();
    if (m_background)
        m_background->release();
    m_background = background;
    setDirty(true);
}

bool CView::removed(CView*)
{
    if (!m_attached)
        return false;
    m_parentView = nullptr;
    m_frame = nullptr;
    m_attached = false;
    return true;
}

bool CView::attached(CView* parent)
{
    if (m_attached)
        return false;
    m_parentView = parent;
    m_frame = parent ? parent->getFrame() : nullptr;
    m_attached = true;
    return true;
}

VSTGUIEditorInterface* CView::getEditor() const
{
    return m_frame ? m_frame->getEditor() : nullptr;
}

std::int32_t CView::modifierClicked(const CButtonState&)
{
    return 0;
}

bool CView::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CView") == 0;
}

CView* CView::newCopy() const
{
    return new CView(*this);
}

const CView::Attribute* CView::findAttribute(std::uint32_t id) const
{
    for (const Attribute& attribute : m_attributes)
        if (attribute.id == id)
            return &attribute;
    return nullptr;
}

bool CView::setAttribute(std::uint32_t id, std::int64_t size, const void* data)
{
    if (size < 0 || (size > 0 && !data))
        return false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::vector<std::uint8_t> copy(bytes, bytes + size);
    for (Attribute& attribute : m_attributes)
        if (attribute.id == id)
        {
            attribute.data = std::move(copy);
            return true;
        }
    m_attributes.push_back({id, std::move(copy)});
    return true;
}

bool CView::getAttributeSize(std::uint32_t id, std::int64_t& size) const
{
    const Attribute* attribute = findAttribute(id);
    if (!attribute)
        return false;
    size = static_cast<std::int64_t>(attribute->data.size());
    return true;
}

bool CView::getAttribute(std::uint32_t id, std::int64_t capacity, void* buffer, std::int64_t& size) const
{
    const Attribute* attribute = findAttribute(id);
    if (!attribute || static_cast<std::int64_t>(attribute->data.size()) > capacity)
        return false;
    if (!attribute->data.empty())
        std::memcpy(buffer, attribute->data.data(), attribute->data.size());
    size = static_cast<std::int64_t>(attribute->data.size());
    return true;
}

bool CView::removeAttribute(std::uint32_t id)
{
    for (auto it = m_attributes.begin(); it != m_attributes.end(); ++it)
        if (it->id == id)
        {
            m_attributes.erase(it);
            return true;
        }
    return false;
}
