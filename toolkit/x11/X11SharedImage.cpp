#include "toolkit/x11/X11SharedImage.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdint>

#include "toolkit/x11/X11Display.h"
#include "toolkit/x11/X11ErrorTrap.h"

namespace
{
const cairo_user_data_key_t kSegmentKey{};

void detachSegment(void* address)
{
    shmdt(address);
}

bool nativeLsbFirst()
{
    const std::uint32_t probe = 1;
    return *reinterpret_cast<const unsigned char*>(&probe) == 1;
}
} // namespace

X11SharedImage::X11SharedImage(X11Display& display) : m_display(display)
{
    m_segment.shmid = -1;
    m_segment.shmaddr = nullptr;
}

std::unique_ptr<X11SharedImage> X11SharedImage::create(X11Display& display, Visual* visual, int depth, int width,
                                                       int height)
{
    if (width <= 0 || height <= 0 || !X11Display::takesCairoPixels(visual, depth) || !display.sharesMemory())
        return nullptr;
    Display* d = display.get();
    X11ErrorTrap trap(display);
    std::unique_ptr<X11SharedImage> shared(new X11SharedImage(display));
    // The image keeps a pointer to the segment's description.
    XImage* image = XShmCreateImage(d, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &shared->m_segment,
                                    static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!image)
        return nullptr;
    shared->m_image = image;
    // Cairo's rows as they are: 32 bits a pixel in our byte order.
    if (image->bits_per_pixel != 32 || image->bytes_per_line < width * 4 || image->bytes_per_line % 4 != 0 ||
        (image->byte_order == LSBFirst) != nativeLsbFirst())
        return nullptr;
    const std::size_t size = static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(height);
    XShmSegmentInfo& info = shared->m_segment;
    info.shmid = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (info.shmid < 0)
        return nullptr;
    void* address = shmat(info.shmid, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1))
    {
        shmctl(info.shmid, IPC_RMID, nullptr);
        return nullptr;
    }
    info.shmaddr = static_cast<char*>(address);
    info.readOnly = True;
    image->data = info.shmaddr;
    shared->m_surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(info.shmaddr),
                                                            CAIRO_FORMAT_ARGB32, width, height,
                                                            image->bytes_per_line);
    // From here on the surface's last reference takes our mapping away.
    if (cairo_surface_status(shared->m_surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_set_user_data(shared->m_surface, &kSegmentKey, address, detachSegment) !=
            CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(shared->m_surface);
        shared->m_surface = nullptr;
        shmdt(address);
        info.shmaddr = nullptr;
        shmctl(info.shmid, IPC_RMID, nullptr);
        return nullptr;
    }
    const std::uint64_t errorsBefore = display.getErrorCount();
    const bool sent = XShmAttach(d, &info);
    display.syncIfPending();
    // Both sides have it (or never will): nothing else may attach it, and
    // it goes when the last of us detaches.
    shmctl(info.shmid, IPC_RMID, nullptr);
    if (!sent || display.getErrorCount() != errorsBefore)
    {
        display.refuseSharedMemory();
        shared->m_segment.shmseg = 0;
        return nullptr;
    }
    return shared;
}

X11SharedImage::~X11SharedImage()
{
    if (m_segment.shmseg && m_display.usable())
    {
        X11ErrorTrap trap(m_display);
        XShmDetach(m_display.get(), &m_segment);
    }
    if (m_image)
    {
        // The pixels are the segment's.
        m_image->data = nullptr;
        XDestroyImage(m_image);
    }
    if (m_surface)
        cairo_surface_destroy(m_surface);
}

void X11SharedImage::put(Window window, GC gc, const cairo_region_t* region)
{
    if (!m_display.usable() || !m_surface)
        return;
    cairo_surface_flush(m_surface);
    Display* d = m_display.get();
    const int count = cairo_region_num_rectangles(region);
    X11ErrorTrap trap(m_display);
    for (int i = 0; i < count; ++i)
    {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(region, i, &r);
        const int left = std::max(0, r.x), top = std::max(0, r.y);
        const int right = std::min(m_image->width, r.x + r.width);
        const int bottom = std::min(m_image->height, r.y + r.height);
        if (right <= left || bottom <= top)
            continue;
        m_lastPut = NextRequest(d);
        // No completion event: the server has read the pixels once it has
        // answered anything sent later, as it does the trap's sync.
        XShmPutImage(d, window, gc, m_image, left, top, left, top, static_cast<unsigned>(right - left),
                     static_cast<unsigned>(bottom - top), False);
    }
    XFlush(d);
}

void X11SharedImage::waitUntilRead()
{
    // A server that no longer hears from us reads nothing we would mind.
    if (m_lastPut && m_display.usable() && LastKnownRequestProcessed(m_display.get()) < m_lastPut)
    {
        Display* d = m_display.get();
        X11ErrorTrap trap(m_display);
        XEventsQueued(d, QueuedAfterReading);
        if (LastKnownRequestProcessed(d) < m_lastPut)
            XSync(d, False);
    }
    m_lastPut = 0;
}
