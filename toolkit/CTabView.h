#pragma once

#include "toolkit/CControlListener.h"
#include "toolkit/CViewContainer.h"

class CFontDesc;
class CTabButton;
class CTabChildView;

// Shows one of several views at a time, chosen by a row or column of tab
// buttons along one side. A tab image holds the off and on states stacked,
// so one tab is half as tall as its image.
class CTabView : public CViewContainer, public CControlListener
{
public:
    enum TabPosition : std::int32_t
    {
        kPositionLeft = 0,
        kPositionRight = 1,
        kPositionTop = 2,
        kPositionBottom = 3,
    };
    enum : std::int64_t
    {
        kAlignCenter = 0,
        kAlignStart = 1,
        kAlignEnd = 2,
    };
    // Tab buttons carry this plus their index as tag.
    static constexpr std::int64_t kTabButtonTagStart = 20000;

    CTabView(const CRect& size, CFrame* frame, const CRect& tabSize, CBitmap* background = nullptr,
             std::int32_t tabPosition = kPositionTop, std::int64_t style = 0);
    CTabView(const CRect& size, CFrame* frame, CBitmap* tabBitmap, CBitmap* background = nullptr,
             std::int32_t tabPosition = kPositionTop, std::int64_t style = 0);
    // The copy has the same look and no tabs.
    CTabView(const CTabView& view);
    ~CTabView() override;

    // The tab takes over the caller's reference of view; a null tab bitmap
    // takes the tab view's own.
    virtual bool addTab(CView* view, const char* name = nullptr, CBitmap* tabBitmap = nullptr);
    // Takes over both references.
    virtual bool addTab(CView* view, CTabButton* button);
    // Releases the tab's view; the later tabs move up by one.
    virtual bool removeTab(CView* view);
    virtual bool removeAllTabs();
    virtual bool selectTab(std::int64_t index);
    virtual std::int64_t getCurrentSelectedTab() const { return m_currentTab; }
    // The area the tabs' views use, in the tab view's coordinates.
    virtual CRect& getTabViewSize(CRect& rect) const;
    // Every button gets a copy of font at fontSize and these text colours.
    virtual void setTabFontStyle(CFontDesc* font, CCoord fontSize, const CColor& selectedColor = kColorBlack,
                                 const CColor& deselectedColor = CColor{90, 90, 90, 255});
    virtual void alignTabs(std::int64_t alignment = kAlignCenter);
    // From the tab buttons.
    void valueChanged(CControl* control) override;

    std::int64_t getNbTabs() const { return m_numberOfChildren; }

    void setViewSize(const CRect& rect, bool invalidate = true) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    void setCurrentChild(CTabChildView* child);
    CViewContainer* buttonContainer() const;
    CRect tabButtonRect(std::int64_t index) const;
    // Tags and places follow the order of the tabs.
    void renumberTabs();
    CTabChildView* entryAt(std::int64_t index) const;

    std::int64_t m_numberOfChildren = 0;
    std::int64_t m_currentTab = -1;
    std::int32_t m_tabPosition;
    std::int64_t m_style;
    CRect m_tabSize;
    CBitmap* m_tabBitmap = nullptr;
    CTabChildView* m_firstChild = nullptr;
    CTabChildView* m_lastChild = nullptr;
    CTabChildView* m_currentChild = nullptr;
};
