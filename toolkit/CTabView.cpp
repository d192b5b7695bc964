#include "toolkit/CTabView.h"

#include <cstring>

#include "toolkit/CBitmap.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CTabButton.h"
#include "toolkit/CTabChildView.h"

namespace
{
// The strip of buttons: every edge follows the tab view, and the buttons
// share the change along the strip.
constexpr std::int64_t kStripAlongRows = kAutosizeAll | kAutosizeRow;
constexpr std::int64_t kStripAlongColumns = kAutosizeAll | kAutosizeColumn;

// Where a container puts a child rectangle when it grows by (dw, dh), the
// child being number index of count.
CRect resized(CRect rect, std::int64_t flags, CCoord dw, CCoord dh, CCoord index, CCoord count, bool columns, bool rows)
{
    auto along = [&](CCoord delta, bool share, std::int64_t nearBit, std::int64_t farBit, CCoord CRect::*nearEdge,
                     CCoord CRect::*farEdge) {
        if (share)
        {
            CCoord part = count > 0 ? delta / count : delta;
            rect.*nearEdge += part * index;
            rect.*farEdge += part * (index + 1);
        }
        else if (delta != 0 && (flags & farBit))
        {
            rect.*farEdge += delta;
            if (!(flags & nearBit))
                rect.*nearEdge += delta;
        }
    };
    along(dw, columns, kAutosizeLeft, kAutosizeRight, &CRect::left, &CRect::right);
    along(dh, rows, kAutosizeTop, kAutosizeBottom, &CRect::top, &CRect::bottom);
    return rect;
}
} // namespace

CTabView::CTabView(const CRect& size, CFrame* frame, const CRect& tabSize, CBitmap* background,
                   std::int32_t tabPosition, std::int64_t style)
    : CViewContainer(size, frame, background), m_tabPosition(tabPosition), m_style(style), m_tabSize(tabSize)
{
}

CTabView::CTabView(const CRect& size, CFrame* frame, CBitmap* tabBitmap, CBitmap* background, std::int32_t tabPosition,
                   std::int64_t style)
    : CViewContainer(size, frame, background), m_tabPosition(tabPosition), m_style(style), m_tabBitmap(tabBitmap)
{
    if (m_tabBitmap)
    {
        m_tabBitmap->retain();
        m_tabSize = CRect(0, 0, m_tabBitmap->getWidth(), m_tabBitmap->getHeight());
    }
}

CTabView::CTabView(const CTabView& view)
    : CViewContainer(view),
      CControlListener(),
      m_tabPosition(view.m_tabPosition),
      m_style(view.m_style),
      m_tabSize(view.m_tabSize),
      m_tabBitmap(view.m_tabBitmap)
{
    // Copied buttons would select tabs of the original; the tabs are not
    // copied, so neither are they.
    CViewContainer::removeAll(true);
    if (m_tabBitmap)
        m_tabBitmap->retain();
}

CTabView::~CTabView()
{
    removeAllTabs();
    if (m_tabBitmap)
        m_tabBitmap->release();
}

CViewContainer* CTabView::buttonContainer() const
{
    CView* first = CViewContainer::getView(0);
    if (first && first->notify(nullptr, kMsgCheckIfViewContainer) == 1)
        return static_cast<CViewContainer*>(first);
    return nullptr;
}

CTabChildView* CTabView::entryAt(std::int64_t index) const
{
    if (index < 0)
        return nullptr;
    CTabChildView* entry = m_firstChild;
    for (; entry && index > 0; --index)
        entry = entry->m_next;
    return entry;
}

CRect CTabView::tabButtonRect(std::int64_t index) const
{
    CCoord tabWidth = m_tabSize.width();
    CCoord tabHeight = m_tabSize.height() / 2;
    CRect rect(0, 0, tabWidth, tabHeight);
    CViewContainer* strip = buttonContainer();
    CCoord stripWidth = strip ? strip->getWidth() : tabWidth;
    CCoord stripHeight = strip ? strip->getHeight() : tabHeight;
    switch (m_tabPosition)
    {
    case kPositionLeft:
        rect.offset(0, tabHeight * index);
        break;
    case kPositionRight:
        rect.offset(stripWidth - tabWidth, tabHeight * index);
        break;
    case kPositionBottom:
        rect.offset(tabWidth * index, stripHeight - tabHeight);
        break;
    default:
        rect.offset(tabWidth * index, 0);
        break;
    }
    return rect;
}

