#include "toolkit/x11/X11PopupMenu.h"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "toolkit/CBitmap.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/x11/X11ErrorTrap.h"
#include "toolkit/x11/X11Window.h"

namespace
{
constexpr CCoord kItemHeight = 20;
constexpr CCoord kSeparatorHeight = 9;
constexpr CCoord kPadding = 4;
constexpr CCoord kCheckWidth = 20;
constexpr CCoord kIndent = 12;
constexpr CCoord kIconGap = 4;
constexpr CCoord kKeyGap = 24;
constexpr CCoord kArrowWidth = 18;
constexpr CCoord kRightPadding = 8;

constexpr CColor kBackground{242, 242, 242, 255};
constexpr CColor kBorder{140, 140, 140, 255};
constexpr CColor kText{0, 0, 0, 255};
constexpr CColor kDisabledText{150, 150, 150, 255};
constexpr CColor kHighlight{56, 117, 215, 255};
constexpr CColor kHighlightText{255, 255, 255, 255};
constexpr CColor kSeparator{200, 200, 200, 255};

// The release of the click that opened the menu chooses only after the
// pointer moved or was held this long; a quick click leaves it open.
constexpr std::uint32_t kClickHoldMillis = 500;
constexpr int kMoveThreshold = 4;
constexpr int kNestedIdleMillis = 15;
constexpr int kMaxEventsPerTurn = 200;

std::uint64_t steadyMillis()
{
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

bool isInput(int type)
{
    return type == ButtonPress || type == ButtonRelease || type == MotionNotify || type == KeyPress ||
           type == KeyRelease || type == EnterNotify || type == LeaveNotify;
}

std::string keyText(const PlatformMenuItem& item)
{
    if (item.key.empty())
        return std::string();
    std::string text;
    if (item.keyModifiers & kModControl)
        text += "Super+";
    if (item.keyModifiers & kModCommand)
        text += "Ctrl+";
    if (item.keyModifiers & kModOption)
        text += "Alt+";
    if (item.keyModifiers & kModShift)
        text += "Shift+";
    std::string key = item.key;
    if (key.size() == 1)
        key[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])));
    return text + key;
}

void fill(CDrawContext* context, const CRect& rect, const CColor& color)
{
    context->setFillColor(color);
    context->drawRect(rect, kDrawFilled);
}
} // namespace

X11PopupMenu::X11PopupMenu(X11Window& window, const PlatformMenu& menu)
    : m_window(window), m_display(window.getDisplayPointer()), m_menu(menu),
      m_measureSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1))
{
    cairo_t* cr = cairo_create(m_measureSurface);
    m_measure = new CDrawContext(nullptr, cr);
    cairo_destroy(cr);
    m_measure->setFont(kFontSystem);
}

X11PopupMenu::~X11PopupMenu()
{
    closeLevelsAbove(-1);
    m_measure->release();
    cairo_surface_destroy(m_measureSurface);
}

