#include "toolkit/CDataBrowser.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "toolkit/CDataBrowserHeader.h"
#include "toolkit/CDataBrowserView.h"
#include "toolkit/CFrame.h"
#include "toolkit/CScrollContainer.h"
#include "toolkit/CScrollbar.h"
#include "toolkit/CTextEdit.h"
#include "toolkit/IDataBrowser.h"
#include "toolkit/SharedPointer.h"

namespace
{
constexpr std::uint32_t kRowAttribute = attributeId("row ");
constexpr std::uint32_t kColumnAttribute = attributeId("col ");

// Sizes from the data source are kept small enough that rows times row
// steps, and the sum of all columns, stay far inside the coordinate range.
constexpr CCoord kSizeLimit = CCoord(1) << 24;

CCoord boundedSize(CCoord size)
{
    return std::clamp<CCoord>(size, 0, kSizeLimit);
}

CBaseObject* objectOf(IDataBrowser* db)
{
    return dynamic_cast<CBaseObject*>(db);
}
} // namespace

CDataBrowser::CDataBrowser(const CRect& size, CFrame* frame, IDataBrowser* db, std::int64_t style,
                           CCoord scrollbarWidth, CBitmap* background)
    : CScrollView(size, CRect(), frame, style, scrollbarWidth, background), m_db(db), m_scrollbarWidth(scrollbarWidth)
{
    if (CBaseObject* object = objectOf(m_db))
        object->retain();
    setTransparency(true);
    m_dbView = new CDataBrowserView(CRect(), m_db, this);
    addView(m_dbView);
}

CDataBrowser::~CDataBrowser()
{
    // The cells and the header use the data source up to their removal.
    CViewContainer::removeAll(true);
    if (CBaseObject* object = objectOf(m_db))
        object->release();
}

// --- Geometry -------------------------------------------------------------------

std::int32_t CDataBrowser::getNumRows()
{
    return m_db ? std::max(0, m_db->getNumRows(this)) : 0;
}

std::int32_t CDataBrowser::getNumColumns()
{
    return m_db ? std::max(0, m_db->getNumColumns(this)) : 0;
}

CCoord CDataBrowser::getLineWidth(CColor* color)
{
    if (!m_db || !(m_style & (kDrawRowLines | kDrawColumnLines)))
        return 0;
    CCoord width = 0;
    CColor lineColor;
    if (!m_db->getLineWidthAndColor(width, lineColor, this))
        return 0;
    if (color)
        *color = lineColor;
    return boundedSize(width);
}

CCoord CDataBrowser::getRowStep()
{
    if (!m_db)
        return 0;
    CCoord step = boundedSize(m_db->getRowHeight(this));
    if (m_style & kDrawRowLines)
        step += getLineWidth();
    return step;
}

CCoord CDataBrowser::getColumnWidth(std::int32_t column)
{
    return m_db ? boundedSize(m_db->getCurrentColumnWidth(column, this)) : 0;
}

CCoord CDataBrowser::getColumnStart(std::int32_t column)
{
    CCoord gap = (m_style & kDrawColumnLines) ? getLineWidth() : 0;
    CCoord start = 0;
    for (std::int32_t i = 0; i < column; ++i)
        start += getColumnWidth(i) + gap;
    return start;
}

CRect CDataBrowser::getCellBounds(std::int32_t row, std::int32_t column)
{
    CCoord start = getColumnStart(column);
    CCoord step = getRowStep();
    CRect bounds(start, step * row, start + getColumnWidth(column), step * (row + CCoord(1)));
    bounds.offset(m_dbView->getViewSize().getTopLeft());
    return bounds;
}

CRect CDataBrowser::rowBounds(std::int32_t row)
{
    CRect bounds = getCellBounds(row, 0);
    bounds.left = m_dbView->getViewSize().left;
    bounds.right = m_dbView->getViewSize().right;
    return bounds;
}

bool CDataBrowser::getCellAt(const CPoint& where, std::int32_t& row, std::int32_t& column)
{
    CCoord step = getRowStep();
    const CRect& origin = m_dbView->getViewSize();
    CCoord y = where.v - origin.top;
    CCoord x = where.h - origin.left;
    if (step <= 0 || y < 0 || x < 0 || y / step >= getNumRows())
        return false;
    CCoord gap = (m_style & kDrawColumnLines) ? getLineWidth() : 0;
    CCoord next = 0;
    std::int32_t columns = getNumColumns();
    for (std::int32_t c = 0; c < columns; ++c)
    {
        next += getColumnWidth(c) + gap;
        if (x < next)
        {
            row = static_cast<std::int32_t>(y / step);
            column = c;
            return true;
        }
    }
    return false;
}

// --- Layout -----------------------------------------------------------------------

void CDataBrowser::recalculateLayout(bool rememberSelection)
{
    std::int32_t rows = getNumRows();
    std::int32_t columns = getNumColumns();
    CCoord width = getColumnStart(columns);
    CCoord height = getRowStep() * rows;
    if (m_style & kDrawHeader)
        placeHeader(width, (m_db ? boundedSize(m_db->getRowHeight(this)) : 0) + getLineWidth());

    setContainerSize(CRect(0, 0, width, height), true);
    const CPoint& offset = getScrollOffset();
    CRect cells(0, 0, width, height);
    cells.offset(offset.h, -offset.v);
    m_dbView->setViewSize(cells);
    m_dbView->setMouseableArea(cells);
    if (m_dbHeader)
    {
        CRect header = m_dbHeader->getViewSize();
        header.setWidth(width);
        header.moveTo(offset.h, 0);
        m_dbHeader->setViewSize(header);
        m_dbHeader->setMouseableArea(header);
    }
    if (isDirty())
        invalid();

    if (!rememberSelection || m_selectedRow >= rows)
        m_selectedRow = -1;
}

