#pragma once

#include <vector>

#include "toolkit/CMenuItem.h"
#include "toolkit/CParamDisplay.h"

// A display of the current entry's title that pops up its list of entries
// when clicked. Positions count every entry, separators included; the
// value is the position of the current entry. A choice reaches this menu's
// listener with the (sub)menu that holds the chosen entry as the control.
class COptionMenu : public CParamDisplay
{
public:
    COptionMenu(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* bgWhenClick = nullptr,
                CBitmap* background = nullptr, std::int64_t style = 0);
    // The copy shares the entries and starts with none current.
    COptionMenu(const COptionMenu& menu);
    ~COptionMenu() override;

    // Takes over the caller's reference of item. Inserts before position
    // index; -1, or an index past the end, appends.
    virtual CMenuItem* addEntry(CMenuItem* item, std::int64_t index = -1);
    virtual CMenuItem* addEntry(COptionMenu* submenu, const char* title);
    // The title "-" appends a separator wherever index points.
    virtual CMenuItem* addEntry(const char* title, std::int64_t index = -1,
                                std::int64_t itemFlags = CMenuItem::kNoFlags);
    virtual CMenuItem* addSeparator(std::int64_t index = -1);
    virtual CMenuItem* getCurrent() const;
    // Without countSeparator, the separators before the current entry do
    // not count.
    virtual std::int64_t getCurrentIndex(bool countSeparator = false) const;
    virtual CMenuItem* getEntry(std::int64_t index) const;
    virtual std::int64_t getNbEntries() const;
    // Without countSeparator, index counts the entries that are not
    // separators.
    virtual bool setCurrent(std::int64_t index, bool countSeparator = true);
    virtual bool removeEntry(std::int64_t index);
    virtual bool removeAllEntry();
    virtual bool checkEntry(std::int64_t index, bool checked);
    // Checks the entry at index and unchecks every other.
    virtual bool checkEntryAlone(std::int64_t index);
    virtual bool isCheckedEntry(std::int64_t index) const;
    // -1: one column.
    virtual void setNbItemsPerColumn(std::int64_t count) { m_nbItemsPerColumn = count; }
    std::int64_t getNbItemsPerColumn() const { return m_nbItemsPerColumn; }
    // 2, 3 and 4 put the entry's number in front of its title, at least
    // one, two or three digits wide; 0 and 1 put nothing.
    virtual void setNumberPrefix(std::int64_t mode);
    std::int64_t getNumberPrefix() const { return m_prefixNumbers; }

    // The (sub)menu of the last choice, and in index the chosen position;
    // null and -1 without one.
    COptionMenu* getLastItemMenu(std::int64_t& index) const;
    std::int64_t getLastResult() const { return m_lastResult; }
    CButtonState getLastButton() const { return m_lastButton; }
    CBitmap* getBgWhenClick() const { return m_bgWhenClick; }

    // Values outside the positions of the entries are ignored.
    void setValue(float value) override;
    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    // Runs the pop-up and reports the choice.
    void takeFocus() override;
    void looseFocus() override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    void setLastMenu(COptionMenu* menu);

    std::vector<CMenuItem*> m_menuItems;
    std::int64_t m_currentIndex = -1;
    CBitmap* m_bgWhenClick = nullptr;
    CButtonState m_lastButton = kButtonRight;
    std::int64_t m_nbItemsPerColumn = -1;
    std::int64_t m_lastResult = -1;
    std::int64_t m_prefixNumbers = 0;
    // Retained unless it is this menu.
    COptionMenu* m_lastMenu = nullptr;

private:
    bool m_editBegun = false;
    bool m_popupRunning = false;
};