bool X11PopupMenu::run(const CRect& anchor, std::vector<std::int32_t>& chosenPath)
{
    chosenPath.clear();
    if (!m_display->usable())
        return false;
    std::weak_ptr<char> alive = m_window.aliveToken();
    const CPoint origin = m_window.frameToScreen(anchor.getTopLeft());
    CRect anchorOnScreen(anchor);
    anchorOnScreen.moveTo(origin.h, origin.v);
    const CPoint centre(anchorOnScreen.left + anchorOnScreen.width() / 2,
                        anchorOnScreen.top + anchorOnScreen.height() / 2);
    std::vector<CRect> monitors = m_display->monitors();
    m_monitor = monitors.empty() ? CRect(0, 0, 1024, 768) : monitors.front();
    for (const CRect& monitor : monitors)
        if (monitor.pointInside(centre))
            m_monitor = monitor;
    if (const XButtonEvent* press = m_window.currentPress())
    {
        // Judged by the events' own times and places, however late the
        // editor gets to them.
        m_awaitingFirstRelease = true;
        m_openButton = press->button;
        m_openTime = press->time;
        m_openX = press->x_root;
        m_openY = press->y_root;
    }
    else
    {
        X11ErrorTrap trap(*m_display);
        Window root = 0, child = 0;
        int x = 0, y = 0;
        unsigned int mask = 0;
        XQueryPointer(m_display->get(), m_display->root(), &root, &child, &m_openX, &m_openY, &x, &y, &mask);
    }

    if (!openLevel(m_menu.items, m_menu.itemsPerColumn, -1, anchorOnScreen, true, m_menu.selectedIndex,
                   anchor.width()) ||
        !grab())
    {
        closeLevelsAbove(-1);
        return false;
    }

    m_display->enterNestedLoop();
    std::uint64_t nextIdle = steadyMillis() + kNestedIdleMillis;
    while (!m_done)
    {
        if (!m_display->usable() || alive.expired())
        {
            finish(false);
            break;
        }
        XEvent event;
        for (int count = 0; !m_done && count < kMaxEventsPerTurn && m_display->nextEvent(event); ++count)
        {
            if (isInput(event.type))
                handleInput(event);
            else
                m_display->dispatch(event);
        }
        if (m_done)
            break;
        const std::uint64_t now = steadyMillis();
        if (now >= nextIdle)
        {
            // Timers, the editor's idle and painting go on under the menu.
            m_window.runNestedIdle();
            nextIdle = now + kNestedIdleMillis;
            continue;
        }
        m_display->waitForEvents(static_cast<int>(nextIdle - now));
    }
    m_display->leaveNestedLoop();
    if (m_display->usable())
    {
        X11ErrorTrap trap(*m_display);
        if (m_pointerGrabbed)
            XUngrabPointer(m_display->get(), CurrentTime);
        if (m_keyboardGrabbed)
            XUngrabKeyboard(m_display->get(), CurrentTime);
    }
    closeLevelsAbove(-1);
    if (!m_chosen)
        return false;
    chosenPath = m_path;
    return true;
}

