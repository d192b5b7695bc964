#include "toolkit/x11/X11Window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "Source/vst/AEffEditor.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFrame.h"
#include "toolkit/SharedPointer.h"
#include "toolkit/VSTGUIEditorInterface.h"
#include "toolkit/x11/X11DropTarget.h"
#include "toolkit/x11/X11ErrorTrap.h"
#include "toolkit/x11/X11Keyboard.h"
#include "toolkit/x11/X11PopupMenu.h"
#include "toolkit/x11/X11SharedImage.h"
#include "toolkit/x11/X11TextField.h"
#include "toolkit/x11/X11TooltipWindow.h"

namespace
{
constexpr long kPointerMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                              LeaveWindowMask;
constexpr long kBaseMask = ExposureMask | StructureNotifyMask | FocusChangeMask | kPointerMask;
constexpr long kKeyMask = KeyPressMask | KeyReleaseMask;

// Events handled per idle, and for how long: the host's idle stays short
// however busy the pointer is.
constexpr int kMaxEventsPerPump = 200;
constexpr std::uint64_t kMaxPumpMillis = 8;
// A second press of the same button this soon and this near is a double click.
constexpr Time kDoubleClickMillis = 400;
constexpr int kDoubleClickDistance = 4;
// How often a nested loop runs the editor's idle.
constexpr int kNestedIdleMillis = 15;
// More invalid rectangles than this are drawn as their bounding box.
constexpr int kMaxSeparateRects = 8;

CButtonState buttonBit(unsigned int button)
{
    switch (button)
    {
    case Button1:
        return kButtonLeft;
    case Button2:
        return kButtonMiddle;
    case Button3:
        return kButtonRight;
    case 8:
        return kButton4;
    case 9:
        return kButton5;
    default:
        return 0;
    }
}

cairo_rectangle_int_t toCairo(const CRect& rect)
{
    return {static_cast<int>(rect.left), static_cast<int>(rect.top), static_cast<int>(rect.width()),
            static_cast<int>(rect.height())};
}

std::uint64_t steadyMillis()
{
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}
} // namespace

X11Window::X11Window(const std::shared_ptr<X11Display>& display, CFrame& frame, X11Window* owner)
    : m_display(display), m_frame(frame), m_owner(owner), m_invalid(cairo_region_create()),
      m_exposed(cairo_region_create())
{
}

std::unique_ptr<X11Window> X11Window::createChild(const std::shared_ptr<X11Display>& display, CFrame& frame,
                                                  Window parent, const CRect& bounds)
{
    if (!display || !display->usable() || !parent)
        return nullptr;
    Display* d = display->get();
    std::unique_ptr<X11Window> window(new X11Window(display, frame, nullptr));
    X11ErrorTrap trap(*display);
    const std::uint64_t errorsBefore = display->getErrorCount();
    XWindowAttributes parentAttributes{};
    if (!XGetWindowAttributes(d, parent, &parentAttributes) || parentAttributes.c_class != InputOutput)
        return nullptr;
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.colormap = parentAttributes.colormap;
    attributes.event_mask = kBaseMask;
    attributes.bit_gravity = NorthWestGravity;
    const unsigned int width = static_cast<unsigned int>(std::max<CCoord>(1, bounds.width()));
    const unsigned int height = static_cast<unsigned int>(std::max<CCoord>(1, bounds.height()));
    Window w = XCreateWindow(d, parent, static_cast<int>(bounds.left), static_cast<int>(bounds.top), width, height,
                             0, parentAttributes.depth, InputOutput, parentAttributes.visual,
                             CWBackPixmap | CWBorderPixel | CWColormap | CWEventMask | CWBitGravity, &attributes);
    display->syncIfPending();
    if (!w || display->getErrorCount() != errorsBefore)
        return nullptr;
    window->m_window = w;
    window->m_parent = parent;
    window->m_visual = parentAttributes.visual;
    window->m_depth = parentAttributes.depth;
    window->m_gc = XCreateGC(d, w, 0, nullptr);
    window->m_bounds = bounds;
    window->m_configuredX = static_cast<int>(bounds.left);
    window->m_configuredY = static_cast<int>(bounds.top);
    XMapWindow(d, w);
    display->syncIfPending();
    if (display->getErrorCount() != errorsBefore)
    {
        XDestroyWindow(d, w);
        window->m_window = 0;
        return nullptr;
    }
    display->watchWindow(w);
    display->addTarget(w, window.get());
    return window;
}

