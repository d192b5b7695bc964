#pragma once

#include <map>
#include <string>
#include <vector>

#include "editor/controls/CTextListRow.h"
#include "toolkit/CControlListener.h"
#include "toolkit/CViewContainer.h"

class CKickButton;
class CScrollView;
class GuiInfo;

// A scrolling list of text rows, each with a status picture. Scroll buttons
// at the top and bottom right appear only while the rows overflow; held,
// they scroll faster the longer they are held. Selecting a row scrolls it
// into view, gliding when it is near.
class CTextListView : public CViewContainer, public CControlListener
{
public:
    // The inner controls' tags.
    static constexpr std::int64_t kScrollUpTag = -1;
    static constexpr std::int64_t kScrollDownTag = -2;
    static constexpr std::int64_t kMaxRowsPerSecond = 40;

    // One row as the list takes it.
    struct Row
    {
        std::string text;
        std::string key;
        // Negative: style 0; past the last style: the last.
        std::int32_t style = 0;
        float status = 0.0f;
    };

    struct StylePair
    {
        CTextListRow::Style normal;
        CTextListRow::Style selected;
    };

    struct Appearance
    {
        CBitmap* upBitmap = nullptr;
        CBitmap* downBitmap = nullptr;
        CBitmap* statusBitmap = nullptr;
        std::int64_t statusFrames = 2;
        CCoord rowHeight = 20;
        // Fonts are retained by the list.
        std::vector<StylePair> styles;
        CColor scrollbarFrame = kColorGrey;
        CColor scrollbarScroller = kColorWhite;
        CColor scrollbarBackground = kColorBlack;
    };

    // Hears of a click on a row's text or status cell.
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void textListClicked(CTextListView* list, CControl* cell) = 0;
    };

    // guiInfo gives the clock; without it the toolkit's clock is read.
    CTextListView(const CRect& size, CFrame* frame, Listener* listener, GuiInfo* guiInfo,
                  const Appearance& appearance, CBitmap* background = nullptr);
    ~CTextListView() override;

    CTextListView(const CTextListView&) = delete;
    CTextListView& operator=(const CTextListView&) = delete;

    void setRows(const std::vector<Row>& rows, bool keepScroll);
    // An index outside the rows clears the selection and scrolls to the top.
    void setSelected(std::int64_t row);
    std::int64_t getSelected() const { return m_selected; }
    // Empty when nothing is selected.
    std::string getSelectedKey() const;
    bool findRow(const std::string& key, std::string& text) const;
    std::int64_t findRowIndex(const std::string& key) const;
    // The key of the row that view (a row or one of its cells) belongs to.
    bool findRowOfView(const CView* view, std::string& key) const;
    void setRowText(std::int64_t row, const std::string& text, const std::string& key);
    void setRowStatus(std::int64_t row, float status);
    std::int64_t getRowCount() const { return static_cast<std::int64_t>(m_descriptions.size()); }
    // An empty row for an index outside the rows.
    Row getRow(std::int64_t row) const;

    // The last click: its row, whether it hit the status cell, its buttons.
    std::int64_t getClickedRow() const { return m_clickedRow; }
    bool wasStatusClicked() const { return m_statusClicked; }
    CButtonState getClickButtons() const { return m_clickButtons; }

    // One idle step of the held buttons and the scroll into view.
    void tick(std::uint64_t milliseconds);

    // 0 (top) to 1 (bottom).
    float getScrollPosition() const;
    void setScrollPosition(float position);
    bool hasScrollButtons() const;
    bool isAnimating() const { return m_animating; }
    CScrollView* getScrollView() const { return m_scrollView; }
    CKickButton* getUpButton() const { return m_upButton; }
    CKickButton* getDownButton() const { return m_downButton; }
    CTextListRow* getRowView(std::int64_t row) const;

    void valueChanged(CControl* control) override;
    void controlBeginEdit(CControl* control) override;
    bool isTypeOf(const char* className) const override;

private:
    std::uint64_t now() const;
    // The part of the content that lies out of view, in pixels.
    CCoord scrollRange() const;
    void setHeld(std::int64_t direction, bool held);
    // rate rows per second in direction (-1 up, 1 down), from the time of
    // the last step.
    void scrollAt(float rate, int direction, std::uint64_t milliseconds);

    Listener* m_listener;
    GuiInfo* m_guiInfo;
    Appearance m_appearance;
    // Held here; children only while the rows overflow.
    CKickButton* m_upButton = nullptr;
    CKickButton* m_downButton = nullptr;
    CScrollView* m_scrollView = nullptr;
    CCoord m_scrollbarWidth = 16;
    CCoord m_rowHeight;
    CCoord m_contentHeight = 0;
    float m_rowShare = 0.0f;

    std::vector<Row> m_descriptions;
    std::vector<CTextListRow*> m_rows;
    std::map<std::string, std::int64_t> m_keys;
    std::int64_t m_selected = -1;

    std::int64_t m_clickedRow = -1;
    bool m_statusClicked = false;
    CButtonState m_clickButtons = 0;

    bool m_animating = false;
    float m_targetLow = 0.0f;
    float m_targetHigh = 0.0f;
    // -1 up, 1 down, 0 none.
    int m_heldDirection = 0;
    std::uint64_t m_pressTick = 0;
    // Fractions of a pixel carry over to the next step.
    double m_lastStep = 0.0;
};