bool CTabView::addTab(CView* view, const char* name, CBitmap* tabBitmap)
{
    if (!view)
        return false;
    auto* button = new CTabButton(CRect(), nullptr, 0, tabBitmap ? tabBitmap : m_tabBitmap, name);
    button->setTransparency(true);
    return addTab(view, button);
}

bool CTabView::addTab(CView* view, CTabButton* button)
{
    if (!view || !button)
        return false;
    CViewContainer* strip = buttonContainer();
    if (!strip)
    {
        CCoord width = m_size.width();
        CCoord height = m_size.height();
        CCoord tabWidth = m_tabSize.width();
        CCoord tabHeight = m_tabSize.height() / 2;
        CRect area;
        std::int64_t flags = kStripAlongRows;
        switch (m_tabPosition)
        {
        case kPositionLeft:
            area = CRect(0, 0, tabWidth, height);
            break;
        case kPositionRight:
            area = CRect(width - tabWidth, 0, width, height);
            break;
        case kPositionBottom:
            area = CRect(0, height - tabHeight, width, height);
            flags = kStripAlongColumns;
            break;
        default:
            area = CRect(0, 0, width, tabHeight);
            flags = kStripAlongColumns;
            break;
        }
        strip = new CViewContainer(area, m_frame);
        strip->setTransparency(true);
        strip->setAutosizeFlags(flags);
        CViewContainer::addView(strip, CViewContainer::getView(0));
    }
    std::int64_t index = m_numberOfChildren;
    CRect place = tabButtonRect(index);
    button->setViewSize(place);
    button->setMouseableArea(place);
    button->setListener(this);
    button->setTag(kTabButtonTagStart + index);
    strip->addView(button);

    auto* entry = new CTabChildView(view, button);
    entry->m_previous = m_lastChild;
    if (m_lastChild)
        m_lastChild->m_next = entry;
    else
        m_firstChild = entry;
    m_lastChild = entry;
    ++m_numberOfChildren;
    if (!m_currentChild)
    {
        setCurrentChild(entry);
        m_currentTab = index;
    }
    return true;
}

void CTabView::setCurrentChild(CTabChildView* child)
{
    if (child == m_currentChild)
    {
        if (child)
            child->m_button->setValue(1.0f);
        return;
    }
    if (m_currentChild)
    {
        m_currentChild->m_button->setValue(0.0f);
        removeView(m_currentChild->m_view, false);
    }
    m_currentChild = child;
    if (child)
    {
        addView(child->m_view);
        child->m_button->setValue(1.0f);
    }
    invalid();
}

bool CTabView::selectTab(std::int64_t index)
{
    if (index > m_numberOfChildren)
        return false;
    CTabChildView* entry = entryAt(index);
    if (!entry)
        return false;
    setCurrentChild(entry);
    m_currentTab = index;
    return true;
}

void CTabView::renumberTabs()
{
    std::int64_t index = 0;
    m_currentTab = -1;
    for (CTabChildView* entry = m_firstChild; entry; entry = entry->m_next, ++index)
    {
        CRect place = tabButtonRect(index);
        entry->m_button->setViewSize(place);
        entry->m_button->setMouseableArea(place);
        entry->m_button->setTag(kTabButtonTagStart + index);
        if (entry == m_currentChild)
            m_currentTab = index;
    }
    if (CViewContainer* strip = buttonContainer())
        strip->invalid();
}

bool CTabView::removeTab(CView* view)
{
    CTabChildView* entry = m_firstChild;
    while (entry && entry->m_view != view)
        entry = entry->m_next;
    if (!entry || !view)
        return false;
    if (entry == m_currentChild)
        setCurrentChild(entry->m_previous ? entry->m_previous : entry->m_next);
    if (entry->m_previous)
        entry->m_previous->m_next = entry->m_next;
    else
        m_firstChild = entry->m_next;
    if (entry->m_next)
        entry->m_next->m_previous = entry->m_previous;
    else
        m_lastChild = entry->m_previous;
    if (CViewContainer* strip = buttonContainer())
        strip->removeView(entry->m_button, true);
    entry->release();
    --m_numberOfChildren;
    renumberTabs();
    return true;
}

