#pragma once

#include <X11/Xlib.h>

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/Platform.h"
#include "toolkit/x11/X11Display.h"

class CDrawContext;
class X11Window;

// A pop-up menu in override-redirect windows of our own, one per open
// level, with the pointer and the keyboard grabbed while it runs. It works
// on its own copy of the menu, so the editor may rebuild the menu object
// meanwhile: its loop keeps the editor's idle (timers, painting) running.
// A click opens it and a second click chooses, or a press, a drag and a
// release on an entry; Escape or a click outside closes it. A menu breaks
// into columns after the lines per column it asks for, and a long one
// before it would leave the monitor; every level stays on the monitor.
class X11PopupMenu : public X11Display::Target
{
public:
    X11PopupMenu(X11Window& window, const PlatformMenu& menu);
    ~X11PopupMenu() override;
    X11PopupMenu(const X11PopupMenu&) = delete;
    X11PopupMenu& operator=(const X11PopupMenu&) = delete;

    // Runs until the user chooses or cancels; anchor in frame coordinates.
    bool run(const CRect& anchor, std::vector<std::int32_t>& chosenPath);

    // X11Display::Target: exposure of the menu windows.
    void handleEvent(XEvent& event) override;

private:
    struct Level
    {
        const std::vector<PlatformMenuItem>* items = nullptr;
        // The entry of the level above that opened this one.
        int parentIndex = -1;
        // Lines per column as the menu asks, or -1.
        int itemsPerColumn = -1;
        CRect bounds;
        std::vector<CRect> itemRects;
        int highlighted = -1;
        Window window = 0;
        GC gc = nullptr;
        cairo_surface_t* image = nullptr;
    };
    struct Hit
    {
        int level = -1;
        int item = -1;
    };

    void layout(Level& level, CCoord minWidth);
    bool openLevel(const std::vector<PlatformMenuItem>& items, int itemsPerColumn, int parentIndex,
                   const CRect& itemOnScreen, bool belowAnchor, int selectedIndex, CCoord minWidth);
    void closeLevelsAbove(int level);
    void destroyLevel(Level& level);
    void drawLevel(Level& level);
    void showLevel(Level& level);
    bool grab();

    Hit hitTest(int rootX, int rootY) const;
    bool isSelectable(const PlatformMenuItem& item) const;
    void hover(const Hit& hit);
    void openSubmenu(int level, int item, bool highlightFirst);
    void moveHighlight(int step);
    void activate(int level, int item);
    void handleInput(XEvent& event);
    void finish(bool chosen, int level = -1, int item = -1);

    X11Window& m_window;
    std::shared_ptr<X11Display> m_display;
    PlatformMenu m_menu;
    std::vector<std::unique_ptr<Level>> m_levels;
    CRect m_monitor;
    CDrawContext* m_measure = nullptr;
    cairo_surface_t* m_measureSurface = nullptr;

    bool m_done = false;
    bool m_chosen = false;
    std::vector<std::int32_t> m_path;
    // The click that opened the menu, while its release is to come.
    bool m_awaitingFirstRelease = false;
    unsigned int m_openButton = 0;
    Time m_openTime = 0;
    bool m_moved = false;
    int m_openX = 0;
    int m_openY = 0;
    bool m_pointerGrabbed = false;
    bool m_keyboardGrabbed = false;
};
