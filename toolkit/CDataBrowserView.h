#pragma once

#include "toolkit/CView.h"

class CDataBrowser;
class IDataBrowser;

// The cells of a data browser: draws them through the data source, selects
// the row clicked and moves the selection with the up and down keys.
class CDataBrowserView : public CView
{
public:
    CDataBrowserView(const CRect& size, IDataBrowser* db, CDataBrowser* browser);

    void draw(CDrawContext* context) override;
    void drawRect(CDrawContext* context, const CRect& updateRect) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CKeyResult onKeyDown(VstKeyCode& keyCode) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    IDataBrowser* m_db;
    CDataBrowser* m_browser;
};
