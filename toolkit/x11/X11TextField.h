#pragma once

#include <X11/Xlib.h>

#include <cairo.h>

#include "toolkit/CDrawContext.h"
#include "toolkit/Platform.h"
#include "toolkit/TextFieldEngine.h"

class X11Window;

// Our own single-line text field: drawn into the window's back buffer over
// the frame, fed by key presses through the input method while it holds
// the keyboard focus, with the mouse placing the caret and selecting.
class X11TextField : public PlatformTextField
{
public:
    X11TextField(X11Window& window, const PlatformTextFieldOptions& options, PlatformTextFieldListener* listener);
    ~X11TextField() override;
    X11TextField(const X11TextField&) = delete;
    X11TextField& operator=(const X11TextField&) = delete;

    std::string getText() override { return m_engine.getText(); }
    void setText(const std::string& text) override;
    void setBounds(const CRect& rect, const CRect& visibleRect) override;

    // The events the input method needs besides the window's own.
    long eventMask() const { return m_eventMask; }
    bool contains(const CPoint& where) const;
    void onMouseDown(const CPoint& where, bool extend, int clickCount);
    void onMouseDrag(const CPoint& where);
    // May delete the field (a command's listener ends the editing).
    void onKeyPress(XKeyEvent& event);
    void onFocusChange(bool focused);
    void draw(cairo_surface_t* target, cairo_region_t* region);
    // The window goes first: the field lets go of it.
    void detach();

private:
    void changed();
    void command(PlatformTextFieldListener::Command command);
    CCoord measure(std::size_t bytes);
    // The x of the text's first character, with the caret kept in view.
    CCoord textOrigin();
    std::size_t offsetAt(CCoord x);
    CRect visibleArea() const;
    void destroyInputContext();

    X11Window* m_window;
    PlatformTextFieldOptions m_options;
    PlatformTextFieldListener* m_listener;
    TextFieldEngine m_engine;
    SharedPointer<CFontDesc> m_font;
    cairo_surface_t* m_measureSurface;
    CDrawContext* m_measure;
    XIC m_inputContext = nullptr;
    long m_eventMask = 0;
    CCoord m_scroll = 0;
    bool m_focused = true;
};