bool CTabView::removeAllTabs()
{
    setCurrentChild(nullptr);
    CViewContainer* strip = buttonContainer();
    for (CTabChildView* entry = m_firstChild; entry;)
    {
        CTabChildView* next = entry->m_next;
        if (strip)
            strip->removeView(entry->m_button, true);
        entry->release();
        entry = next;
    }
    m_firstChild = m_lastChild = nullptr;
    m_numberOfChildren = 0;
    m_currentTab = -1;
    return true;
}

CRect& CTabView::getTabViewSize(CRect& rect) const
{
    rect = CRect(0, 0, m_size.width(), m_size.height());
    switch (m_tabPosition)
    {
    case kPositionLeft:
        rect.left += m_tabSize.width();
        break;
    case kPositionRight:
        rect.right -= m_tabSize.width();
        break;
    case kPositionTop:
        rect.top += m_tabSize.height() / 2;
        break;
    case kPositionBottom:
        rect.bottom -= m_tabSize.height() / 2;
        break;
    default:
        break;
    }
    return rect;
}

void CTabView::setTabFontStyle(CFontDesc* font, CCoord fontSize, const CColor& selectedColor,
                               const CColor& deselectedColor)
{
    if (!font)
        return;
    auto* sized = new CFontDesc(*font);
    sized->setSize(fontSize);
    for (CTabChildView* entry = m_firstChild; entry; entry = entry->m_next)
    {
        entry->m_button->setTextFont(sized);
        entry->m_button->setActiveTextColor(selectedColor);
        entry->m_button->setInactiveTextColor(deselectedColor);
    }
    sized->release();
}

void CTabView::alignTabs(std::int64_t alignment)
{
    CViewContainer* strip = buttonContainer();
    if (!strip)
        return;
    bool row = m_tabPosition == kPositionTop || m_tabPosition == kPositionBottom;
    CCoord tabWidth = m_tabSize.width();
    CCoord tabHeight = m_tabSize.height() / 2;
    CCoord step = row ? tabWidth : tabHeight;
    CCoord free = (row ? strip->getWidth() : strip->getHeight()) - step * m_numberOfChildren;
    CCoord start = alignment == kAlignStart ? 0 : alignment == kAlignEnd ? free : free / 2;
    CCoord across = 0;
    if (m_tabPosition == kPositionRight)
        across = strip->getWidth() - tabWidth;
    else if (m_tabPosition == kPositionBottom)
        across = strip->getHeight() - tabHeight;
    CCoord index = 0;
    for (CTabChildView* entry = m_firstChild; entry; entry = entry->m_next, ++index)
    {
        CRect place(0, 0, tabWidth, tabHeight);
        if (row)
            place.offset(start + step * index, across);
        else
            place.offset(across, start + step * index);
        entry->m_button->setViewSize(place);
        entry->m_button->setMouseableArea(place);
    }
    setDirty(true);
    invalid();
}

void CTabView::valueChanged(CControl* control)
{
    selectTab(control->getTag() - kTabButtonTagStart);
}

void CTabView::setViewSize(const CRect& rect, bool invalidate)
{
    if (rect != m_size)
    {
        // The hidden views get the size they would get shown, where the
        // shown one is.
        CCoord dw = rect.width() - m_size.width();
        CCoord dh = rect.height() - m_size.height();
        CCoord count = getNbViews();
        CCoord index = count;
        for (CCoord i = 0; i < count; ++i)
            if (m_currentChild && CViewContainer::getView(i) == m_currentChild->m_view)
                index = i;
        if (index == count)
            ++count;
        bool columns = (m_autosizeFlags & kAutosizeColumn) != 0;
        bool rows = (m_autosizeFlags & kAutosizeRow) != 0;
        for (CTabChildView* entry = m_firstChild; entry; entry = entry->m_next)
        {
            if (entry == m_currentChild)
                continue;
            CView* view = entry->m_view;
            std::int64_t flags = view->getAutosizeFlags();
            CRect size = resized(view->getViewSize(), flags, dw, dh, index, count, columns, rows);
            CRect area = resized(view->getMouseableArea(), flags, dw, dh, index, count, columns, rows);
            if (size != view->getViewSize())
            {
                view->setViewSize(size, true);
                view->setMouseableArea(area);
            }
        }
    }
    CViewContainer::setViewSize(rect, invalidate);
}

bool CTabView::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CTabView") == 0 || CViewContainer::isTypeOf(className);
}

CView* CTabView::newCopy() const
{
    return new CTabView(*this);
}
