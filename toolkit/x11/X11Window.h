#pragma once

#include <X11/Xlib.h>

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/Platform.h"
#include "toolkit/x11/X11Display.h"

class X11DropTarget;
class X11SharedImage;
class X11TextField;
class X11TooltipWindow;

// The window of one frame: a child of the host's window (the editor), or a
// top-level dialog window above another of ours. It turns X events into the
// frame's mouse, wheel and key calls, keeps a back buffer that the frame
// draws its invalid region into and that is copied to the window (through
// shared memory where the server allows), and
// carries the pointer, cursor, menu, text field, dialog and clipboard
// services of the platform interface.
class X11Window : public PlatformWindow, public X11Display::Target
{
public:
    // Null when parent is not a window we can make a child in.
    static std::unique_ptr<X11Window> createChild(const std::shared_ptr<X11Display>& display, CFrame& frame,
                                                  Window parent, const CRect& bounds);
    static std::unique_ptr<X11Window> createDialog(X11Window& owner, CFrame& dialog, const std::string& title);
    ~X11Window() override;
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    Window getWindow() const { return m_window; }
    X11Display& getDisplay() const { return *m_display; }
    const std::shared_ptr<X11Display>& getDisplayPointer() const { return m_display; }
    CFrame& getFrame() const { return m_frame; }
    bool usable() const { return m_display->usable() && !m_dead; }
    // Expires when the window goes: handlers that call into the frame
    // check it before they touch the window again.
    std::weak_ptr<char> aliveToken() const { return m_alive; }

    // The button press being handled, while the frame handles it: a menu
    // opened by it treats that button's release as the end of the click.
    const XButtonEvent* currentPress() const { return m_inPress ? &m_press : nullptr; }
    // The cursor the frame asked for last.
    CCursorType getCursorType() const { return m_cursorType; }

    // What a nested loop (menu, dialog) runs between events: the editor's
    // idle (timers, dirty views, painting), and a dialog's own frame.
    void runNestedIdle();

    // The text field that edits over this window; it takes the keyboard
    // focus for its lifetime and gives it back afterwards (a dialog's
    // window keeps it).
    void attachTextField(X11TextField* field);
    void detachTextField(X11TextField* field);

    // PlatformWindow
    CRect getBounds() override { return m_bounds; }
    void setBounds(const CRect& bounds) override;
    void invalidRect(const CRect& rect) override;
    void scrollPixels(const CRect& rect, const CPoint& distance) override;
    cairo_surface_t* getSurface() override;
    void pumpEvents() override;
    void paint() override;
    bool getMouseLocation(CPoint& where) override;
    CButtonState getMouseButtons() override;
    void setCursor(CCursorType type) override;
    void setPointerHidden(bool hidden) override;
    void warpPointer(const CPoint& screenPoint) override;
    std::vector<CRect> getScreens() override;
    bool getScreenMouseLocation(CPoint& screenPoint) override;
    CPoint frameToScreen(const CPoint& where) override;
    bool popupMenu(const PlatformMenu& menu, const CRect& anchor, std::vector<std::int32_t>& chosenPath) override;
    std::unique_ptr<PlatformTextField> createTextField(const PlatformTextFieldOptions& options,
                                                       PlatformTextFieldListener* listener) override;
    std::int32_t runModalDialog(CFrame* dialog, const std::string& title) override;
    void endModalDialog(CFrame* dialog, std::int32_t result) override;
    void setClipboardText(const std::string& text) override;
    bool getClipboardText(std::string& text) override;
    void setDropTarget(bool active) override;
    void showTooltip(const CRect& anchor, const std::string& text) override;
    void setTooltipAlpha(double alpha) override;
    void hideTooltip() override;

    // X11Display::Target
    void handleEvent(XEvent& event) override;

private:
    X11Window(const std::shared_ptr<X11Display>& display, CFrame& frame, X11Window* owner);

