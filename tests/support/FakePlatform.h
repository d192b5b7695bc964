#pragma once

// A recording stand-in for the window layer: while a FakePlatform lives,
// every frame made with a parent window gets a FakePlatformWindow that
// records what the toolkit asks of it, draws into an image surface of the
// frame's size, and answers pointer, screen, menu and dialog questions
// from fields a test sets.

#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/Platform.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class FakePlatformWindow;

class FakeTextField : public PlatformTextField
{
public:
    FakeTextField(FakePlatformWindow& window, const PlatformTextFieldOptions& options,
                  PlatformTextFieldListener* listener);
    ~FakeTextField() override;

    std::string getText() override { return text; }
    void setText(const std::string& newText) override { text = newText; }
    void setBounds(const CRect& newRect, const CRect& newVisibleRect) override
    {
        rect = newRect;
        visibleRect = newVisibleRect;
    }

    // Null once the window is gone, as a real field is detached then.
    FakePlatformWindow* window;
    PlatformTextFieldListener* listener;
    std::string text;
    CRect rect;
    CRect visibleRect;
};

class FakePlatformWindow : public PlatformWindow
{
public:
    FakePlatformWindow(CFrame& frame_, void* parent_, const CRect& bounds_)
        : frame(frame_), parent(parent_), bounds(bounds_)
    {
    }
    ~FakePlatformWindow() override;

    CRect getBounds() override { return bounds; }
    void setBounds(const CRect& newBounds) override
    {
        bounds = newBounds;
        if (surface)
        {
            cairo_surface_destroy(surface);
            surface = nullptr;
        }
    }

    void invalidRect(const CRect& rect) override
    {
        invalidRects.push_back(rect);
        pending.unite(rect);
    }
    void scrollPixels(const CRect& rect, const CPoint& distance) override { scrolls.emplace_back(rect, distance); }
    cairo_surface_t* getSurface() override
    {
        if (!surface && bounds.width() > 0 && bounds.height() > 0)
            surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(bounds.width()),
                                                 static_cast<int>(bounds.height()));
        return surface;
    }
    void pumpEvents() override
    {
        ++pumps;
        if (onPump)
            onPump();
    }
    // Draws what was invalidated into the surface, as the window layer does.
    void paint() override
    {
        ++paints;
        if (pending.isEmpty() || !getSurface())
            return;
        cairo_t* cairo = cairo_create(surface);
        auto* context = new CDrawContext(&frame, cairo);
        cairo_destroy(cairo);
        CRect update = pending;
        pending = CRect();
        frame.drawRect(context, update);
        context->release();
        cairo_surface_flush(surface);
    }
    // The pixel at (x, y) of the surface as 0xAARRGGBB (premultiplied).
    std::uint32_t pixel(int x, int y)
    {
        cairo_surface_t* s = getSurface();
        cairo_surface_flush(s);
        const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
        return reinterpret_cast<const std::uint32_t*>(row)[x];
    }

    bool getMouseLocation(CPoint& where) override
    {
        ++mouseQueries;
        where = mouse;
        return true;
    }
    CButtonState getMouseButtons() override { return buttons; }
    void setCursor(CCursorType type) override { cursors.push_back(type); }
    void setPointerHidden(bool hidden) override { pointerHidden = hidden; }
    void warpPointer(const CPoint& screenPoint) override
    {
        warps.push_back(screenPoint);
        mouse = screenPoint - windowOrigin;
    }

    std::vector<CRect> getScreens() override { return screens; }
    bool getScreenMouseLocation(CPoint& screenPoint) override
    {
        ++mouseQueries;
        screenPoint = mouse + windowOrigin;
        return true;
    }
    CPoint frameToScreen(const CPoint& where) override { return where + windowOrigin; }

    bool popupMenu(const PlatformMenu& menu, const CRect& anchor, std::vector<std::int32_t>& chosenPath) override
    {
        menus.push_back(menu);
        menuAnchors.push_back(anchor);
        if (onMenu)
            onMenu();
        chosenPath = menuChoice;
        return !menuChoice.empty();
    }
    std::unique_ptr<PlatformTextField> createTextField(const PlatformTextFieldOptions& options,
                                                       PlatformTextFieldListener* listener) override
    {
        return std::make_unique<FakeTextField>(*this, options, listener);
    }
    std::int32_t runModalDialog(CFrame* dialog, const std::string& title) override
    {
        dialogTitles.push_back(title);
        dialogResult = 0;
        dialog->setPlatformWindow(std::make_unique<FakePlatformWindow>(*dialog, this, dialog->getViewSize()));
        if (onModalDialog)
            onModalDialog(dialog);
        dialog->setPlatformWindow(nullptr);
        return dialogResult;
    }
    void endModalDialog(CFrame*, std::int32_t result) override { dialogResult = result; }

    void setClipboardText(const std::string& text) override { clipboard = text; }
    bool getClipboardText(std::string& text) override
    {
        text = clipboard;
        return !clipboard.empty();
    }
    void setDropTarget(bool active) override { dropTarget = active; }

    void showTooltip(const CRect& anchor, const std::string& text) override
    {
        tooltipAnchor = anchor;
        tooltipText = text;
        tooltipAlpha = 0.95;
        tooltipShown = true;
    }
    void setTooltipAlpha(double alpha) override { tooltipAlpha = alpha; }
    void hideTooltip() override { tooltipShown = false; }

    CFrame& frame;
    void* parent;
    CRect bounds;
    cairo_surface_t* surface = nullptr;
    CRect pending;
    int pumps = 0;
    int paints = 0;
    std::function<void()> onPump;

    std::vector<CRect> invalidRects;
    std::vector<std::pair<CRect, CPoint>> scrolls;

    // Pointer and screens: the frame's (0, 0) lies at windowOrigin on the
    // screen; mouse is in frame coordinates.
    CPoint mouse;
    CPoint windowOrigin;
    // Pointer position questions, in frame or screen coordinates.
    int mouseQueries = 0;
    CButtonState buttons = 0;
    std::vector<CRect> screens{CRect(0, 0, 1920, 1080)};
    std::vector<CCursorType> cursors;
    std::vector<CPoint> warps;
    bool pointerHidden = false;

    std::vector<PlatformMenu> menus;
    std::vector<CRect> menuAnchors;
    std::vector<std::int32_t> menuChoice;
    // Runs while a pop-up menu is open, as the editor's idle does.
    std::function<void()> onMenu;
    std::vector<FakeTextField*> textFields;
    std::vector<std::string> dialogTitles;
    std::function<void(CFrame*)> onModalDialog;
    std::int32_t dialogResult = 0;
    std::string clipboard;
    bool dropTarget = false;
    bool tooltipShown = false;
    CRect tooltipAnchor;
    std::string tooltipText;
    double tooltipAlpha = 0.0;
};

