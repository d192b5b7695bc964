#include "toolkit/COptionMenu.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "Source/shared/Utf8.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFrame.h"
#include "toolkit/Platform.h"
#include "toolkit/SharedPointer.h"

namespace
{
// The menus behind a pop-up's lines, held for as long as it runs: the
// entries may change meanwhile, but a chosen line still leads to the menu
// that showed it.
struct MenuSnapshot
{
    SharedPointer<COptionMenu> menu;
    std::size_t lineCount = 0;
    // One per line; null for lines without a submenu.
    std::vector<std::unique_ptr<MenuSnapshot>> submenus;
};

std::int32_t toLineCount(std::int64_t count)
{
    return count > 0 ? static_cast<std::int32_t>(std::min<std::int64_t>(count, INT32_MAX)) : -1;
}

// The position a value stands for, or -1.
std::int64_t positionOf(float value, std::int64_t count)
{
    return value > -1.0f && value < static_cast<float>(count) ? static_cast<std::int64_t>(value) : -1;
}

std::string numberPrefix(std::int64_t mode, std::size_t position)
{
    const char* format = mode == 2 ? "%1d " : mode == 3 ? "%02d " : mode == 4 ? "%03d " : nullptr;
    if (!format)
        return std::string();
    char text[32];
    std::snprintf(text, sizeof(text), format, static_cast<int>(position + 1));
    return text;
}

void snapshotLines(COptionMenu* menu, std::vector<PlatformMenuItem>& lines, MenuSnapshot& node,
                   std::vector<const COptionMenu*>& path)
{
    node.menu.reset(menu);
    path.push_back(menu);
    bool showChecks = (menu->getStyle() & kMultipleCheckStyle) != 0;
    std::int64_t count = menu->getNbEntries();
    node.lineCount = static_cast<std::size_t>(count);
    node.submenus.resize(node.lineCount);
    lines.resize(node.lineCount);
    for (std::size_t i = 0; i < node.lineCount; ++i)
    {
        CMenuItem* entry = menu->getEntry(static_cast<std::int64_t>(i));
        PlatformMenuItem& line = lines[i];
        COptionMenu* submenu = entry->getSubmenu();
        // A menu that holds itself further down shows no deeper.
        if (submenu && std::find(path.begin(), path.end(), submenu) != path.end())
            submenu = nullptr;
        if (!submenu && entry->isSeparator())
        {
            line.separator = true;
            continue;
        }
        line.title = Utf8::makeValid(numberPrefix(menu->getNumberPrefix(), i) +
                                     (entry->getTitle() ? entry->getTitle() : ""));
        line.icon = SharedPointer<CBitmap>(entry->getIcon());
        if (submenu)
        {
            line.hasSubmenu = true;
            line.enabled = entry->isEnabled();
            line.submenuItemsPerColumn = toLineCount(submenu->getNbItemsPerColumn());
            node.submenus[i] = std::make_unique<MenuSnapshot>();
            snapshotLines(submenu, line.submenu, *node.submenus[i], path);
            continue;
        }
        line.enabled = entry->isEnabled() && !entry->isTitle();
        line.indented = entry->isTitle();
        line.checked = showChecks && entry->isChecked();
        if (entry->getKeycode())
        {
            line.key = Utf8::makeValid(entry->getKeycode());
            line.keyModifiers = entry->getKeyModifiers();
        }
    }
    path.pop_back();
}
} // namespace

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* bgWhenClick,
                         CBitmap* background, std::int64_t style)
    : CParamDisplay(size, background, style), m_bgWhenClick(bgWhenClick)
{
    m_listener = listener;
    m_tag = tag;
    if (m_bgWhenClick)
        m_bgWhenClick->retain();
}

COptionMenu::COptionMenu(const COptionMenu& menu)
    : CParamDisplay(menu),
      m_menuItems(menu.m_menuItems),
      m_bgWhenClick(menu.m_bgWhenClick),
      m_lastButton(0),
      m_nbItemsPerColumn(menu.m_nbItemsPerColumn)
{
    for (CMenuItem* item : m_menuItems)
        item->retain();
    if (m_bgWhenClick)
        m_bgWhenClick->retain();
}

COptionMenu::~COptionMenu()
{
    setLastMenu(nullptr);
    removeAllEntry();
    if (m_bgWhenClick)
        m_bgWhenClick->release();
}

// --- Entries ----------------------------------------------------------------