    void onButtonPress(const XButtonEvent& event);
    void onButtonRelease(const XButtonEvent& event);
    void onMotion(const XMotionEvent& event);
    void onLeave(const XCrossingEvent& event);
    void onKey(XKeyEvent& event);
    // The press the frame tracks ends without its release.
    void cancelPress();
    // A button is still held, or its release waits in the queue.
    bool releaseStillToCome();
    // The pointer on the root window: a round trip.
    bool queryRootPointer(int& rootX, int& rootY, unsigned int& mask);
    // Forgets the warps the server had done when it sent an event.
    void landWarps(unsigned long serial);
    // Whether the event is the pointer motion (or crossing) that our own
    // warp caused.
    bool causedByWarp(unsigned long serial, int rootX, int rootY, bool crossing) const;
    // Whether a warp the server has yet to do makes the event stale.
    bool staleForWarp() const;
    CButtonState heldButtons(unsigned int state) const;
    // Turns the position of a press, release or motion into the frame's
    // and keeps it; false when the frame is not to see the event move the
    // pointer (stale, the warp's own, or no move as the frame sees it).
    bool followPointer(unsigned long serial, int rootX, int rootY, int& x, int& y);
    void noteCrossing(const XCrossingEvent& event);
    bool insideBounds(const CPoint& where) const;

    void updateEventMask();
    bool ensureBackBuffer();
    void drawInvalidRegion();
    void copyToWindow(cairo_region_t* region);
    void destroyBackBuffer();
    Window topLevelAncestor();

    std::shared_ptr<X11Display> m_display;
    CFrame& m_frame;
    X11Window* m_owner;
    Window m_window = 0;
    Window m_parent = 0;
    Visual* m_visual = nullptr;
    CRect m_bounds;
    bool m_dead = false;
    bool m_closeRequested = false;
    bool m_endSeen = false;
    std::shared_ptr<char> m_alive = std::make_shared<char>();

    int m_depth = 0;
    GC m_gc = nullptr;
    cairo_surface_t* m_backBuffer = nullptr;
    // Where the back buffer's pixels are when the server shares memory.
    std::unique_ptr<X11SharedImage> m_shared;
    // Drawn by the frame, then copied; and only copied (exposed, scrolled).
    cairo_region_t* m_invalid;
    cairo_region_t* m_exposed;
    // Whether anything was added to them since the last paint took them.
    bool m_invalidPending = false;
    bool m_exposedPending = false;

    CCursorType m_cursorType = kCursorDefault;
    bool m_pointerHidden = false;
    struct Warp
    {
        unsigned long serial;
        CPoint target;
        // Made with the pointer hidden: the moves before it still count.
        bool keepsMoves;
    };
    // Ours that the server had not done by the last event we handled.
    std::vector<Warp> m_warps;
    // The last one it had done, whose own events still may come.
    Warp m_landed{};
    bool m_landedEventsDue = false;
    // Where the last press, release or motion found the pointer on the
    // screen: where the hand moves it on from.
    CPoint m_lastRoot;
    bool m_lastRootKnown = false;
    // From a warp of the hidden pointer until it shows again the frame
    // sees it jump to the warp's target at once and then move as the hand
    // moves it, whichever side of the warp the server saw the moves.
    bool m_relative = false;
    CPoint m_relativePoint;
    // Where our events last put the pointer, in the window's coordinates;
    // not known while it may move without telling us (another window over
    // ours, a grab, a warp, a move of our window).
    CPoint m_pointer;
    bool m_pointerKnown = false;
    int m_configuredX = 0;
    int m_configuredY = 0;

    // Buttons 8 and 9 have no bits in the event state.
    CButtonState m_extraButtons = 0;
    unsigned int m_lastClickButton = 0;
    Time m_lastClickTime = 0;
    int m_lastClickX = 0;
    int m_lastClickY = 0;
    int m_clickCount = 0;
    bool m_inPress = false;
    XButtonEvent m_press{};

    X11TextField* m_textField = nullptr;
    bool m_fieldTracking = false;
    bool m_focusTaken = false;
    Window m_savedFocus = None;
    int m_savedRevert = RevertToParent;
    long m_extraEventMask = 0;

    std::unique_ptr<X11TooltipWindow> m_tooltip;
    std::unique_ptr<X11DropTarget> m_dropTarget;
};
