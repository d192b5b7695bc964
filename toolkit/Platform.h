#pragma once

// The narrow interface between the toolkit and the windowing system. A frame
// with a window owns one PlatformWindow, made by the factory that the window
// layer registers; the toolkit itself never includes a windowing header.
// Coordinates are the frame's unless a name says screen.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <cairo.h>

#include "toolkit/BaseTypes.h"
#include "toolkit/CBitmap.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/SharedPointer.h"

class CFrame;

// One line of a pop-up menu, as it is shown: the texts are final (number
// prefixes applied) and valid UTF-8. The platform shows a snapshot, so the
// menu object may change while the pop-up runs.
struct PlatformMenuItem
{
    std::string title;
    bool separator = false;
    bool enabled = true;
    bool checked = false;
    bool indented = false;
    // Key equivalent shown beside the title, with its modifier bits.
    std::string key;
    CButtonState keyModifiers = 0;
    SharedPointer<CBitmap> icon;
    bool hasSubmenu = false;
    std::vector<PlatformMenuItem> submenu;
    // The submenu's lines per column; -1 for one column.
    std::int32_t submenuItemsPerColumn = -1;
};

struct PlatformMenu
{
    std::vector<PlatformMenuItem> items;
    // A pop-up opens with this line under the pointer; -1 pulls the menu
    // down from the anchor instead.
    std::int32_t selectedIndex = -1;
    // Lines per column; -1 for one column.
    std::int32_t itemsPerColumn = -1;
};

// What the user did in a text field besides typing.
class PlatformTextFieldListener
{
public:
    enum Command
    {
        kReturn,
        kTab,
        kBackTab,
        kCancel,
    };

    virtual ~PlatformTextFieldListener() = default;
    // Answers whether the command was used; the field ignores it otherwise.
    // The listener may delete the field during the call (the edit ended):
    // the field then returns at once without touching itself.
    virtual bool onTextFieldCommand(Command command) = 0;
};

struct PlatformTextFieldOptions
{
    // The field's own rectangle and the part of it that is visible, both in
    // frame coordinates.
    CRect rect;
    CRect visibleRect;
    std::string text;
    SharedPointer<CFontDesc> font;
    CColor fontColor = kColorBlack;
    CColor backColor = kColorWhite;
    CHoriTxtAlign alignment = kLeftText;
    // The text is cut at a character boundary to fit this many bytes.
    std::size_t maxBytes = 255;
};

// A native single-line text field over a view; it holds the keyboard focus
// while it exists. Deleting it removes it.
class PlatformTextField
{
public:
    virtual ~PlatformTextField() = default;
    virtual std::string getText() = 0;
    virtual void setText(const std::string& text) = 0;
    virtual void setBounds(const CRect& rect, const CRect& visibleRect) = 0;
};

class PlatformWindow
{
public:
    virtual ~PlatformWindow() = default;

    // The child window in its parent's coordinates.
    virtual CRect getBounds() = 0;
    virtual void setBounds(const CRect& bounds) = 0;

    // Painting: the window keeps a back buffer (null when it has none yet)
    // and asks the frame to draw into it what was invalidated.
    virtual void invalidRect(const CRect& rect) = 0;
    // Moves the pixels of rect by distance; the frame invalidates what the
    // move uncovers.
    virtual void scrollPixels(const CRect& rect, const CPoint& distance) = 0;
    virtual cairo_surface_t* getSurface() = 0;
    // The host's idle: bounded handling of pending window events, then
    // drawing the invalid region and showing it.
    virtual void pumpEvents() = 0;
    virtual void paint() = 0;

    // Pointer.
    virtual bool getMouseLocation(CPoint& where) = 0;
    virtual CButtonState getMouseButtons() = 0;
    virtual void setCursor(CCursorType type) = 0;
    virtual void setPointerHidden(bool hidden) = 0;
    // Moves the pointer; the motion the move itself causes never reaches
    // the frame. While the pointer is hidden the frame sees it at
    // screenPoint at once, and every move of the hand from there on, made
    // before the move took effect or after.
    virtual void warpPointer(const CPoint& screenPoint) = 0;

    // Screen geometry: one rectangle per monitor, in screen coordinates.
    virtual std::vector<CRect> getScreens() = 0;
    virtual bool getScreenMouseLocation(CPoint& screenPoint) = 0;
    virtual CPoint frameToScreen(const CPoint& where) = 0;

    // Runs the menu anchored at anchor until the user chooses or cancels;
    // timers, painting and the editor's idle keep running. Answers the
    // chosen line as a path of indices through the submenus, or false.
    virtual bool popupMenu(const PlatformMenu& menu, const CRect& anchor, std::vector<std::int32_t>& chosenPath) = 0;
    virtual std::unique_ptr<PlatformTextField> createTextField(const PlatformTextFieldOptions& options,
                                                               PlatformTextFieldListener* listener) = 0;
    // Shows dialog (a frame made without a window) in a top-level window of
    // its own above this one and returns when endModalDialog is called for
    // it, or the user closes it (result 0). Timers, painting and the
    // editor's idle keep running meanwhile.
    virtual std::int32_t runModalDialog(CFrame* dialog, const std::string& title) = 0;
    virtual void endModalDialog(CFrame* dialog, std::int32_t result) = 0;

    virtual void setClipboardText(const std::string& text) = 0;
    virtual bool getClipboardText(std::string& text) = 0;

    // Whether files and text dropped on the window reach the frame.
    virtual void setDropTarget(bool active) = 0;

    // A small borderless window centred under anchor with one line of text.
    virtual void showTooltip(const CRect& anchor, const std::string& text) = 0;
    virtual void setTooltipAlpha(double alpha) = 0;
    virtual void hideTooltip() = 0;
};

class Platform
{
public:
    // Makes the window of frame inside the host's parent window, or null
    // when none can be made.
    using WindowFactory = std::unique_ptr<PlatformWindow> (*)(CFrame& frame, void* parentWindow, const CRect& size);

    static void setWindowFactory(WindowFactory factory);
    static WindowFactory getWindowFactory();
    static std::unique_ptr<PlatformWindow> createWindow(CFrame& frame, void* parentWindow, const CRect& size);
};