CMenuItem* COptionMenu::addEntry(CMenuItem* item, std::int64_t index)
{
    if (!item)
        return nullptr;
    if (index < 0 || index > getNbEntries())
        m_menuItems.push_back(item);
    else
        m_menuItems.insert(m_menuItems.begin() + index, item);
    return item;
}

CMenuItem* COptionMenu::addEntry(COptionMenu* submenu, const char* title)
{
    return addEntry(new CMenuItem(title, submenu));
}

CMenuItem* COptionMenu::addEntry(const char* title, std::int64_t index, std::int64_t itemFlags)
{
    if (title && std::strcmp(title, "-") == 0)
        return addSeparator();
    return addEntry(new CMenuItem(title, itemFlags), index);
}

CMenuItem* COptionMenu::addSeparator(std::int64_t index)
{
    return addEntry(new CMenuItem("", CMenuItem::kSeparator), index);
}

CMenuItem* COptionMenu::getCurrent() const
{
    return getEntry(m_currentIndex);
}

std::int64_t COptionMenu::getCurrentIndex(bool countSeparator) const
{
    if (countSeparator || m_currentIndex < 0)
        return m_currentIndex;
    std::int64_t separators = 0;
    for (std::int64_t i = 0; i <= m_currentIndex && i < getNbEntries(); ++i)
        if (m_menuItems[static_cast<std::size_t>(i)]->isSeparator())
            ++separators;
    return m_currentIndex - separators;
}

CMenuItem* COptionMenu::getEntry(std::int64_t index) const
{
    if (index < 0 || index >= getNbEntries())
        return nullptr;
    return m_menuItems[static_cast<std::size_t>(index)];
}

std::int64_t COptionMenu::getNbEntries() const
{
    return static_cast<std::int64_t>(m_menuItems.size());
}

bool COptionMenu::setCurrent(std::int64_t index, bool countSeparator)
{
    if (countSeparator)
    {
        CMenuItem* entry = getEntry(index);
        if (!entry || entry->isSeparator())
            return false;
        m_currentIndex = index;
    }
    else
    {
        std::int64_t position = index;
        for (std::int64_t i = 0; i <= position && i < getNbEntries(); ++i)
            if (m_menuItems[static_cast<std::size_t>(i)]->isSeparator())
                ++position;
        m_currentIndex = position;
        if (!getEntry(position))
        {
            setDirty(true);
            return true;
        }
    }
    if (m_style & kMultipleCheckStyle)
        getCurrent()->setChecked(!getCurrent()->isChecked());
    setDirty(true);
    return true;
}

bool COptionMenu::removeEntry(std::int64_t index)
{
    CMenuItem* entry = getEntry(index);
    if (!entry)
        return false;
    m_menuItems.erase(m_menuItems.begin() + index);
    entry->release();
    return true;
}

bool COptionMenu::removeAllEntry()
{
    std::vector<CMenuItem*> items;
    items.swap(m_menuItems);
    for (CMenuItem* item : items)
        item->release();
    return true;
}

bool COptionMenu::checkEntry(std::int64_t index, bool checked)
{
    CMenuItem* entry = getEntry(index);
    if (!entry)
        return false;
    entry->setChecked(checked);
    return true;
}

bool COptionMenu::checkEntryAlone(std::int64_t index)
{
    for (std::size_t i = 0; i < m_menuItems.size(); ++i)
        m_menuItems[i]->setChecked(static_cast<std::int64_t>(i) == index);
    return true;
}

bool COptionMenu::isCheckedEntry(std::int64_t index) const
{
    CMenuItem* entry = getEntry(index);
    return entry && entry->isChecked();
}

void COptionMenu::setNumberPrefix(std::int64_t mode)
{
    if (mode >= 0 && mode < 5)
        m_prefixNumbers = mode;
}

COptionMenu* COptionMenu::getLastItemMenu(std::int64_t& index) const
{
    index = m_lastMenu ? static_cast<std::int64_t>(m_lastMenu->getValue()) : -1;
    return m_lastMenu;
}

void COptionMenu::setLastMenu(COptionMenu* menu)
{
    // A submenu is kept, so that asking for it later is safe; holding this
    // menu itself would keep it alive for ever.
    if (menu && menu != this)
        menu->retain();
    if (m_lastMenu && m_lastMenu != this)
        m_lastMenu->release();
    m_lastMenu = menu;
}

