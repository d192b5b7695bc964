#include "toolkit/x11/X11ErrorTrap.h"

#include <algorithm>
#include <vector>

#include "dsp/Lasting.h"
#include "toolkit/x11/X11Display.h"

namespace
{
int trapDepth = 0;
XErrorHandler previousHandler = nullptr;
XIOErrorHandler previousIOHandler = nullptr;

std::vector<X11Display*>& ourDisplays()
{
    static Lasting<std::vector<X11Display*>> displays;
    return *displays;
}

int trapHandler(Display* display, XErrorEvent* error)
{
    for (X11Display* ours : ourDisplays())
        if (ours->get() == display)
        {
            ours->noteError(*error);
            return 0;
        }
    return previousHandler ? previousHandler(display, error) : 0;
}

// Xlib's default prints and exits before the display's exit handler runs.
int trapIOHandler(Display* display)
{
    for (X11Display* ours : ourDisplays())
        if (ours->get() == display)
        {
            ours->setLost();
            return 0;
        }
    return previousIOHandler ? previousIOHandler(display) : 0;
}
} // namespace

X11ErrorTrap::X11ErrorTrap(X11Display& display) : m_display(display)
{
    if (trapDepth++ == 0)
    {
        previousHandler = XSetErrorHandler(trapHandler);
        previousIOHandler = XSetIOErrorHandler(trapIOHandler);
    }
}

X11ErrorTrap::~X11ErrorTrap()
{
    // Errors come back asynchronously: collect those of every request sent
    // under the trap before the host's handler returns.
    m_display.syncIfPending();
    if (--trapDepth == 0)
    {
        XSetErrorHandler(previousHandler);
        XSetIOErrorHandler(previousIOHandler);
        previousHandler = nullptr;
        previousIOHandler = nullptr;
    }
}

void X11ErrorTrap::addDisplay(X11Display* display)
{
    ourDisplays().push_back(display);
}

void X11ErrorTrap::removeDisplay(X11Display* display)
{
    auto& displays = ourDisplays();
    displays.erase(std::remove(displays.begin(), displays.end(), display), displays.end());
}

bool X11ErrorTrap::isInstalled()
{
    return trapDepth > 0;
}
