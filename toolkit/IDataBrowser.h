#pragma once

#include <cstdint>

#include "toolkit/BaseTypes.h"

class CDataBrowser;
class CDrawContext;
class CTextEdit;

// The data source of a data browser: its rows, columns and sizes, the
// drawing of cells and column titles, and what clicks on cells do. A
// source that is also a CBaseObject is retained by the browser.
class IDataBrowser
{
public:
    // Flags of drawCell and drawHeader.
    enum : std::int32_t
    {
        kRowSelected = 2,
    };

    virtual ~IDataBrowser() = default;

    virtual std::int32_t getNumRows(CDataBrowser* browser) = 0;
    virtual std::int32_t getNumColumns(CDataBrowser* browser) = 0;
    // False when the column cannot be resized; equal widths mean the same.
    virtual bool getColumnDescription(std::int32_t, CCoord&, CCoord&, CDataBrowser*) { return false; }
    virtual CCoord getCurrentColumnWidth(std::int32_t column, CDataBrowser* browser) = 0;
    virtual void setCurrentColumnWidth(std::int32_t, const CCoord&, CDataBrowser*) {}
    virtual CCoord getRowHeight(CDataBrowser* browser) = 0;
    // The width and colour of the row and column lines; false for none.
    virtual bool getLineWidthAndColor(CCoord&, CColor&, CDataBrowser*) { return false; }
    virtual void drawHeader(CDrawContext*, const CRect&, std::int32_t, std::int32_t, CDataBrowser*) {}
    virtual void drawCell(CDrawContext* context, const CRect& size, std::int32_t row, std::int32_t column,
                          std::int32_t flags, CDataBrowser* browser) = 0;
    // Points are in the coordinates of getCellBounds.
    virtual CMouseEventResult onMouseDown(const CPoint&, const CButtonState&, std::int32_t, std::int32_t,
                                          CDataBrowser*)
    {
        return kMouseResultNotHandled;
    }
    virtual CMouseEventResult onMouseMoved(const CPoint&, const CButtonState&, std::int32_t, std::int32_t,
                                           CDataBrowser*)
    {
        return kMouseResultNotHandled;
    }
    virtual CMouseEventResult onMouseUp(const CPoint&, const CButtonState&, std::int32_t, std::int32_t,
                                        CDataBrowser*)
    {
        return kMouseResultNotHandled;
    }
    virtual void selectionChanged(CDataBrowser*) {}
    // The text of a cell edit that ended.
    virtual void cellTextChanged(std::int32_t, std::int32_t, const char*, CDataBrowser*) {}
    // Adjusts a cell edit before it starts (font, colours, style).
    virtual void cellSetupTextEdit(std::int32_t, std::int32_t, CTextEdit*, CDataBrowser*) {}
};