std::unique_ptr<X11Window> X11Window::createDialog(X11Window& owner, CFrame& dialog, const std::string& title)
{
    X11Display& display = owner.getDisplay();
    if (!owner.usable())
        return nullptr;
    Display* d = display.get();
    std::unique_ptr<X11Window> window(new X11Window(owner.getDisplayPointer(), dialog, &owner));
    const CRect size = dialog.getViewSize();
    const int width = static_cast<int>(std::max<CCoord>(1, size.width()));
    const int height = static_cast<int>(std::max<CCoord>(1, size.height()));
    // Centred over the owner, on the owner's monitor.
    CPoint centre = owner.frameToScreen(
        CPoint(owner.m_bounds.width() / 2, owner.m_bounds.height() / 2));
    CRect monitor(0, 0, width, height);
    for (const CRect& m : display.monitors())
        if (m.pointInside(centre))
            monitor = m;
    CCoord x = std::clamp<CCoord>(centre.h - width / 2, monitor.left, std::max(monitor.left, monitor.right - width));
    CCoord y = std::clamp<CCoord>(centre.v - height / 2, monitor.top, std::max(monitor.top, monitor.bottom - height));
    Window transientFor = owner.topLevelAncestor();

    X11ErrorTrap trap(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.event_mask = kBaseMask | kKeyMask;
    attributes.bit_gravity = NorthWestGravity;
    Window w = XCreateWindow(d, display.root(), static_cast<int>(x), static_cast<int>(y), static_cast<unsigned>(width),
                             static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWBackPixmap | CWBorderPixel | CWEventMask | CWBitGravity, &attributes);
    if (!w)
        return nullptr;
    window->m_window = w;
    window->m_parent = display.root();
    window->m_visual = DefaultVisual(d, display.screen());
    window->m_depth = DefaultDepth(d, display.screen());
    window->m_gc = XCreateGC(d, w, 0, nullptr);
    window->m_bounds = CRect(x, y, x + width, y + height);
    window->m_configuredX = static_cast<int>(x);
    window->m_configuredY = static_cast<int>(y);

    XStoreName(d, w, title.c_str());
    const Atom utf8 = display.atom("UTF8_STRING");
    XChangeProperty(d, w, display.atom("_NET_WM_NAME"), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    Atom type = display.atom("_NET_WM_WINDOW_TYPE_DIALOG");
    XChangeProperty(d, w, display.atom("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&type), 1);
    Atom deleteWindow = display.atom("WM_DELETE_WINDOW");
    XSetWMProtocols(d, w, &deleteWindow, 1);
    if (transientFor)
        XSetTransientForHint(d, w, transientFor);
    XSizeHints* hints = XAllocSizeHints();
    if (hints)
    {
        hints->flags = PPosition | PMinSize | PMaxSize;
        hints->x = static_cast<int>(x);
        hints->y = static_cast<int>(y);
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(d, w, hints);
        XFree(hints);
    }
    XMapRaised(d, w);
    display.addTarget(w, window.get());
    if (size.left != 0 || size.top != 0)
    {
        dialog.setViewSize(CRect(0, 0, width, height), false);
        dialog.setMouseableArea(CRect(0, 0, width, height));
    }
    return window;
}

X11Window::~X11Window()
{
    m_alive.reset();
    if (m_textField)
        m_textField->detach();
    m_textField = nullptr;
    m_tooltip.reset();
    m_dropTarget.reset();
    m_display->removeTarget(m_window);
    if (m_gc && m_display->get())
    {
        // The graphics context is ours whatever became of the window.
        X11ErrorTrap trap(*m_display);
        XFreeGC(m_display->get(), m_gc);
    }
    // After the host destroyed its window nothing more is sent about ours,
    // but a dialog is a top-level window of our own: it goes now. The
    // connection closes with its last window, which frees the rest.
    if (m_window && !m_dead && m_display->get() && !m_display->isLost() && (m_display->usable() || m_owner))
    {
        X11ErrorTrap trap(*m_display);
        if (m_focusTaken && m_display->usable())
            XSetInputFocus(m_display->get(), m_savedFocus, m_savedRevert, CurrentTime);
        XDestroyWindow(m_display->get(), m_window);
    }
    destroyBackBuffer();
    cairo_region_destroy(m_invalid);
    cairo_region_destroy(m_exposed);
}

void X11Window::destroyBackBuffer()
{
    m_shared.reset();
    if (m_backBuffer)
    {
        cairo_surface_destroy(m_backBuffer);
        m_backBuffer = nullptr;
    }
}

Window X11Window::topLevelAncestor()
{
    if (!usable())
        return 0;
    if (m_owner)
        return m_window;
    X11ErrorTrap trap(*m_display);
    Window current = m_window;
    for (int depth = 0; depth < 64; ++depth)
    {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(m_display->get(), current, &root, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (!parent || parent == root)
            return current;
        current = parent;
    }
    return current;
}

// --- Geometry and painting ---------------------------------------------------------------------

void X11Window::setBounds(const CRect& bounds)
{
    if (bounds == m_bounds)
        return;
    m_bounds = bounds;
    if (!usable())
        return;
    X11ErrorTrap trap(*m_display);
    const unsigned int width = static_cast<unsigned int>(std::max<CCoord>(1, bounds.width()));
    const unsigned int height = static_cast<unsigned int>(std::max<CCoord>(1, bounds.height()));
    if (m_owner)
        XResizeWindow(m_display->get(), m_window, width, height);
    else
        XMoveResizeWindow(m_display->get(), m_window, static_cast<int>(bounds.left), static_cast<int>(bounds.top),
                          width, height);
    destroyBackBuffer();
}

bool X11Window::ensureBackBuffer()
{
    if (m_backBuffer)
    {
        // The caller draws into it.
        if (m_shared)
            m_shared->waitUntilRead();
        return true;
    }
    const int width = static_cast<int>(m_bounds.width());
    const int height = static_cast<int>(m_bounds.height());
    if (width <= 0 || height <= 0)
        return false;
    if (usable())
        m_shared = X11SharedImage::create(*m_display, m_visual, m_depth, width, height);
    m_backBuffer = m_shared ? cairo_surface_reference(m_shared->surface())
                            : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(m_backBuffer) != CAIRO_STATUS_SUCCESS)
    {
        destroyBackBuffer();
        return false;
    }
    // A new buffer holds nothing yet: all of it is drawn.
    cairo_rectangle_int_t all{0, 0, width, height};
    cairo_region_union_rectangle(m_invalid, &all);
    m_invalidPending = true;
    return true;
}

void X11Window::invalidRect(const CRect& rect)
{
    CRect bounded(rect);
    bounded.bound(CRect(0, 0, m_bounds.width(), m_bounds.height()));
    if (bounded.isEmpty())
        return;
    cairo_rectangle_int_t r = toCairo(bounded);
    cairo_region_union_rectangle(m_invalid, &r);
    m_invalidPending = true;
}

void X11Window::scrollPixels(const CRect& rect, const CPoint& distance)
{
    if (!m_backBuffer)
        return;
    CRect area(rect);
    area.bound(CRect(0, 0, m_bounds.width(), m_bounds.height()));
    if (area.isEmpty())
        return;
    if (m_shared)
        m_shared->waitUntilRead();
    cairo_surface_flush(m_backBuffer);
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(area.width()),
                                                       static_cast<int>(area.height()));
    cairo_t* cr = cairo_create(copy);
    cairo_set_source_surface(cr, m_backBuffer, -static_cast<double>(area.left), -static_cast<double>(area.top));
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cr = cairo_create(m_backBuffer);
    cairo_rectangle(cr, static_cast<double>(area.left), static_cast<double>(area.top),
                    static_cast<double>(area.width()), static_cast<double>(area.height()));
    cairo_clip(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, copy, static_cast<double>(area.left + distance.h),
                             static_cast<double>(area.top + distance.v));
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(copy);
    // What was still to be drawn inside the area moves with the pixels.
    cairo_rectangle_int_t r = toCairo(area);
    cairo_region_t* moved = cairo_region_copy(m_invalid);
    cairo_region_intersect_rectangle(moved, &r);
    cairo_region_translate(moved, static_cast<int>(distance.h), static_cast<int>(distance.v));
    cairo_region_intersect_rectangle(moved, &r);
    cairo_region_union(m_invalid, moved);
    m_invalidPending = true;
    cairo_region_destroy(moved);
    cairo_region_union_rectangle(m_exposed, &r);
    m_exposedPending = true;
}

cairo_surface_t* X11Window::getSurface()
{
    if (!ensureBackBuffer())
        return nullptr;
    // The caller draws anywhere in it, outside a paint: show all of it.
    cairo_rectangle_int_t all{0, 0, static_cast<int>(m_bounds.width()), static_cast<int>(m_bounds.height())};
    cairo_region_union_rectangle(m_exposed, &all);
    m_exposedPending = true;
    return m_backBuffer;
}

void X11Window::paint()
{
    if (!usable())
        return;
    if (!ensureBackBuffer())
        return;
    // Most idles have nothing to draw and nothing to show.
    if (m_invalidPending)
    {
        m_invalidPending = false;
        if (!cairo_region_is_empty(m_invalid))
            drawInvalidRegion();
    }
    if (m_exposedPending)
    {
        m_exposedPending = false;
        if (cairo_region_is_empty(m_exposed))
            return;
        cairo_region_t* exposed = m_exposed;
        m_exposed = cairo_region_create();
        copyToWindow(exposed);
        cairo_region_destroy(exposed);
    }
}

void X11Window::drawInvalidRegion()
{
    // Views may invalidate while they draw: that goes to the next paint.
    cairo_region_t* region = m_invalid;
    m_invalid = cairo_region_create();
    std::weak_ptr<char> alive = m_alive;
    cairo_t* cr = cairo_create(m_backBuffer);
    auto* context = new CDrawContext(&m_frame, cr);
    cairo_destroy(cr);
    context->setClipRect(CRect(0, 0, m_bounds.width(), m_bounds.height()));
    const int count = cairo_region_num_rectangles(region);
    cairo_rectangle_int_t r;
    if (count > kMaxSeparateRects)
    {
        cairo_region_get_extents(region, &r);
        m_frame.drawRect(context, CRect(r.x, r.y, r.x + r.width, r.y + r.height));
    }
    else
        for (int i = 0; i < count; ++i)
        {
            cairo_region_get_rectangle(region, i, &r);
            m_frame.drawRect(context, CRect(r.x, r.y, r.x + r.width, r.y + r.height));
        }
    context->release();
    if (alive.expired())
    {
        cairo_region_destroy(region);
        return;
    }
    if (m_textField)
        m_textField->draw(m_backBuffer, region);
    cairo_surface_flush(m_backBuffer);
    cairo_region_union(m_exposed, region);
    m_exposedPending = true;
    cairo_region_destroy(region);
}

void X11Window::copyToWindow(cairo_region_t* region)
{
    if (!usable())
        return;
    if (m_shared)
    {
        m_shared->put(m_window, m_gc, region);
        return;
    }
    const int count = cairo_region_num_rectangles(region);
    for (int i = 0; i < count; ++i)
    {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(region, i, &r);
        m_display->putImage(m_window, m_gc, m_visual, m_depth, m_backBuffer, r.x, r.y, r.width, r.height);
    }
    X11ErrorTrap trap(*m_display);
    XFlush(m_display->get());
}

// --- Events ---------------------------------------------------------------------------------------

void X11Window::pumpEvents()
{
    std::weak_ptr<char> alive = m_alive;
    // A menu or dialog loop handles the events itself.
    if (usable() && !m_display->inNestedLoop())
        m_display->pumpEvents(kMaxEventsPerPump, kMaxPumpMillis);
    // An error on the window may tell of its end before its destruction
    // event: a press it had gets no release either way.
    if (!alive.expired() && !usable() && !m_endSeen)
    {
        m_endSeen = true;
        cancelPress();
    }
}

void X11Window::handleEvent(XEvent& event)
{
    switch (event.type)
    {
    case Expose:
    {
        cairo_rectangle_int_t r{event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height};
        cairo_region_union_rectangle(m_exposed, &r);
        m_exposedPending = true;
        break;
    }
    case ButtonPress:
        followPointer(event.xbutton.serial, event.xbutton.x_root, event.xbutton.y_root, event.xbutton.x,
                      event.xbutton.y);
        onButtonPress(event.xbutton);
        break;
    case ButtonRelease:
        followPointer(event.xbutton.serial, event.xbutton.x_root, event.xbutton.y_root, event.xbutton.x,
                      event.xbutton.y);
        onButtonRelease(event.xbutton);
        break;
    case MotionNotify:
        if (followPointer(event.xmotion.serial, event.xmotion.x_root, event.xmotion.y_root, event.xmotion.x,
                          event.xmotion.y))
            onMotion(event.xmotion);
        break;
    case EnterNotify:
    case LeaveNotify:
        landWarps(event.xcrossing.serial);
        noteCrossing(event.xcrossing);
        // A grab that begins or ends without our release took the pointer
        // from a press; our own menus' grabs come inside their loops.
        if ((event.xcrossing.mode == NotifyGrab || event.xcrossing.mode == NotifyUngrab) &&
            !m_display->inNestedLoop())
            cancelPress();
        else if (event.type == LeaveNotify)
            onLeave(event.xcrossing);
        break;
    case KeyPress:
    case KeyRelease:
        onKey(event.xkey);
        break;
    case FocusIn:
    case FocusOut:
        if (m_textField && event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyInferior &&
            event.xfocus.detail != NotifyPointer)
            m_textField->onFocusChange(event.type == FocusIn);
        // Losing the focus ends a press whose release went elsewhere.
        if (event.type == FocusOut && event.xfocus.detail != NotifyInferior && !m_display->inNestedLoop() &&
            (m_frame.getMouseDownView() || m_fieldTracking) && !releaseStillToCome())
            cancelPress();
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window != m_window)
            break;
        // Ours is destroyed only by the server with an ancestor, or by
        // someone else.
        m_dead = true;
        if (!m_owner)
            m_display->setGone();
        m_endSeen = true;
        cancelPress();
        break;
    case ConfigureNotify:
        // The pointer stays where it was on the screen, not in the window.
        if (event.xconfigure.window == m_window &&
            (event.xconfigure.x != m_configuredX || event.xconfigure.y != m_configuredY))
            m_pointerKnown = false;
        if (event.xconfigure.window == m_window)
        {
            m_configuredX = event.xconfigure.x;
            m_configuredY = event.xconfigure.y;
        }
        break;
    case UnmapNotify:
        // The press's grab ends with the window's visibility.
        if (event.xunmap.window == m_window)
            cancelPress();
        break;
    case MapNotify:
        // A dialog takes the keys (Return, Escape) as soon as it shows.
        if (m_owner && usable())
        {
            X11ErrorTrap trap(*m_display);
            XSetInputFocus(m_display->get(), m_window, RevertToParent, CurrentTime);
        }
        break;
    case SelectionNotify:
        if (m_dropTarget)
            m_dropTarget->handleEvent(event);
        break;
    case ClientMessage:
        if (m_dropTarget && m_dropTarget->handleEvent(event))
            break;
        if (event.xclient.message_type == m_display->atom("WM_PROTOCOLS") &&
            static_cast<Atom>(event.xclient.data.l[0]) == m_display->atom("WM_DELETE_WINDOW"))
            m_closeRequested = true;
        break;
    default:
        break;
    }
}

void X11Window::landWarps(unsigned long serial)
{
    // Events carry the number of the last request of ours the server had
    // done: the warp's own events carry the warp's.
    if (m_landedEventsDue && serial > m_landed.serial)
        m_landedEventsDue = false;
    while (!m_warps.empty() && serial >= m_warps.front().serial)
    {
        m_landed = m_warps.front();
        m_landedEventsDue = serial == m_landed.serial;
        m_warps.erase(m_warps.begin());
        // Whatever the hand did before, the pointer goes on from there.
        m_lastRoot = m_landed.target;
        m_lastRootKnown = true;
    }
}

bool X11Window::causedByWarp(unsigned long serial, int rootX, int rootY, bool crossing) const
{
    return m_landedEventsDue && serial == m_landed.serial &&
           (crossing || (rootX == m_landed.target.h && rootY == m_landed.target.v));
}

bool X11Window::staleForWarp() const
{
    if (!m_relative)
        return !m_warps.empty();
    return std::any_of(m_warps.begin(), m_warps.end(), [](const Warp& warp) { return !warp.keepsMoves; });
}

bool X11Window::followPointer(unsigned long serial, int rootX, int rootY, int& x, int& y)
{
    landWarps(serial);
    const bool stale = staleForWarp();
    const CPoint root(rootX, rootY);
    if (m_relative)
    {
        const CPoint before = m_relativePoint;
        if (!stale && m_lastRootKnown)
            m_relativePoint.offset(root.h - m_lastRoot.h, root.v - m_lastRoot.v);
        if (!stale)
        {
            m_lastRoot = root;
            m_lastRootKnown = true;
        }
        x = static_cast<int>(m_relativePoint.h);
        y = static_cast<int>(m_relativePoint.v);
        // The warp's own motion moves nothing here.
        return m_relativePoint != before;
    }
    m_lastRoot = root;
    m_lastRootKnown = true;
    if (stale)
        return false;
    m_pointer = CPoint(x, y);
    m_pointerKnown = true;
    return !causedByWarp(serial, rootX, rootY, false);
}

void X11Window::noteCrossing(const XCrossingEvent& event)
{
    // While the frame sees the hand's moves, where the real pointer crosses
    // tells it nothing.
    if (m_relative || staleForWarp())
        return;
    m_pointer = CPoint(event.x, event.y);
    if (event.type == EnterNotify)
    {
        m_pointerKnown = true;
        return;
    }
    // Gone outside, it can only come back with an entry; gone into a grab,
    // or onto a window over ours, it moves unseen.
    m_pointerKnown = event.mode != NotifyGrab && event.detail != NotifyInferior && !insideBounds(m_pointer);
}

bool X11Window::insideBounds(const CPoint& where) const
{
    return where.h >= 0 && where.v >= 0 && where.h < m_bounds.width() && where.v < m_bounds.height();
}

CButtonState X11Window::heldButtons(unsigned int state) const
{
    CButtonState buttons = m_extraButtons;
    if (state & Button1Mask)
        buttons |= kButtonLeft;
    if (state & Button2Mask)
        buttons |= kButtonMiddle;
    if (state & Button3Mask)
        buttons |= kButtonRight;
    return buttons;
}

void X11Window::onButtonPress(const XButtonEvent& event)
{
    CPoint where(event.x, event.y);
    const CButtonState modifiers = m_display->modifiers(event.state);
    if (event.button >= 4 && event.button <= 7)
    {
        const CMouseWheelAxis axis = event.button <= 5 ? kWheelAxisY : kWheelAxisX;
        const float distance = (event.button == 4 || event.button == 6) ? 1.0f : -1.0f;
        m_frame.onWheel(where, axis, distance, modifiers);
        return;
    }
    const CButtonState bit = buttonBit(event.button);
    if (!bit)
        return;
    if (bit == kButton4 || bit == kButton5)
        m_extraButtons |= bit;

    const bool sameClick = event.button == m_lastClickButton &&
                           static_cast<std::uint32_t>(event.time - m_lastClickTime) <= kDoubleClickMillis &&
                           std::abs(event.x - m_lastClickX) <= kDoubleClickDistance &&
                           std::abs(event.y - m_lastClickY) <= kDoubleClickDistance;
    m_clickCount = sameClick ? m_clickCount + 1 : 1;
    m_lastClickButton = event.button;
    m_lastClickTime = event.time;
    m_lastClickX = event.x;
    m_lastClickY = event.y;

    if (m_textField && bit == kButtonLeft && m_textField->contains(where))
    {
        m_fieldTracking = true;
        m_textField->onMouseDown(where, (modifiers & kModShift) != 0, m_clickCount);
        return;
    }
    CButtonState buttons = bit | modifiers;
    if (m_clickCount > 1)
        buttons |= kDoubleClick;
    std::weak_ptr<char> alive = m_alive;
    m_inPress = true;
    m_press = event;
    m_frame.onMouseDown(where, buttons);
    if (!alive.expired())
        m_inPress = false;
}

void X11Window::onButtonRelease(const XButtonEvent& event)
{
    const CButtonState bit = buttonBit(event.button);
    if (!bit)
        return;
    if (bit == kButton4 || bit == kButton5)
        m_extraButtons &= ~bit;
    if (m_fieldTracking)
    {
        m_fieldTracking = false;
        return;
    }
    CPoint where(event.x, event.y);
    m_frame.onMouseUp(where, bit | m_display->modifiers(event.state));
}

void X11Window::onMotion(const XMotionEvent& event)
{
    CPoint where(event.x, event.y);
    if (m_fieldTracking)
    {
        if (m_textField)
            m_textField->onMouseDrag(where);
        return;
    }
    m_frame.onMouseMoved(where, heldButtons(event.state) | m_display->modifiers(event.state));
}

void X11Window::onLeave(const XCrossingEvent& event)
{
    // Leaving into a child, or because of a grab, is no leaving.
    if (event.mode != NotifyNormal || event.detail == NotifyInferior)
        return;
    if (m_relative || staleForWarp() || causedByWarp(event.serial, event.x_root, event.y_root, true))
        return;
    CPoint where(event.x, event.y);
    m_frame.onMouseExited(where, heldButtons(event.state) | m_display->modifiers(event.state));
}

void X11Window::cancelPress()
{
    m_fieldTracking = false;
    m_extraButtons = 0;
    m_frame.onMouseCancel();
}

bool X11Window::releaseStillToCome()
{
    int rootX = 0, rootY = 0;
    unsigned int mask = 0;
    if (!queryRootPointer(rootX, rootY, mask))
        return false;
    if ((mask & (Button1Mask | Button2Mask | Button3Mask)) != 0 || m_extraButtons != 0)
        return true;
    // A release before the query's answer is in the queue by now; the
    // predicate only looks, it takes nothing.
    struct Search
    {
        Window window;
        bool found;
    } search{m_window, false};
    XEvent ignored;
    XCheckIfEvent(
        m_display->get(), &ignored,
        [](Display*, XEvent* event, XPointer argument) -> Bool {
            auto* s = reinterpret_cast<Search*>(argument);
            if (event->type == ButtonRelease && event->xbutton.window == s->window)
                s->found = true;
            return False;
        },
        reinterpret_cast<XPointer>(&search));
    return search.found;
}

void X11Window::onKey(XKeyEvent& event)
{
    if (m_textField)
    {
        if (event.type == KeyPress)
            m_textField->onKeyPress(event);
        return;
    }
    VstKeyCode key = X11Keyboard::translate(event, *m_display);
    if (event.type == KeyPress)
        m_frame.onKeyDown(key);
    else
        m_frame.onKeyUp(key);
}

void X11Window::updateEventMask()
{
    if (!usable())
        return;
    long mask = kBaseMask | m_extraEventMask;
    if (m_owner || m_textField)
        mask |= kKeyMask;
    X11ErrorTrap trap(*m_display);
    XSelectInput(m_display->get(), m_window, mask);
}

// --- Nested loops ------------------------------------------------------------------------------

void X11Window::runNestedIdle()
{
    std::weak_ptr<char> alive = m_alive;
    if (m_owner)
        m_owner->runNestedIdle();
    else if (auto* editor = dynamic_cast<AEffEditor*>(m_frame.getEditor()))
        editor->idle();
    else
    {
        m_frame.idle();
        paint();
    }
    if (m_owner && !alive.expired())
    {
        m_frame.idle();
        if (!alive.expired())
            paint();
    }
}

bool X11Window::popupMenu(const PlatformMenu& menu, const CRect& anchor, std::vector<std::int32_t>& chosenPath)
{
    chosenPath.clear();
    if (!usable() || menu.items.empty())
        return false;
    X11PopupMenu popup(*this, menu);
    return popup.run(anchor, chosenPath);
}

std::int32_t X11Window::runModalDialog(CFrame* dialog, const std::string& title)
{
    if (!dialog || !usable())
        return 0;
    SharedPointer<CFrame> keep(dialog);
    std::unique_ptr<X11Window> created = createDialog(*this, *dialog, title);
    if (!created)
        return 0;
    X11Window* window = created.get();
    const Window id = window->getWindow();
    dialog->setPlatformWindow(std::move(created));
    dialog->invalid();

    std::shared_ptr<X11Display> display = m_display;
    std::weak_ptr<char> alive = m_alive;
    Window previousFocus = None;
    int previousRevert = RevertToParent;
    if (m_owner)
        // A dialog over a dialog: the keys come back to the one below.
        previousFocus = m_window;
    else
    {
        X11ErrorTrap trap(*display);
        XGetInputFocus(display->get(), &previousFocus, &previousRevert);
    }
    display->forgetDialog(dialog);
    display->pushModal(id);
    display->enterNestedLoop();
    std::int32_t result = 0;
    std::uint64_t nextIdle = 0;
    for (;;)
    {
        if (display->dialogEnded(dialog, result))
            break;
        if (!display->usable() || dialog->getPlatformWindow() != window || window->m_dead ||
            window->m_closeRequested)
        {
            result = 0;
            break;
        }
        XEvent event;
        for (int count = 0; count < kMaxEventsPerPump && display->nextEvent(event); ++count)
            display->dispatch(event);
        if (alive.expired())
            break;
        const std::uint64_t now = steadyMillis();
        if (now >= nextIdle && dialog->getPlatformWindow() == window)
        {
            window->runNestedIdle();
            if (alive.expired())
                break;
            nextIdle = now + kNestedIdleMillis;
        }
        display->waitForEvents(static_cast<int>(nextIdle > now ? nextIdle - now : 1));
    }
    display->leaveNestedLoop();
    display->popModal(id);
    display->forgetDialog(dialog);
    if (dialog->getPlatformWindow() == window)
        dialog->setPlatformWindow(nullptr);
    // The keys go back where they went before, when the dialog had them.
    if (display->usable() && previousFocus != None)
    {
        X11ErrorTrap trap(*display);
        Window focus = None;
        int revert = 0;
        XGetInputFocus(display->get(), &focus, &revert);
        if (focus == None || focus == id || focus == display->root() || focus == PointerRoot)
            XSetInputFocus(display->get(), previousFocus, previousRevert, CurrentTime);
    }
    return result;
}

void X11Window::endModalDialog(CFrame* dialog, std::int32_t result)
{
    m_display->endDialog(dialog, result);
}

// --- Pointer and screens --------------------------------------------------------------------------

bool X11Window::getMouseLocation(CPoint& where)
{
    if (!usable())
        return false;
    // Our menus and dialogs take the pointer's events while they run.
    const bool nested = m_display->inNestedLoop();
    if (m_relative && !nested)
    {
        where = m_relativePoint;
        return true;
    }
    if (m_pointerKnown && !nested)
    {
        where = m_pointer;
        return true;
    }
    X11ErrorTrap trap(*m_display);
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(m_display->get(), m_window, &root, &child, &rootX, &rootY, &x, &y, &mask))
        return false;
    where = CPoint(x, y);
    // Outside the window the pointer comes back only with an entry event.
    if (!nested && m_warps.empty() && !insideBounds(where))
    {
        m_pointer = where;
        m_pointerKnown = true;
    }
    return true;
}

CButtonState X11Window::getMouseButtons()
{
    if (!usable())
        return 0;
    X11ErrorTrap trap(*m_display);
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(m_display->get(), m_window, &root, &child, &rootX, &rootY, &x, &y, &mask);
    return heldButtons(mask) | m_display->modifiers(mask);
}

void X11Window::setCursor(CCursorType type)
{
    m_cursorType = type;
    if (!usable() || m_pointerHidden)
        return;
    Cursor cursor = m_display->cursor(type);
    X11ErrorTrap trap(*m_display);
    XDefineCursor(m_display->get(), m_window, cursor);
}

void X11Window::setPointerHidden(bool hidden)
{
    if (hidden == m_pointerHidden)
        return;
    m_pointerHidden = hidden;
    if (!hidden && m_relative)
    {
        // Shown, it is where the server has it, which only it knows now.
        m_relative = false;
        m_pointerKnown = false;
    }
    if (!usable())
        return;
    Cursor cursor = hidden ? m_display->blankCursor() : m_display->cursor(m_cursorType);
    X11ErrorTrap trap(*m_display);
    XDefineCursor(m_display->get(), m_window, cursor);
    // While a button is held the pointer belongs to us wherever it goes:
    // the grab shows the blank cursor over other windows too.
    XChangeActivePointerGrab(m_display->get(), static_cast<unsigned int>(kPointerMask), hidden ? cursor : None,
                             CurrentTime);
}

void X11Window::warpPointer(const CPoint& screenPoint)
{
    if (!usable())
        return;
    X11ErrorTrap trap(*m_display);
    // The events still to come of the press that hid the pointer tell the
    // hand's moves from where the last one we handled found it.
    const bool keepsMoves = m_pointerHidden && m_lastRootKnown;
    // A shown pointer is where it lands: all that came before is stale.
    if (!keepsMoves)
        m_warps.clear();
    m_warps.push_back({NextRequest(m_display->get()), screenPoint, keepsMoves});
    m_pointerKnown = false;
    XWarpPointer(m_display->get(), None, m_display->root(), 0, 0, 0, 0, static_cast<int>(screenPoint.h),
                 static_cast<int>(screenPoint.v));
    if (keepsMoves)
    {
        int x = 0, y = 0;
        Window child = 0;
        if (XTranslateCoordinates(m_display->get(), m_display->root(), m_window, static_cast<int>(screenPoint.h),
                                  static_cast<int>(screenPoint.v), &x, &y, &child))
        {
            m_relative = true;
            m_relativePoint = CPoint(x, y);
        }
    }
    XFlush(m_display->get());
}

std::vector<CRect> X11Window::getScreens()
{
    return m_display->monitors();
}

bool X11Window::getScreenMouseLocation(CPoint& screenPoint)
{
    int rootX = 0, rootY = 0;
    unsigned int mask = 0;
    if (!queryRootPointer(rootX, rootY, mask))
        return false;
    screenPoint = CPoint(rootX, rootY);
    return true;
}

bool X11Window::queryRootPointer(int& rootX, int& rootY, unsigned int& mask)
{
    if (!usable())
        return false;
    X11ErrorTrap trap(*m_display);
    Window root = 0, child = 0;
    int x = 0, y = 0;
    return XQueryPointer(m_display->get(), m_display->root(), &root, &child, &rootX, &rootY, &x, &y, &mask);
}

CPoint X11Window::frameToScreen(const CPoint& where)
{
    if (!usable())
        return where;
    X11ErrorTrap trap(*m_display);
    int x = 0, y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(m_display->get(), m_window, m_display->root(), static_cast<int>(where.h),
                               static_cast<int>(where.v), &x, &y, &child))
        return where;
    return CPoint(x, y);
}

