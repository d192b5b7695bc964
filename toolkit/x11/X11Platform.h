#pragma once

#include <memory>

#include "toolkit/Platform.h"

// The toolkit's window layer on X11: an editor calls install() before it
// makes its frame, and every frame made with a host window then gets a
// child window on a display connection of its own.
class X11Platform
{
public:
    static void install();
    // Null when no window can be made: no display, a parent that is no
    // window, or any failure on the way.
    static std::unique_ptr<PlatformWindow> createWindow(CFrame& frame, void* parentWindow, const CRect& size);
};
