#include "toolkit/CDataBrowser.h"
#include "toolkit/CDataBrowserHeader.h"
#include "toolkit/CDataBrowserView.h"
#include "toolkit/CScrollContainer.h"
#include "toolkit/CScrollbar.h"
#include "toolkit/CTextEdit.h"
#include "toolkit/IDataBrowser.h"

#include "support/EditorHarness.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
// Four rows of 20 pixels; column 0 is 40 wide and fixed, column 1 may be
// 20 to 100 wide.
class Table : public CBaseObject, public IDataBrowser
{
public:
    std::int32_t getNumRows(CDataBrowser*) override { return rows; }
    std::int32_t getNumColumns(CDataBrowser*) override { return 2; }
    bool getColumnDescription(std::int32_t column, CCoord& minWidth, CCoord& maxWidth, CDataBrowser*) override
    {
        minWidth = column == 0 ? 40 : 20;
        maxWidth = column == 0 ? 40 : 100;
        return true;
    }
    CCoord getCurrentColumnWidth(std::int32_t column, CDataBrowser*) override { return widths[column]; }
    void setCurrentColumnWidth(std::int32_t column, const CCoord& width, CDataBrowser*) override
    {
        widths[column] = width;
    }
    CCoord getRowHeight(CDataBrowser*) override { return rowHeight; }
    void drawCell(CDrawContext*, const CRect&, std::int32_t row, std::int32_t column, std::int32_t flags,
                  CDataBrowser*) override
    {
        record("cell " + std::to_string(row) + " " + std::to_string(column) + " " + std::to_string(flags));
    }
    CMouseEventResult onMouseDown(const CPoint&, const CButtonState&, std::int32_t row, std::int32_t column,
                                  CDataBrowser*) override
    {
        record("down " + std::to_string(row) + " " + std::to_string(column));
        return kMouseResultHandled;
    }
    void selectionChanged(CDataBrowser* browser) override
    {
        record("selected " + std::to_string(browser->getSelectedRow()));
    }
    void cellTextChanged(std::int32_t row, std::int32_t column, const char* text, CDataBrowser*) override
    {
        record("text " + std::to_string(row) + " " + std::to_string(column) + " " + text);
    }
    void cellSetupTextEdit(std::int32_t, std::int32_t, CTextEdit* edit, CDataBrowser*) override
    {
        edit->setBackColor(kColorWhite);
        record("setup");
    }

    void record(const std::string& entry) { log.push_back(entry); }
    bool logged(const std::string& entry) const { return std::find(log.begin(), log.end(), entry) != log.end(); }

    std::int32_t rows = 4;
    CCoord rowHeight = 20;
    CCoord widths[2] = {40, 30};
    std::vector<std::string> log;
};

// A framed browser with both bars and a header at (10, 10): its cells show
// from (11, 31) of the frame, 83 by 43 pixels.
struct Browser
{
    Browser()
    {
        table = new Table;
        browser = new CDataBrowser(CRect(10, 10, 110, 90), open.frame(), table,
                                   CScrollView::kHorizontalScrollbar | CScrollView::kVerticalScrollbar |
                                       CDataBrowser::kDrawHeader);
        open.frame()->addView(browser);
    }
    ~Browser() { table->forget(); }
    CMouseEventResult clickFrame(CCoord h, CCoord v, CButtonState buttons = kButtonLeft)
    {
        CPoint where(h, v);
        return open.frame()->onMouseDown(where, buttons);
    }
    CKeyResult key(unsigned char virt)
    {
        VstKeyCode code{0, virt, 0};
        return browser->getDataBrowserView()->onKeyDown(code);
    }

    EditorHarness open;
    Table* table;
    CDataBrowser* browser;
};
} // namespace

TEST(CDataBrowser, TheSelectionStaysOnExistingRowsAndFollowsTheArrowKeys)
{
    Browser b;
    EXPECT_EQ(b.browser->getScrollContainer()->getViewSize(), CRect(1, 21, 84, 64));
    b.browser->setSelectedRow(10);
    EXPECT_EQ(b.browser->getSelectedRow(), 3);
    EXPECT_EQ(b.table->log, (std::vector<std::string>{"selected 3"}));
    b.browser->setSelectedRow(3);
    EXPECT_EQ(b.table->log.size(), 1u);

    b.browser->setSelectedRow(0);
    EXPECT_EQ(b.key(VKEY_UP), kKeyHandled);
    EXPECT_EQ(b.browser->getSelectedRow(), 0);
    EXPECT_EQ(b.key(VKEY_LEFT), kKeyNotHandled);
    b.key(VKEY_DOWN);
    b.key(VKEY_DOWN);
    EXPECT_EQ(b.browser->getSelectedRow(), 2);
    // Row 2 ends at 60; 43 pixels show (the scroll view's float value may
    // lose the last pixel).
    EXPECT_NEAR(b.browser->getScrollOffset().v, 17, 1);

    b.browser->recalculateLayout(true);
    EXPECT_EQ(b.browser->getSelectedRow(), 2);
    b.table->rows = 2;
    b.browser->recalculateLayout(true);
    EXPECT_EQ(b.browser->getSelectedRow(), -1);
}