// --- Text fields, clipboard ------------------------------------------------------------------------

std::unique_ptr<PlatformTextField> X11Window::createTextField(const PlatformTextFieldOptions& options,
                                                              PlatformTextFieldListener* listener)
{
    return std::make_unique<X11TextField>(*this, options, listener);
}

void X11Window::attachTextField(X11TextField* field)
{
    if (m_textField && m_textField != field)
        m_textField->detach();
    m_textField = field;
    m_fieldTracking = false;
    m_extraEventMask = field->eventMask();
    updateEventMask();
    if (!usable())
        return;
    X11ErrorTrap trap(*m_display);
    // A dialog holds the keys all the time it shows: it has nothing to give
    // back when the field ends.
    if (!m_focusTaken && !m_owner)
    {
        XGetInputFocus(m_display->get(), &m_savedFocus, &m_savedRevert);
        if (m_savedFocus == None || m_savedFocus == m_window)
        {
            m_savedFocus = m_parent;
            m_savedRevert = RevertToParent;
        }
        m_focusTaken = true;
    }
    XSetInputFocus(m_display->get(), m_window, RevertToParent, CurrentTime);
}

void X11Window::detachTextField(X11TextField* field)
{
    if (m_textField != field)
        return;
    m_textField = nullptr;
    m_fieldTracking = false;
    m_extraEventMask = 0;
    updateEventMask();
    if (!m_focusTaken || !usable())
        return;
    m_focusTaken = false;
    X11ErrorTrap trap(*m_display);
    Window current = None;
    int revert = 0;
    XGetInputFocus(m_display->get(), &current, &revert);
    if (current != m_window)
        return;
    const std::uint64_t errorsBefore = m_display->getErrorCount();
    XSetInputFocus(m_display->get(), m_savedFocus, m_savedRevert, CurrentTime);
    m_display->syncIfPending();
    // The window that had the focus may be gone meanwhile.
    if (m_display->getErrorCount() != errorsBefore)
        XSetInputFocus(m_display->get(), m_parent, RevertToParent, CurrentTime);
}

void X11Window::setClipboardText(const std::string& text)
{
    m_display->setClipboardText(text, m_window);
}

bool X11Window::getClipboardText(std::string& text)
{
    return usable() && m_display->getClipboardText(text, m_window);
}

// --- Drops and tooltips -----------------------------------------------------------------------------

void X11Window::setDropTarget(bool active)
{
    if (!m_dropTarget)
    {
        if (!active)
            return;
        m_dropTarget = std::make_unique<X11DropTarget>(*this);
    }
    m_dropTarget->setActive(active);
}

void X11Window::showTooltip(const CRect& anchor, const std::string& text)
{
    if (!m_tooltip)
        m_tooltip = std::make_unique<X11TooltipWindow>(*this);
    m_tooltip->show(anchor, text);
}

void X11Window::setTooltipAlpha(double alpha)
{
    if (m_tooltip)
        m_tooltip->setAlpha(alpha);
}

void X11Window::hideTooltip()
{
    if (m_tooltip)
        m_tooltip->hide();
}
