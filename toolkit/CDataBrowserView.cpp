#include "toolkit/CDataBrowserView.h"

#include <algorithm>
#include <cstring>

#include "toolkit/CDataBrowser.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/IDataBrowser.h"
#include "toolkit/SharedPointer.h"

CDataBrowserView::CDataBrowserView(const CRect& size, IDataBrowser* db, CDataBrowser* browser)
    : CView(size), m_db(db), m_browser(browser)
{
    m_transparency = true;
    m_wantsFocus = true;
}

void CDataBrowserView::draw(CDrawContext* context)
{
    drawRect(context, m_size);
}

void CDataBrowserView::drawRect(CDrawContext* context, const CRect& updateRect)
{
    setDirty(false);
    if (!m_db)
        return;
    std::int32_t rows = m_browser->getNumRows();
    std::int32_t columns = m_browser->getNumColumns();
    CCoord step = m_browser->getRowStep();
    std::int32_t selected = m_browser->getSelectedRow();
    std::int32_t firstRow = 0;
    std::int32_t lastRow = -1;
    if (step > 0 && rows > 0)
    {
        CCoord first = std::max<CCoord>(0, (updateRect.top - m_size.top) / step);
        CCoord last = std::min<CCoord>(rows - 1, (updateRect.bottom - m_size.top) / step);
        firstRow = static_cast<std::int32_t>(first);
        lastRow = static_cast<std::int32_t>(last);
    }
    for (std::int32_t column = 0; column < columns; ++column)
    {
        CRect columnRect = m_browser->getCellBounds(0, column);
        columnRect.top = m_size.top;
        columnRect.bottom = m_size.bottom;
        if (!columnRect.rectOverlap(updateRect))
            continue;
        for (std::int32_t row = firstRow; row <= lastRow; ++row)
        {
            CRect cell = m_browser->getCellBounds(row, column);
            if (cell.rectOverlap(updateRect))
                m_db->drawCell(context, cell, row, column, row == selected ? IDataBrowser::kRowSelected : 0,
                               m_browser);
        }
    }

    CColor lineColor;
    CCoord lineWidth = m_browser->getLineWidth(&lineColor);
    if (lineWidth <= 0)
        return;
    context->setFillColor(lineColor);
    std::int64_t style = m_browser->getStyle();
    if (style & CDataBrowser::kDrawColumnLines)
        for (std::int32_t column = 0; column < columns; ++column)
        {
            CRect cell = m_browser->getCellBounds(0, column);
            CRect line(cell.right, m_size.top, cell.right + lineWidth, m_size.bottom);
            if (line.rectOverlap(updateRect))
                context->drawRect(line, kDrawFilled);
        }
    if (style & CDataBrowser::kDrawRowLines)
        for (std::int32_t row = firstRow; row <= lastRow; ++row)
        {
            CCoord bottom = m_browser->getCellBounds(row, 0).bottom;
            context->drawRect(CRect(m_size.left, bottom - lineWidth, m_size.right, bottom), kDrawFilled);
        }
}

CMouseEventResult CDataBrowserView::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    std::int32_t row = 0;
    std::int32_t column = 0;
    if (!m_db || !m_browser->getCellAt(where, row, column))
        return kMouseResultHandled;
    // The data source may drop the browser in its answer.
    SharedPointer<CDataBrowser> browser(m_browser);
    SharedPointer<CDataBrowserView> self(this);
    if (row != m_browser->getSelectedRow())
        m_browser->setSelectedRow(row);
    return m_db->onMouseDown(where, buttons, row, column, m_browser);
}

CMouseEventResult CDataBrowserView::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    std::int32_t row = 0;
    std::int32_t column = 0;
    if (!m_db || !m_browser->getCellAt(where, row, column))
        return kMouseResultNotHandled;
    SharedPointer<CDataBrowser> browser(m_browser);
    return m_db->onMouseMoved(where, buttons, row, column, m_browser);
}

CMouseEventResult CDataBrowserView::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    std::int32_t row = 0;
    std::int32_t column = 0;
    if (!m_db || !m_browser->getCellAt(where, row, column))
        return kMouseResultNotHandled;
    SharedPointer<CDataBrowser> browser(m_browser);
    return m_db->onMouseUp(where, buttons, row, column, m_browser);
}

CKeyResult CDataBrowserView::onKeyDown(VstKeyCode& keyCode)
{
    if (keyCode.virt != VKEY_UP && keyCode.virt != VKEY_DOWN)
        return kKeyNotHandled;
    std::int32_t selected = m_browser->getSelectedRow();
    std::int32_t row = selected;
    if (keyCode.virt == VKEY_UP && selected > 0)
        row = selected - 1;
    else if (keyCode.virt == VKEY_DOWN && selected < m_browser->getNumRows() - 1)
        row = selected + 1;
    if (row != selected)
    {
        m_browser->setSelectedRow(row);
        m_browser->makeRowVisible(row);
    }
    return kKeyHandled;
}

bool CDataBrowserView::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CDataBrowserView") == 0 || CView::isTypeOf(className);
}

CView* CDataBrowserView::newCopy() const
{
    return new CDataBrowserView(m_size, m_db, m_browser);
}