inline FakeTextField::FakeTextField(FakePlatformWindow& window_, const PlatformTextFieldOptions& options,
                                    PlatformTextFieldListener* listener_)
    : window(&window_), listener(listener_), text(options.text), rect(options.rect), visibleRect(options.visibleRect)
{
    window->textFields.push_back(this);
}

inline FakeTextField::~FakeTextField()
{
    if (!window)
        return;
    auto& fields = window->textFields;
    fields.erase(std::remove(fields.begin(), fields.end(), this), fields.end());
}

inline FakePlatformWindow::~FakePlatformWindow()
{
    for (FakeTextField* field : textFields)
        field->window = nullptr;
    if (surface)
        cairo_surface_destroy(surface);
}

// Installs the fake window factory for its lifetime.
class FakePlatform
{
public:
    FakePlatform()
    {
        s_instance = this;
        Platform::setWindowFactory(&createWindow);
    }
    ~FakePlatform()
    {
        Platform::setWindowFactory(nullptr);
        s_instance = nullptr;
    }
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    // The window of frame, or null.
    static FakePlatformWindow* windowOf(const CFrame* frame)
    {
        return frame ? static_cast<FakePlatformWindow*>(frame->getPlatformWindow()) : nullptr;
    }

    // A parent window handle for frames; the fake never looks inside.
    void* parentWindow() { return &m_parentWindow; }

    int windowsMade = 0;

private:
    static std::unique_ptr<PlatformWindow> createWindow(CFrame& frame, void* parent, const CRect& size)
    {
        if (s_instance)
            ++s_instance->windowsMade;
        return std::make_unique<FakePlatformWindow>(frame, parent, size);
    }

    static inline FakePlatform* s_instance = nullptr;
    int m_parentWindow = 0;
};
