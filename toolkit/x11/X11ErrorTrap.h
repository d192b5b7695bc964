#pragma once

#include <X11/Xlib.h>

class X11Display;

// Brackets our own X calls: while one lives, errors of our connections are
// noted on their display instead of ending the process, a broken connection
// of ours marks its display lost instead of exiting, and errors of any other
// connection go on to the handlers that were there before. The outermost
// trap syncs what it sent and puts the previous handlers back, so the
// host's handlers are in place whenever control returns to the host.
class X11ErrorTrap
{
public:
    explicit X11ErrorTrap(X11Display& display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Connections whose errors the trap takes.
    static void addDisplay(X11Display* display);
    static void removeDisplay(X11Display* display);
    static bool isInstalled();

private:
    X11Display& m_display;
};
