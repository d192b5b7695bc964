#pragma once

#include "toolkit/CScrollView.h"

class CDataBrowserHeader;
class CDataBrowserView;
class IDataBrowser;

// A scrolling table whose rows, columns, sizes and cell drawing come from
// a data source. It keeps the selected row, can show a header of column
// titles that scrolls sideways with the cells, and edits a cell's text in
// place.
class CDataBrowser : public CScrollView
{
public:
    // Style bits, beside those of the scroll view.
    enum : std::int64_t
    {
        kDrawRowLines = 0x10,
        kDrawColumnLines = 0x20,
        kDrawHeader = 0x40,
    };

    CDataBrowser(const CRect& size, CFrame* frame, IDataBrowser* db, std::int64_t style = 0,
                 CCoord scrollbarWidth = 16, CBitmap* background = nullptr);
    ~CDataBrowser() override;

    // Sizes the cells (and the header) to what the data source says now;
    // the selection stays only when asked and its row still exists.
    virtual void recalculateLayout(bool rememberSelection = false);
    virtual void invalidateRow(std::int32_t row);
    virtual void makeRowVisible(std::int32_t row);
    // In the coordinates of the scrolled area's children.
    virtual CRect getCellBounds(std::int32_t row, std::int32_t column);
    virtual std::int32_t getSelectedRow() const { return m_selectedRow; }
    // Beyond the last row selects the last; -1 selects none.
    virtual void setSelectedRow(std::int32_t row);
    // Edits the cell's text in a text edit over it; the data source hears
    // the text when the edit ends.
    virtual void beginTextEdit(std::int32_t row, std::int32_t column, const char* initialText);

    // The table's geometry, as the cells and the header use it. A row
    // step of 0 (no height and no lines) hits no row.
    CCoord getLineWidth(CColor* color = nullptr);
    CCoord getRowStep();
    CCoord getColumnWidth(std::int32_t column);
    CCoord getColumnStart(std::int32_t column);
    std::int32_t getNumRows();
    std::int32_t getNumColumns();
    // The cell under where (getCellBounds' coordinates), if any.
    bool getCellAt(const CPoint& where, std::int32_t& row, std::int32_t& column);

    IDataBrowser* getDataSource() const { return m_db; }
    CDataBrowserView* getDataBrowserView() const { return m_dbView; }
    CDataBrowserHeader* getDataBrowserHeader() const { return m_dbHeader; }

    // The header follows the horizontal scrolling.
    void valueChanged(CControl* control) override;
    // Ends a cell edit.
    std::int32_t notify(CBaseObject* sender, const char* message) override;
    bool attached(CView* parent) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    void placeHeader(CCoord width, CCoord height);
    CRect rowBounds(std::int32_t row);

    IDataBrowser* m_db;
    CDataBrowserView* m_dbView = nullptr;
    CDataBrowserHeader* m_dbHeader = nullptr;
    CViewContainer* m_dbHeaderContainer = nullptr;
    std::int32_t m_selectedRow = -1;
    CCoord m_scrollbarWidth;
};
