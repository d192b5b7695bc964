#include "toolkit/CDataBrowserHeader.h"

#include <algorithm>
#include <cstring>

#include "toolkit/CDataBrowser.h"
#include "toolkit/CFrame.h"
#include "toolkit/IDataBrowser.h"
#include "toolkit/SharedPointer.h"

CDataBrowserHeader::CDataBrowserHeader(const CRect& size, IDataBrowser* db, CDataBrowser* browser)
    : CView(size), m_db(db), m_browser(browser)
{
    m_transparency = true;
}

void CDataBrowserHeader::draw(CDrawContext* context)
{
    drawRect(context, m_size);
}

void CDataBrowserHeader::drawRect(CDrawContext* context, const CRect& updateRect)
{
    setDirty(false);
    if (!m_db)
        return;
    std::int32_t columns = m_browser->getNumColumns();
    for (std::int32_t column = 0; column < columns; ++column)
    {
        CCoord left = m_size.left + m_browser->getColumnStart(column);
        CRect title(left, m_size.top, left + m_browser->getColumnWidth(column), m_size.bottom);
        if (title.rectOverlap(updateRect))
            m_db->drawHeader(context, title, column, 0, m_browser);
    }
}

std::int32_t CDataBrowserHeader::grabbedColumn(const CPoint& where)
{
    if (!m_db)
        return -1;
    CCoord x = where.h - m_size.left;
    std::int32_t columns = m_browser->getNumColumns();
    for (std::int32_t column = 0; column < columns; ++column)
    {
        CCoord left = m_browser->getColumnStart(column);
        CCoord right = left + m_browser->getColumnWidth(column);
        if (x < left || x >= right)
            continue;
        CCoord minWidth = 0;
        CCoord maxWidth = 0;
        if (right - x < kGrabWidth && m_db->getColumnDescription(column, minWidth, maxWidth, m_browser) &&
            minWidth != maxWidth)
            return column;
        return -1;
    }
    return -1;
}

void CDataBrowserHeader::showResizeCursor(bool state)
{
    if (state == m_resizeCursor)
        return;
    m_resizeCursor = state;
    if (m_frame)
        m_frame->setCursor(state ? kCursorHSize : kCursorDefault);
}

CMouseEventResult CDataBrowserHeader::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    std::int32_t column = grabbedColumn(where);
    if (column < 0)
        return kMouseResultNotHandled;
    m_dragColumn = column;
    m_startPoint = where;
    m_startWidth = m_browser->getColumnWidth(column);
    showResizeCursor(true);
    return kMouseResultHandled;
}

CMouseEventResult CDataBrowserHeader::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (m_dragColumn < 0 || !(buttons & kButtonLeft))
    {
        showResizeCursor(grabbedColumn(where) >= 0);
        return kMouseResultHandled;
    }
    CCoord minWidth = 0;
    CCoord maxWidth = 0;
    m_db->getColumnDescription(m_dragColumn, minWidth, maxWidth, m_browser);
    if (maxWidth < minWidth)
        std::swap(minWidth, maxWidth);
    CCoord width = std::clamp(m_startWidth + where.h - m_startPoint.h, minWidth, maxWidth);
    if (width != m_browser->getColumnWidth(m_dragColumn))
    {
        SharedPointer<CDataBrowser> browser(m_browser);
        m_db->setCurrentColumnWidth(m_dragColumn, width, m_browser);
        m_browser->recalculateLayout(true);
    }
    return kMouseResultHandled;
}

CMouseEventResult CDataBrowserHeader::onMouseUp(CPoint&, const CButtonState&)
{
    m_dragColumn = -1;
    showResizeCursor(false);
    return kMouseResultHandled;
}

CMouseEventResult CDataBrowserHeader::onMouseExited(CPoint&, const CButtonState&)
{
    if (m_dragColumn < 0)
        showResizeCursor(false);
    return kMouseResultHandled;
}

bool CDataBrowserHeader::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CDataBrowserHeader") == 0 || CView::isTypeOf(className);
}

CView* CDataBrowserHeader::newCopy() const
{
    return new CDataBrowserHeader(m_size, m_db, m_browser);
}
