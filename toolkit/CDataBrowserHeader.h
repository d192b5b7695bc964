#pragma once

#include "toolkit/CView.h"

class CDataBrowser;
class IDataBrowser;

// The column titles of a data browser, drawn by the data source. Dragging
// near the right edge of a resizable column changes its width.
class CDataBrowserHeader : public CView
{
public:
    // How near the right edge of a column, in pixels, a drag resizes it.
    static constexpr CCoord kGrabWidth = 5;

    CDataBrowserHeader(const CRect& size, IDataBrowser* db, CDataBrowser* browser);

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    // The resizable column whose grab zone holds where, or -1.
    std::int32_t grabbedColumn(const CPoint& where);
    void showResizeCursor(bool state);

    IDataBrowser* m_db;
    CDataBrowser* m_browser;
    CPoint m_startPoint;
    std::int32_t m_dragColumn = -1;
    CCoord m_startWidth = 0;
    bool m_resizeCursor = false;
};