TEST(CDataBrowser, AClickSelectsTheRowAndTheCellsDrawTheSelection)
{
    Browser b;
    EXPECT_EQ(b.clickFrame(11 + 55, 31 + 25), kMouseResultHandled);
    EXPECT_EQ(b.table->log, (std::vector<std::string>{"selected 1", "down 1 1"}));
    // On the cells' right edge: no cell.
    EXPECT_EQ(b.clickFrame(11 + 70, 31 + 5), kMouseResultHandled);
    EXPECT_EQ(b.table->log.size(), 2u);

    b.table->log.clear();
    TestCanvas canvas(200, 100, b.open.frame());
    b.open.frame()->drawRect(canvas.context(), CRect(0, 0, 200, 100));
    EXPECT_TRUE(b.table->logged("cell 1 1 2"));
    EXPECT_TRUE(b.table->logged("cell 2 0 0"));
    EXPECT_FALSE(b.table->logged("cell 3 0 0"));
}

TEST(CDataBrowser, RowsWithoutHeightHitNothing)
{
    Browser b;
    b.table->rowHeight = 0;
    b.browser->recalculateLayout();
    CPoint top(5, 0);
    EXPECT_EQ(b.browser->getDataBrowserView()->onMouseDown(top, kButtonLeft), kMouseResultHandled);
    b.key(VKEY_DOWN);
    EXPECT_EQ(b.browser->getSelectedRow(), 0);
    b.table->log.clear();
    TestCanvas canvas(200, 100, b.open.frame());
    b.open.frame()->drawRect(canvas.context(), CRect(0, 0, 200, 100));
    EXPECT_TRUE(b.table->log.empty());
}

TEST(CDataBrowser, OnlyResizableColumnsCanBeGrabbedNearTheirRightEdge)
{
    Browser b;
    CDataBrowserHeader* header = b.browser->getDataBrowserHeader();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->getViewSize(), CRect(0, 0, 70, 20));
    std::vector<CCursorType>& cursors = b.open.window->cursors;
    CPoint fixedEdge(37, 5);
    EXPECT_EQ(header->onMouseDown(fixedEdge, kButtonLeft), kMouseResultNotHandled);
    CPoint inside(60, 5);
    header->onMouseMoved(inside, 0);
    EXPECT_TRUE(cursors.empty());
    CPoint edge(67, 5);
    header->onMouseMoved(edge, 0);
    EXPECT_EQ(cursors, (std::vector<CCursorType>{kCursorHSize}));

    EXPECT_EQ(b.clickFrame(11 + 67, 11 + 5), kMouseResultHandled);
    CPoint wider(11 + 87, 11 + 5);
    b.open.frame()->onMouseMoved(wider, kButtonLeft);
    EXPECT_EQ(b.table->widths[1], 50);
    EXPECT_EQ(b.browser->getDataBrowserView()->getViewSize().width(), 90);
    CPoint far(11 + 400, 11 + 5);
    b.open.frame()->onMouseMoved(far, kButtonLeft);
    EXPECT_EQ(b.table->widths[1], 100);
    b.open.frame()->onMouseUp(far, kButtonLeft);
    EXPECT_EQ(cursors.back(), kCursorDefault);
}

TEST(CDataBrowser, TheHeaderScrollsSidewaysWithTheCellsOnly)
{
    Browser b;
    b.table->widths[1] = 100;
    b.browser->recalculateLayout(true);
    CScrollbar* vertical = b.browser->getVerticalScrollbar();
    vertical->setValue(1.0f);
    b.browser->valueChanged(vertical);
    EXPECT_EQ(b.browser->getDataBrowserHeader()->getViewSize(), CRect(0, 0, 140, 20));
    CScrollbar* horizontal = b.browser->getHorizontalScrollbar();
    horizontal->setValue(1.0f);
    b.browser->valueChanged(horizontal);
    EXPECT_EQ(b.browser->getDataBrowserHeader()->getViewSize(), CRect(-57, 0, 83, 20));
    EXPECT_EQ(b.browser->getDataBrowserView()->getViewSize().left, -57);
}

TEST(CDataBrowser, ACellEditRemovesItselfAndHandsItsTextToTheTable)
{
    Browser b;
    b.browser->beginTextEdit(1, 1, "Cell");
    ASSERT_EQ(b.open.window->textFields.size(), 1u);
    FakeTextField* field = b.open.window->textFields.back();
    EXPECT_EQ(field->text, "Cell");
    EXPECT_EQ(field->rect, CRect(11 + 40, 31 + 20, 11 + 70, 31 + 40));
    EXPECT_EQ(b.browser->getNbViews(), 2);

    field->text = "Typed";
    field->listener->onTextFieldCommand(PlatformTextFieldListener::kReturn);
    EXPECT_TRUE(b.open.window->textFields.empty());
    EXPECT_EQ(b.browser->getNbViews(), 1);
    EXPECT_EQ(b.open.frame()->getFocusView(), nullptr);
    EXPECT_EQ(b.table->log, (std::vector<std::string>{"setup", "text 1 1 Typed"}));

    // A second edit ends the first; closing the editor ends the second.
    b.browser->beginTextEdit(0, 0, "A");
    b.browser->beginTextEdit(2, 1, "B");
    EXPECT_EQ(b.table->log.back(), "text 0 0 A");
    EXPECT_EQ(b.open.window->textFields.size(), 1u);
    b.open.editor->close();
    EXPECT_FALSE(b.table->logged("text 2 1 B"));
}
