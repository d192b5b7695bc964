#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <cairo.h>

#include <memory>

class X11Display;

// A Cairo image surface whose pixels live in a segment of shared memory
// that the X server has attached too: copying it to a window sends no
// pixels through the socket. The server reads the segment while it carries
// out a copy, so the surface is drawn into only once it has (waitUntilRead).
// The segment is marked for removal as soon as both sides attached: it goes
// with the process whatever happens.
class X11SharedImage
{
public:
    // Null when the display shares no memory, or when the system or the
    // server refuses the segment (the display then shares none any more).
    static std::unique_ptr<X11SharedImage> create(X11Display& display, Visual* visual, int depth, int width,
                                                  int height);
    // Detaches the server (unless its connection is unusable: the segment
    // then goes with the connection) and drops our reference to the surface,
    // whose memory stays until the last reference goes.
    ~X11SharedImage();
    X11SharedImage(const X11SharedImage&) = delete;
    X11SharedImage& operator=(const X11SharedImage&) = delete;

    cairo_surface_t* surface() const { return m_surface; }
    // Copies the rectangles of region to the same place of a window.
    void put(Window window, GC gc, const cairo_region_t* region);
    // Returns once the server no longer reads the pixels: at once when it
    // has answered anything sent after the last copy, else after a sync.
    void waitUntilRead();

private:
    explicit X11SharedImage(X11Display& display);

    X11Display& m_display;
    XImage* m_image = nullptr;
    XShmSegmentInfo m_segment{};
    cairo_surface_t* m_surface = nullptr;
    // The number of the last copy request, 0 when none is outstanding.
    unsigned long m_lastPut = 0;
};