bool X11PopupMenu::grab()
{
    X11ErrorTrap trap(*m_display);
    Display* d = m_display->get();
    const Window window = m_levels.front()->window;
    Cursor arrow = m_display->cursor(kCursorDefault);
    // Another client may hold a grab for a moment (a host's own menu).
    for (int attempt = 0; attempt < 20 && !m_pointerGrabbed; ++attempt)
    {
        m_pointerGrabbed = XGrabPointer(d, window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                        GrabModeAsync, GrabModeAsync, None, arrow, CurrentTime) == GrabSuccess;
        if (!m_pointerGrabbed)
            poll(nullptr, 0, 10);
    }
    if (!m_pointerGrabbed)
        return false;
    for (int attempt = 0; attempt < 20 && !m_keyboardGrabbed; ++attempt)
    {
        m_keyboardGrabbed = XGrabKeyboard(d, window, False, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
        if (!m_keyboardGrabbed)
            poll(nullptr, 0, 10);
    }
    return true;
}

// --- Levels ----------------------------------------------------------------------------------------

void X11PopupMenu::layout(Level& level, CCoord minWidth)
{
    const auto& items = *level.items;
    CCoord content = 0;
    bool anyIndented = false;
    for (const PlatformMenuItem& item : items)
    {
        if (item.separator)
            continue;
        CCoord width = std::max<CCoord>(0, m_measure->getStringWidth(item.title.c_str()));
        if (item.icon)
            width += item.icon->getWidth() + kIconGap;
        std::string key = keyText(item);
        if (!key.empty())
            width += kKeyGap + std::max<CCoord>(0, m_measure->getStringWidth(key.c_str()));
        content = std::max(content, width);
        anyIndented = anyIndented || item.indented;
    }
    const CCoord columnWidth =
        std::max(minWidth, kCheckWidth + (anyIndented ? kIndent : 0) + content + kArrowWidth + kRightPadding);
    // Long menus go on in further columns rather than off the monitor.
    const CCoord maxBottom = std::max<CCoord>(kItemHeight * 3, m_monitor.height() - kPadding - 1);
    level.itemRects.clear();
    CCoord column = 0;
    CCoord y = kPadding + 1;
    CCoord bottom = y;
    int linesInColumn = 0;
    for (const PlatformMenuItem& item : items)
    {
        CCoord height = item.separator ? kSeparatorHeight : kItemHeight;
        if (!item.separator && item.icon)
            height = std::max(height, item.icon->getHeight() + 4);
        const bool columnFull = level.itemsPerColumn > 0 && linesInColumn >= level.itemsPerColumn;
        if ((columnFull || y + height > maxBottom) && y > kPadding + 1)
        {
            ++column;
            y = kPadding + 1;
            linesInColumn = 0;
        }
        ++linesInColumn;
        const CCoord left = 1 + column * columnWidth;
        level.itemRects.emplace_back(left, y, left + columnWidth, y + height);
        y += height;
        bottom = std::max(bottom, y);
    }
    level.bounds = CRect(0, 0, 2 + (column + 1) * columnWidth, bottom + kPadding + 1);
}

bool X11PopupMenu::openLevel(const std::vector<PlatformMenuItem>& items, int itemsPerColumn, int parentIndex,
                             const CRect& itemOnScreen, bool belowAnchor, int selectedIndex, CCoord minWidth)
{
    if (!m_display->usable() || items.empty())
        return false;
    auto level = std::make_unique<Level>();
    level->items = &items;
    level->parentIndex = parentIndex;
    level->itemsPerColumn = itemsPerColumn;
    const bool top = m_levels.empty();
    layout(*level, top && selectedIndex >= 0 ? minWidth + kCheckWidth : minWidth);
    const CCoord width = level->bounds.width();
    const CCoord height = level->bounds.height();
    CCoord x, y;
    if (top && belowAnchor && selectedIndex >= 0 && selectedIndex < static_cast<int>(items.size()))
    {
        // The chosen line lies over the anchor, its text over the anchor's.
        const CRect& line = level->itemRects[static_cast<std::size_t>(selectedIndex)];
        x = itemOnScreen.left - kCheckWidth - line.left;
        y = itemOnScreen.top + (itemOnScreen.height() - line.height()) / 2 - line.top;
        if (isSelectable(items[static_cast<std::size_t>(selectedIndex)]))
            level->highlighted = selectedIndex;
    }
    else if (top)
    {
        x = itemOnScreen.left;
        y = itemOnScreen.bottom;
        if (y + height > m_monitor.bottom && itemOnScreen.top - height >= m_monitor.top)
            y = itemOnScreen.top - height;
    }
    else
    {
        x = itemOnScreen.right - 2;
        y = itemOnScreen.top - kPadding - 1;
        if (x + width > m_monitor.right)
            x = itemOnScreen.left - width + 2;
    }
    x = std::clamp<CCoord>(x, m_monitor.left, std::max(m_monitor.left, m_monitor.right - width));
    y = std::clamp<CCoord>(y, m_monitor.top, std::max(m_monitor.top, m_monitor.bottom - height));
    level->bounds.moveTo(x, y);

    Display* d = m_display->get();
    X11ErrorTrap trap(*m_display);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.event_mask = ExposureMask;
    level->window = XCreateWindow(d, m_display->root(), static_cast<int>(x), static_cast<int>(y),
                                  static_cast<unsigned>(width), static_cast<unsigned>(height), 0, CopyFromParent,
                                  InputOutput, CopyFromParent,
                                  CWOverrideRedirect | CWSaveUnder | CWBackPixmap | CWBorderPixel | CWEventMask,
                                  &attributes);
    if (!level->window)
        return false;
    Atom type = m_display->atom("_NET_WM_WINDOW_TYPE_POPUP_MENU");
    XChangeProperty(d, level->window, m_display->atom("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&type), 1);
    level->gc = XCreateGC(d, level->window, 0, nullptr);
    m_display->addTarget(level->window, this);
    XMapRaised(d, level->window);
    drawLevel(*level);
    showLevel(*level);
    m_levels.push_back(std::move(level));
    return true;
}

void X11PopupMenu::destroyLevel(Level& level)
{
    m_display->removeTarget(level.window);
    if (level.gc && m_display->get())
    {
        X11ErrorTrap trap(*m_display);
        XFreeGC(m_display->get(), level.gc);
    }
    level.gc = nullptr;
    // After the host destroyed our window nothing more is sent about it;
    // closing the connection takes the menu's windows along.
    if (m_display->usable())
    {
        X11ErrorTrap trap(*m_display);
        XDestroyWindow(m_display->get(), level.window);
    }
    if (level.image)
        cairo_surface_destroy(level.image);
    level.image = nullptr;
}

void X11PopupMenu::closeLevelsAbove(int level)
{
    while (static_cast<int>(m_levels.size()) > level + 1)
    {
        destroyLevel(*m_levels.back());
        m_levels.pop_back();
    }
}

void X11PopupMenu::drawLevel(Level& level)
{
    const int width = static_cast<int>(level.bounds.width());
    const int height = static_cast<int>(level.bounds.height());
    if (!level.image)
        level.image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(level.image);
    auto* context = new CDrawContext(nullptr, cr);
    cairo_destroy(cr);
    context->setClipRect(CRect(0, 0, width, height));
    fill(context, CRect(0, 0, width, height), kBorder);
    fill(context, CRect(1, 1, width - 1, height - 1), kBackground);
    context->setFont(kFontSystem);
    const auto& items = *level.items;
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        const PlatformMenuItem& item = items[i];
        const CRect& rect = level.itemRects[i];
        if (item.separator)
        {
            const CCoord middle = rect.top + rect.height() / 2;
            fill(context, CRect(rect.left + 6, middle, rect.right - 6, middle + 1), kSeparator);
            continue;
        }
        const bool highlighted = static_cast<int>(i) == level.highlighted;
        if (highlighted)
            fill(context, rect, kHighlight);
        const CColor color = !item.enabled ? kDisabledText : highlighted ? kHighlightText : kText;
        CCoord x = rect.left + kCheckWidth + (item.indented ? kIndent : 0);
        if (item.checked)
        {
            context->setDrawMode(kAntialias);
            context->setLineWidth(2);
            context->setFrameColor(color);
            const CCoord middle = rect.top + rect.height() / 2;
            context->moveTo(CPoint(rect.left + 5, middle));
            context->lineTo(CPoint(rect.left + 9, middle + 4));
            context->lineTo(CPoint(rect.left + 15, middle - 4));
            context->setDrawMode(kCopyMode);
        }
        if (item.icon)
        {
            const CCoord iconWidth = item.icon->getWidth();
            const CCoord iconHeight = item.icon->getHeight();
            const CCoord iconTop = rect.top + (rect.height() - iconHeight) / 2;
            item.icon->draw(context, CRect(x, iconTop, x + iconWidth, iconTop + iconHeight));
            x += iconWidth + kIconGap;
        }
        context->setFontColor(color);
        context->drawString(item.title.c_str(), CRect(x, rect.top, rect.right - kArrowWidth, rect.bottom), kLeftText,
                            true);
        const std::string key = keyText(item);
        if (!key.empty())
            context->drawString(key.c_str(), CRect(x, rect.top, rect.right - kArrowWidth, rect.bottom), kRightText,
                                true);
        if (item.hasSubmenu)
        {
            cairo_t* c = context->getCairo();
            const double right = static_cast<double>(rect.right - kRightPadding);
            const double middle = static_cast<double>(rect.top + rect.height() / 2);
            cairo_save(c);
            cairo_set_source_rgb(c, color.red / 255.0, color.green / 255.0, color.blue / 255.0);
            cairo_move_to(c, right - 5, middle - 4);
            cairo_line_to(c, right, middle);
            cairo_line_to(c, right - 5, middle + 4);
            cairo_close_path(c);
            cairo_fill(c);
            cairo_restore(c);
        }
    }
    context->release();
    cairo_surface_flush(level.image);
}

void X11PopupMenu::showLevel(Level& level)
{
    if (!m_display->usable() || !level.gc || !level.image)
        return;
    Display* d = m_display->get();
    m_display->putImage(level.window, level.gc, DefaultVisual(d, m_display->screen()),
                        DefaultDepth(d, m_display->screen()), level.image, 0, 0,
                        static_cast<int>(level.bounds.width()), static_cast<int>(level.bounds.height()));
    X11ErrorTrap trap(*m_display);
    XFlush(d);
}

void X11PopupMenu::handleEvent(XEvent& event)
{
    if (event.type != Expose)
        return;
    for (auto& level : m_levels)
        if (level->window == event.xexpose.window)
            showLevel(*level);
}

// --- Input -----------------------------------------------------------------------------------------

X11PopupMenu::Hit X11PopupMenu::hitTest(int rootX, int rootY) const
{
    for (int l = static_cast<int>(m_levels.size()) - 1; l >= 0; --l)
    {
        const Level& level = *m_levels[static_cast<std::size_t>(l)];
        if (!level.bounds.pointInside(CPoint(rootX, rootY)))
            continue;
        const CPoint local(rootX - level.bounds.left, rootY - level.bounds.top);
        for (std::size_t i = 0; i < level.itemRects.size(); ++i)
            if (level.itemRects[i].pointInside(local))
                return {l, static_cast<int>(i)};
        return {l, -1};
    }
    return {};
}

bool X11PopupMenu::isSelectable(const PlatformMenuItem& item) const
{
    return !item.separator && item.enabled;
}

void X11PopupMenu::hover(const Hit& hit)
{
    if (hit.level < 0)
        return;
    Level& level = *m_levels[static_cast<std::size_t>(hit.level)];
    const PlatformMenuItem* item = hit.item >= 0 ? &(*level.items)[static_cast<std::size_t>(hit.item)] : nullptr;
    const bool selectable = item && isSelectable(*item);
    const bool childOpen = static_cast<int>(m_levels.size()) > hit.level + 1 &&
                           m_levels[static_cast<std::size_t>(hit.level) + 1]->parentIndex == hit.item;
    if (!childOpen)
        closeLevelsAbove(hit.level);
    const int highlighted = selectable ? hit.item : -1;
    if (highlighted != level.highlighted)
    {
        level.highlighted = highlighted;
        drawLevel(level);
        showLevel(level);
    }
    if (selectable && item->hasSubmenu && !childOpen)
        openSubmenu(hit.level, hit.item, false);
}

void X11PopupMenu::openSubmenu(int level, int item, bool highlightFirst)
{
    closeLevelsAbove(level);
    Level& parent = *m_levels[static_cast<std::size_t>(level)];
    const PlatformMenuItem& entry = (*parent.items)[static_cast<std::size_t>(item)];
    CRect itemOnScreen = parent.itemRects[static_cast<std::size_t>(item)];
    itemOnScreen.offset(parent.bounds.left, parent.bounds.top);
    if (!openLevel(entry.submenu, entry.submenuItemsPerColumn, item, itemOnScreen, false, -1, 0))
        return;
    if (highlightFirst)
        moveHighlight(1);
}

void X11PopupMenu::moveHighlight(int step)
{
    Level& level = *m_levels.back();
    const int count = static_cast<int>(level.items->size());
    int index = level.highlighted;
    for (int k = 0; k < count; ++k)
    {
        index = index < 0 ? (step > 0 ? 0 : count - 1) : (index + step + count) % count;
        if (isSelectable((*level.items)[static_cast<std::size_t>(index)]))
        {
            level.highlighted = index;
            drawLevel(level);
            showLevel(level);
            return;
        }
    }
}

void X11PopupMenu::activate(int level, int item)
{
    const PlatformMenuItem& entry = (*m_levels[static_cast<std::size_t>(level)]->items)[static_cast<std::size_t>(item)];
    if (!isSelectable(entry))
        return;
    if (entry.hasSubmenu)
        openSubmenu(level, item, true);
    else
        finish(true, level, item);
}

void X11PopupMenu::finish(bool chosen, int level, int item)
{
    m_done = true;
    m_chosen = chosen;
    m_path.clear();
    if (!chosen)
        return;
    for (int l = 1; l <= level; ++l)
        m_path.push_back(m_levels[static_cast<std::size_t>(l)]->parentIndex);
    m_path.push_back(item);
}

void X11PopupMenu::handleInput(XEvent& event)
{
    switch (event.type)
    {
    case MotionNotify:
    {
        const int x = event.xmotion.x_root;
        const int y = event.xmotion.y_root;
        if (std::abs(x - m_openX) > kMoveThreshold || std::abs(y - m_openY) > kMoveThreshold)
            m_moved = true;
        hover(hitTest(x, y));
        break;
    }
    case ButtonPress:
        if (event.xbutton.button > Button3)
            break;
        if (hitTest(event.xbutton.x_root, event.xbutton.y_root).level < 0)
            finish(false);
        break;
    case ButtonRelease:
    {
        if (event.xbutton.button > Button3)
            break;
        const bool openingClick = m_awaitingFirstRelease && event.xbutton.button == m_openButton;
        if (openingClick)
            m_awaitingFirstRelease = false;
        if (std::abs(event.xbutton.x_root - m_openX) > kMoveThreshold ||
            std::abs(event.xbutton.y_root - m_openY) > kMoveThreshold)
            m_moved = true;
        const Hit hit = hitTest(event.xbutton.x_root, event.xbutton.y_root);
        if (hit.level < 0)
        {
            // Pressed on the anchor and let go there: the menu stays open;
            // dragged out of the menu and let go: it closes.
            if (openingClick && m_moved)
                finish(false);
            break;
        }
        if (hit.item < 0)
            break;
        const PlatformMenuItem& item =
            (*m_levels[static_cast<std::size_t>(hit.level)]->items)[static_cast<std::size_t>(hit.item)];
        if (!isSelectable(item) || item.hasSubmenu)
            break;
        if (openingClick && !m_moved && static_cast<std::uint32_t>(event.xbutton.time - m_openTime) < kClickHoldMillis)
            break;
        finish(true, hit.level, hit.item);
        break;
    }
    case KeyPress:
    {
        const KeySym sym = XLookupKeysym(&event.xkey, 0);
        const int deepest = static_cast<int>(m_levels.size()) - 1;
        Level& level = *m_levels.back();
        switch (sym)
        {
        case XK_Escape:
            finish(false);
            break;
        case XK_Down:
            moveHighlight(1);
            break;
        case XK_Up:
            moveHighlight(-1);
            break;
        case XK_Right:
            if (level.highlighted >= 0 && (*level.items)[static_cast<std::size_t>(level.highlighted)].hasSubmenu)
                openSubmenu(deepest, level.highlighted, true);
            break;
        case XK_Left:
            if (deepest > 0)
                closeLevelsAbove(deepest - 1);
            break;
        case XK_Return:
        case XK_KP_Enter:
        case XK_space:
            if (level.highlighted >= 0)
                activate(deepest, level.highlighted);
            break;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
}
