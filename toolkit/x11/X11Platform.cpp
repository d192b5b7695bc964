#include "toolkit/x11/X11Platform.h"

#include <cstdint>

#include "toolkit/x11/X11Display.h"
#include "toolkit/x11/X11Window.h"

void X11Platform::install()
{
    Platform::setWindowFactory(&X11Platform::createWindow);
}

std::unique_ptr<PlatformWindow> X11Platform::createWindow(CFrame& frame, void* parentWindow, const CRect& size)
{
    try
    {
        // Hosts pass the parent's window id in the pointer.
        const Window parent = static_cast<Window>(reinterpret_cast<std::uintptr_t>(parentWindow));
        std::shared_ptr<X11Display> display = X11Display::open();
        if (!display || !parent)
            return nullptr;
        return X11Window::createChild(display, frame, parent, size);
    }
    catch (...)
    {
        return nullptr;
    }
}