void CDataBrowser::placeHeader(CCoord width, CCoord height)
{
    if (!m_dbHeaderContainer)
    {
        const CRect& area = m_sc->getViewSize();
        CCoord barWidth = m_vsb ? m_vsb->getWidth() : 0;
        CRect place(area.left, area.top, area.right + barWidth, area.top);
        m_dbHeaderContainer = new CViewContainer(place, m_frame);
        m_dbHeaderContainer->setTransparency(true);
        m_dbHeader = new CDataBrowserHeader(CRect(0, 0, width, height), m_db, this);
        m_dbHeaderContainer->addView(m_dbHeader);
        CViewContainer::addView(m_dbHeaderContainer);
    }
    CRect place = m_dbHeaderContainer->getViewSize();
    place.setHeight(height);
    // The scrolled area and the vertical bar start below the header.
    auto pushDown = [](CView* view, CCoord top) {
        if (!view)
            return;
        CRect size = view->getViewSize();
        top = std::min(top, size.bottom);
        if (size.top == top)
            return;
        size.top = top;
        view->setViewSize(size);
        view->setMouseableArea(size);
    };
    pushDown(m_sc, place.bottom);
    pushDown(m_vsb, height > 0 ? place.bottom : 0);
    m_dbHeaderContainer->setViewSize(place);
    m_dbHeaderContainer->setMouseableArea(place);
    CRect header = m_dbHeader->getViewSize();
    header.setHeight(height);
    m_dbHeader->setViewSize(header);
    m_dbHeader->setMouseableArea(header);
}

void CDataBrowser::valueChanged(CControl* control)
{
    CCoord before = getScrollOffset().h;
    CScrollView::valueChanged(control);
    CCoord after = getScrollOffset().h;
    if (!m_dbHeader || after == before)
        return;
    CRect header = m_dbHeader->getViewSize();
    header.moveTo(after, header.top);
    m_dbHeader->setViewSize(header);
    m_dbHeader->setMouseableArea(header);
    m_dbHeaderContainer->invalid();
}

bool CDataBrowser::attached(CView* parent)
{
    recalculateLayout(true);
    return CScrollView::attached(parent);
}

// --- Selection ----------------------------------------------------------------

void CDataBrowser::invalidateRow(std::int32_t row)
{
    if (row < 0 || row >= getNumRows())
        return;
    m_dbView->invalidRect(rowBounds(row));
}

void CDataBrowser::makeRowVisible(std::int32_t row)
{
    if (row < 0 || row >= getNumRows())
        return;
    // Only up or down: the columns in view stay.
    CRect bounds = rowBounds(row);
    bounds.left = bounds.right = 0;
    makeRectVisible(bounds);
}

void CDataBrowser::setSelectedRow(std::int32_t row)
{
    row = std::max(-1, std::min(row, getNumRows() - 1));
    if (row == m_selectedRow)
        return;
    invalidateRow(m_selectedRow);
    m_selectedRow = row;
    invalidateRow(row);
    if (m_db)
        m_db->selectionChanged(this);
}

// --- Cell editing -------------------------------------------------------------------

void CDataBrowser::beginTextEdit(std::int32_t row, std::int32_t column, const char* initialText)
{
    if (!m_db || row < 0 || row >= getNumRows() || column < 0 || column >= getNumColumns())
        return;
    makeRectVisible(getCellBounds(row, column));
    auto* edit = new CTextEdit(getCellBounds(row, column), nullptr, -1, initialText, nullptr, 0);
    SharedPointer<CTextEdit> keep(edit);
    m_db->cellSetupTextEdit(row, column, edit, this);
    std::int64_t rowValue = row;
    std::int64_t columnValue = column;
    edit->setAttribute(kRowAttribute, sizeof(rowValue), &rowValue);
    edit->setAttribute(kColumnAttribute, sizeof(columnValue), &columnValue);
    addView(edit);
    if (m_frame)
        m_frame->setFocusView(edit);
    edit->takeFocus();
}

std::int32_t CDataBrowser::notify(CBaseObject* sender, const char* message)
{
    if (message != kMsgLooseFocus)
        return CScrollView::notify(sender, message);
    auto* edit = dynamic_cast<CTextEdit*>(sender);
    std::int64_t row = 0;
    std::int64_t column = 0;
    std::int64_t rowSize = 0;
    std::int64_t columnSize = 0;
    if (!edit || !isChild(edit) || !edit->getAttribute(kRowAttribute, sizeof(row), &row, rowSize) ||
        !edit->getAttribute(kColumnAttribute, sizeof(column), &column, columnSize) || rowSize != sizeof(row) ||
        columnSize != sizeof(column))
        return CScrollView::notify(sender, message);
    // The edit is inside its own looseFocus, which keeps it alive.
    SharedPointer<CTextEdit> keep(edit);
    std::string text = edit->getTextPointer();
    if (m_frame && m_frame->getFocusView() == edit)
        m_frame->setFocusView(nullptr);
    removeView(edit, true);
    if (m_db)
        m_db->cellTextChanged(static_cast<std::int32_t>(row), static_cast<std::int32_t>(column), text.c_str(), this);
    return 1;
}

bool CDataBrowser::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CDataBrowser") == 0 || CScrollView::isTypeOf(className);
}

CView* CDataBrowser::newCopy() const
{
    return new CDataBrowser(m_size, m_frame, m_db, m_style, m_scrollbarWidth, m_background);
}
