#pragma once

#include <X11/Xlib.h>

#include <cairo.h>

#include <memory>
#include <string>

#include "toolkit/BaseTypes.h"
#include "toolkit/x11/X11Display.h"

class X11Window;

// The tooltip of an editor window: a small override-redirect window that
// the pointer passes through, centred under a view and 4 pixels below it,
// kept on the monitor. With a compositor it fades; without one it cannot,
// and disappears as soon as the fade begins.
class X11TooltipWindow : public X11Display::Target
{
public:
    explicit X11TooltipWindow(X11Window& owner);
    ~X11TooltipWindow() override;
    X11TooltipWindow(const X11TooltipWindow&) = delete;
    X11TooltipWindow& operator=(const X11TooltipWindow&) = delete;

    // anchor: the view's rectangle in the owner's frame coordinates.
    void show(const CRect& anchor, const std::string& text);
    void setAlpha(double alpha);
    void hide();

    // X11Display::Target: exposure.
    void handleEvent(XEvent& event) override;

private:
    bool ensureWindow();
    void render(const std::string& text);
    void copyToWindow();
    bool hasCompositor();

    X11Window& m_owner;
    std::shared_ptr<X11Display> m_display;
    Window m_window = 0;
    GC m_gc = nullptr;
    cairo_surface_t* m_image = nullptr;
    bool m_shown = false;
    double m_alpha = 1.0;
};