void COptionMenu::setValue(float value)
{
    std::int64_t position = positionOf(value, getNbEntries());
    if (position < 0)
        return;
    m_currentIndex = position;
    if (m_style & kMultipleCheckStyle)
        getCurrent()->setChecked(!getCurrent()->isChecked());
    m_value = value;
    setDirty(true);
}

// --- Drawing and the pop-up ----------------------------------------------------

void COptionMenu::draw(CDrawContext* context)
{
    CMenuItem* current = getCurrent();
    bool open = m_frame && m_frame->getFocusView() == this;
    drawText(context, current ? current->getTitle() : nullptr, open ? m_bgWhenClick : nullptr);
}

CMouseEventResult COptionMenu::onMouseDown(CPoint&, const CButtonState& buttons)
{
    m_lastButton = buttons;
    if (!(buttons & (kButtonLeft | kButtonRight | kModControl)))
        return kMouseResultNotHandled;
    SharedPointer<COptionMenu> self(this);
    beginEdit();
    m_editBegun = true;
    if (m_bgWhenClick)
        invalid();
    takeFocus();
    return kMouseResultHandledNoTracking;
}

void COptionMenu::takeFocus()
{
    if (!m_frame || m_popupRunning)
        return;
    // The editor's idle runs during the pop-up and may drop this menu, its
    // submenus or the whole frame: all of them stay until it is over.
    SharedPointer<COptionMenu> self(this);
    SharedPointer<CFrame> frame(m_frame);
    m_popupRunning = true;
    m_lastResult = -1;
    setLastMenu(nullptr);

    if (PlatformWindow* window = frame->getPlatformWindow())
    {
        PlatformMenu menu;
        MenuSnapshot root;
        std::vector<const COptionMenu*> path;
        snapshotLines(this, menu.items, root, path);
        menu.itemsPerColumn = toLineCount(m_nbItemsPerColumn);
        std::int64_t count = getNbEntries();
        std::int64_t valuePosition = positionOf(m_value, count);
        if (!(m_style & kMultipleCheckStyle) && (m_style & kCheckStyle) && valuePosition >= 0 &&
            !menu.items[static_cast<std::size_t>(valuePosition)].separator)
            menu.items[static_cast<std::size_t>(valuePosition)].checked = true;
        if (m_style & kPopupStyle)
            menu.selectedIndex = static_cast<std::int32_t>(valuePosition >= 0 ? valuePosition : count > 0 ? 0 : -1);

        CPoint topLeft = m_size.getTopLeft();
        localToFrame(topLeft);
        std::vector<std::int32_t> chosenPath;
        bool chosen = window->popupMenu(menu, CRect(topLeft, m_size.getSize()), chosenPath);

        // The choice counts only while this menu is still in its frame and
        // each submenu on the way still hangs where the pop-up showed it.
        COptionMenu* target = nullptr;
        std::int64_t index = -1;
        if (chosen && !chosenPath.empty() && isAttached() && m_frame == frame.get())
        {
            const MenuSnapshot* node = &root;
            target = this;
            for (std::size_t level = 0; level < chosenPath.size() && target; ++level)
            {
                std::int32_t line = chosenPath[level];
                if (line < 0 || static_cast<std::size_t>(line) >= node->lineCount)
                    target = nullptr;
                else if (level + 1 == chosenPath.size())
                    index = line;
                else
                {
                    const MenuSnapshot* next = node->submenus[static_cast<std::size_t>(line)].get();
                    CMenuItem* entry = target->getEntry(line);
                    target = next && entry && entry->getSubmenu() == next->menu.get() ? next->menu.get() : nullptr;
                    node = next;
                }
            }
        }
        if (target && index < target->getNbEntries())
        {
            setLastMenu(target);
            m_lastResult = index;
            target->setValue(static_cast<float>(index));
            if (m_listener)
                m_listener->valueChanged(target);
        }
    }

    m_popupRunning = false;
    if (frame->getFocusView() == this)
        frame->setFocusView(nullptr);
    if (!m_editBegun)
        return;
    m_editBegun = false;
    if (isAttached())
        endEdit();
    else
        // Dropped during the pop-up: the host still hears the end; the
        // listener may have gone with the view.
        frame->endEdit(static_cast<std::int32_t>(m_tag));
}

void COptionMenu::looseFocus()
{
    invalid();
}

bool COptionMenu::isTypeOf(const char* className) const
{
    return std::strcmp(className, "COptionMenu") == 0 || CParamDisplay::isTypeOf(className);
}

CView* COptionMenu::newCopy() const
{
    return new COptionMenu(*this);
}
