#include "toolkit/x11/X11Display.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/cursorfont.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "toolkit/x11/X11ErrorTrap.h"

namespace
{
// About a quarter of a second at a host's usual idle rate.
constexpr int kQuickLooksPerFullLook = 8;

std::uint64_t elapsedSince(std::chrono::steady_clock::time_point start)
{
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

std::string latin1ToUtf8(const unsigned char* data, std::size_t size)
{
    std::string out;
    for (std::size_t i = 0; i < size; ++i)
    {
        unsigned char c = data[i];
        if (c < 0x80)
            out += static_cast<char>(c);
        else
        {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Latin-1 for the old STRING target; what it cannot hold becomes '?'.
std::string utf8ToLatin1(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();)
    {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80)
        {
            out += static_cast<char>(c);
            ++i;
        }
        else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size())
        {
            out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F));
            i += 2;
        }
        else
        {
            out += '?';
            ++i;
            while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
                ++i;
        }
    }
    return out;
}

// For tests and people chasing a fault: the errors our calls caused.
bool traceErrors()
{
    static const bool trace = std::getenv("ZENTROVA_X11_TRACE_ERRORS") != nullptr;
    return trace;
}
} // namespace

std::shared_ptr<X11Display> X11Display::open()
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name)
        return nullptr;
    Display* display = XOpenDisplay(name);
    if (!display)
        return nullptr;
    return std::shared_ptr<X11Display>(new X11Display(display));
}

X11Display::X11Display(Display* display)
    : m_display(display), m_screen(DefaultScreen(display)), m_root(RootWindow(display, DefaultScreen(display)))
{
    XSetIOErrorExitHandler(display, &X11Display::connectionLost, this);
    X11ErrorTrap::addDisplay(this);
    readModifierMasks();
}

void X11Display::connectionLost(Display*, void* self)
{
    static_cast<X11Display*>(self)->setLost();
}

X11Display::~X11Display()
{
    close();
}

void X11Display::close()
{
    if (!m_display)
        return;
    {
        // On a lost connection Xlib sends nothing more: closing it only
        // frees its memory.
        X11ErrorTrap trap(*this);
        if (m_inputMethod)
            XCloseIM(m_inputMethod);
        m_inputMethod = nullptr;
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
    X11ErrorTrap::removeDisplay(this);
}

void X11Display::noteError(const XErrorEvent& error)
{
    ++m_errorCount;
    if ((error.error_code == BadWindow || error.error_code == BadDrawable) && m_watched &&
        error.resourceid == m_watched)
        m_gone = true;
    if (traceErrors())
        std::fprintf(stderr, "X error %d, request %d.%d, resource 0x%lx\n", error.error_code, error.request_code,
                     error.minor_code, error.resourceid);
}

void X11Display::syncIfPending()
{
    if (m_display && !m_lost && NextRequest(m_display) - 1 > LastKnownRequestProcessed(m_display))
        XSync(m_display, False);
}

Atom X11Display::atom(const char* name)
{
    auto found = m_atoms.find(name);
    if (found != m_atoms.end())
        return found->second;
    if (!usable())
        return None;
    X11ErrorTrap trap(*this);
    Atom value = XInternAtom(m_display, name, False);
    m_atoms[name] = value;
    return value;
}

void X11Display::readModifierMasks()
{
    X11ErrorTrap trap(*this);
    XModifierKeymap* map = XGetModifierMapping(m_display);
    if (!map)
        return;
    unsigned int alt = 0, super = 0, numLock = 0;
    for (int modifier = Mod1MapIndex; modifier <= Mod5MapIndex; ++modifier)
        for (int k = 0; k < map->max_keypermod; ++k)
        {
            KeyCode code = map->modifiermap[modifier * map->max_keypermod + k];
            if (!code)
                continue;
            KeySym sym = XkbKeycodeToKeysym(m_display, code, 0, 0);
            unsigned int bit = 1u << modifier;
            if (sym == XK_Alt_L || sym == XK_Alt_R || sym == XK_Meta_L || sym == XK_Meta_R)
                alt |= bit;
            else if (sym == XK_Super_L || sym == XK_Super_R)
                super |= bit;
            else if (sym == XK_Num_Lock)
                numLock |= bit;
        }
    XFreeModifiermap(map);
    if (alt & ~numLock)
        m_altMask = alt & ~numLock;
    if (super & ~(numLock | m_altMask))
        m_superMask = super & ~(numLock | m_altMask);
}

CButtonState X11Display::modifiers(unsigned int state) const
{
    CButtonState result = 0;
    if (state & ShiftMask)
        result |= kModShift;
    if (state & ControlMask)
        result |= kModCommand;
    if (state & m_altMask)
        result |= kModOption;
    if (state & m_superMask)
        result |= kModControl;
    return result;
}

unsigned char X11Display::keyModifiers(unsigned int state) const
{
    unsigned char result = 0;
    if (state & ShiftMask)
        result |= kKeyModShift;
    if (state & ControlMask)
        result |= kKeyModCommand;
    if (state & m_altMask)
        result |= kKeyModOption;
    if (state & m_superMask)
        result |= kKeyModControl;
    return result;
}

// --- Events ------------------------------------------------------------------------------

void X11Display::addTarget(Window window, Target* target)
{
    m_targets[window] = target;
}

void X11Display::removeTarget(Window window)
{
    m_targets.erase(window);
}

bool X11Display::isInput(int type)
{
    switch (type)
    {
    case ButtonPress:
    case ButtonRelease:
    case MotionNotify:
    case KeyPress:
    case KeyRelease:
    case EnterNotify:
    case LeaveNotify:
        return true;
    default:
        return false;
    }
}

bool X11Display::nextEvent(XEvent& event)
{
    if (!usable())
        return false;
    if (!mayHaveEvents())
        return false;
    X11ErrorTrap trap(*this);
    while (XPending(m_display) > 0)
    {
        XNextEvent(m_display, &event);
        if (!XFilterEvent(&event, None))
            return true;
    }
    // Before the trap's own sync, which is a request and so makes the next
    // call look again.
    m_drainedBeforeRequest = NextRequest(m_display);
    m_quickLooks = 0;
    return false;
}

bool X11Display::mayHaveEvents()
{
    // Events can wait in Xlib's queue, in xcb's (read while an answer was
    // awaited: any request since the last look may have), or on the socket.
    if (QLength(m_display) > 0 || NextRequest(m_display) != m_drainedBeforeRequest)
        return true;
    // Xlib's own watched connections (an input method's) show on none of
    // them: a full look now and then.
    if (++m_quickLooks >= kQuickLooksPerFullLook)
        return true;
    // Readable, hung up, in error or interrupted: Xlib tells which.
    pollfd descriptor{ConnectionNumber(m_display), POLLIN, 0};
    return poll(&descriptor, 1, 0) != 0;
}

void X11Display::pumpEvents(int maxEvents, std::uint64_t maxMillis)
{
    XEvent event;
    if (maxEvents <= 0 || !nextEvent(event))
        return;
    const auto start = std::chrono::steady_clock::now();
    for (int count = 1;; ++count)
    {
        dispatch(event);
        if (count >= maxEvents || elapsedSince(start) >= maxMillis || !nextEvent(event))
            break;
    }
}

void X11Display::dispatch(XEvent& event)
{
    switch (event.type)
    {
    case ButtonPress:
    case ButtonRelease:
        m_lastEventTime = event.xbutton.time;
        break;
    case MotionNotify:
        m_lastEventTime = event.xmotion.time;
        break;
    case KeyPress:
    case KeyRelease:
        m_lastEventTime = event.xkey.time;
        break;
    case EnterNotify:
    case LeaveNotify:
        m_lastEventTime = event.xcrossing.time;
        break;
    case MappingNotify:
    {
        // The user changed the keyboard layout or the modifier keys.
        X11ErrorTrap trap(*this);
        XRefreshKeyboardMapping(&event.xmapping);
        if (event.xmapping.request == MappingModifier)
            readModifierMasks();
        return;
    }
    case SelectionRequest:
        answerSelectionRequest(event.xselectionrequest);
        return;
    case SelectionClear:
        if (event.xselectionclear.window == m_clipboardOwner &&
            event.xselectionclear.selection == atom("CLIPBOARD"))
        {
            m_clipboardOwner = 0;
            m_clipboardText.clear();
        }
        return;
    default:
        break;
    }
    if (isInput(event.type) && !m_modal.empty() && event.xany.window != m_modal.back())
        return;
    auto found = m_targets.find(event.xany.window);
    if (found != m_targets.end())
        found->second->handleEvent(event);
}

void X11Display::waitForEvents(int timeoutMillis)
{
    if (!usable())
        return;
    {
        X11ErrorTrap trap(*this);
        XFlush(m_display);
        if (XPending(m_display) > 0)
            return;
    }
    pollfd descriptor{ConnectionNumber(m_display), POLLIN, 0};
    poll(&descriptor, 1, timeoutMillis > 0 ? timeoutMillis : 0);
}

void X11Display::popModal(Window window)
{
    for (auto it = m_modal.begin(); it != m_modal.end(); ++it)
        if (*it == window)
        {
            m_modal.erase(it);
            return;
        }
}

bool X11Display::dialogEnded(CFrame* dialog, std::int32_t& result) const
{
    auto found = m_dialogResults.find(dialog);
    if (found == m_dialogResults.end())
        return false;
    result = found->second;
    return true;
}

// --- Cursors, monitors, input method -------------------------------------------------------

Cursor X11Display::cursor(CCursorType type)
{
    unsigned int shape;
    switch (type)
    {
    case kCursorHSize:
        shape = XC_sb_h_double_arrow;
        break;
    case kCursorVSize:
        shape = XC_sb_v_double_arrow;
        break;
    case kCursorCrosshair:
        shape = XC_crosshair;
        break;
    case kCursorCopy:
        shape = XC_plus;
        break;
    case kCursorNotAllowed:
        shape = XC_X_cursor;
        break;
    case kCursorHand:
        shape = XC_hand2;
        break;
    default:
        shape = XC_left_ptr;
        break;
    }
    auto found = m_cursors.find(static_cast<int>(shape));
    if (found != m_cursors.end())
        return found->second;
    if (!usable())
        return None;
    X11ErrorTrap trap(*this);
    Cursor cursor = XCreateFontCursor(m_display, shape);
    m_cursors[static_cast<int>(shape)] = cursor;
    return cursor;
}

Cursor X11Display::blankCursor()
{
    if (m_blankCursor || !usable())
        return m_blankCursor;
    X11ErrorTrap trap(*this);
    char bits[1] = {0};
    Pixmap pixmap = XCreateBitmapFromData(m_display, m_root, bits, 1, 1);
    XColor black{};
    m_blankCursor = XCreatePixmapCursor(m_display, pixmap, pixmap, &black, &black, 0, 0);
    XFreePixmap(m_display, pixmap);
    return m_blankCursor;
}

std::vector<CRect> X11Display::monitors()
{
    std::vector<CRect> result;
    if (!usable())
        return result;
    X11ErrorTrap trap(*this);
    int eventBase = 0, errorBase = 0;
    if (XRRQueryExtension(m_display, &eventBase, &errorBase))
    {
        int count = 0;
        if (XRRMonitorInfo* monitors = XRRGetMonitors(m_display, m_root, True, &count))
        {
            for (int i = 0; i < count; ++i)
                result.emplace_back(monitors[i].x, monitors[i].y, monitors[i].x + monitors[i].width,
                                    monitors[i].y + monitors[i].height);
            XRRFreeMonitors(monitors);
        }
    }
    if (result.empty())
        result.emplace_back(0, 0, DisplayWidth(m_display, m_screen), DisplayHeight(m_display, m_screen));
    return result;
}

XIM X11Display::inputMethod()
{
    if (m_inputMethodTried || !usable())
        return m_inputMethod;
    m_inputMethodTried = true;
    X11ErrorTrap trap(*this);
    if (!XSupportsLocale())
        return nullptr;
    // The modifiers are the process's: put back what the host had.
    const char* current = XSetLocaleModifiers(nullptr);
    std::string saved = current ? current : "";
    for (const char* modifiers : {"", "@im=none"})
    {
        if (!XSetLocaleModifiers(modifiers))
            continue;
        m_inputMethod = XOpenIM(m_display, nullptr, nullptr, nullptr);
        if (m_inputMethod)
            break;
    }
    XSetLocaleModifiers(saved.c_str());
    return m_inputMethod;
}

// --- Images ----------------------------------------------------------------------------------

namespace
{
unsigned long scaleToMask(unsigned int value, unsigned long mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const unsigned long maximum = mask >> shift;
    return ((value * maximum + 127) / 255) << shift;
}

bool nativeLsbFirst()
{
    const std::uint32_t probe = 1;
    return *reinterpret_cast<const unsigned char*>(&probe) == 1;
}

// A display named with a host is reached over the network, where the
// server cannot see our memory (or sees another segment of the same id).
bool isLocalDisplayName(const char* name)
{
    if (!name)
        return false;
    const std::string display(name);
    const std::size_t colon = display.rfind(':');
    if (colon == std::string::npos)
        return false;
    std::string host = display.substr(0, colon);
    if (!host.empty() && host.back() == ':')
        return false; // DECnet
    if (host.size() > 5 && host.compare(host.size() - 5, 5, "/unix") == 0)
        host = "unix";
    return host.empty() || host == "unix" || host.front() == '/';
}
} // namespace

bool X11Display::takesCairoPixels(const Visual* visual, int depth)
{
    return visual && visual->c_class == TrueColor && (depth == 24 || depth == 32) && visual->red_mask == 0xFF0000 &&
           visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF;
}

bool X11Display::sharesMemory()
{
    if (m_sharedMemory == kUnknown && usable())
    {
        m_sharedMemory = kRefused;
        X11ErrorTrap trap(*this);
        if (isLocalDisplayName(DisplayString(m_display)) && XShmQueryExtension(m_display) &&
            (ImageByteOrder(m_display) == LSBFirst) == nativeLsbFirst())
            m_sharedMemory = kOffered;
    }
    return m_sharedMemory == kOffered && usable();
}

void X11Display::putImage(Window window, GC gc, Visual* visual, int depth, cairo_surface_t* image, int x, int y,
                          int width, int height)
{
    if (!usable() || !image)
        return;
    cairo_surface_flush(image);
    const int imageWidth = cairo_image_surface_get_width(image);
    const int imageHeight = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int left = std::max(0, x), top = std::max(0, y);
    const int right = std::min(imageWidth, x + width), bottom = std::min(imageHeight, y + height);
    if (!data || right <= left || bottom <= top)
        return;
    X11ErrorTrap trap(*this);
    // The usual true-colour visuals take Cairo's pixels as they are.
    if (takesCairoPixels(visual, depth))
    {
        XImage* ximage = XCreateImage(m_display, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                                      reinterpret_cast<char*>(data), static_cast<unsigned>(imageWidth),
                                      static_cast<unsigned>(imageHeight), 32, stride);
        if (!ximage)
            return;
        ximage->byte_order = nativeLsbFirst() ? LSBFirst : MSBFirst;
        XInitImage(ximage);
        XPutImage(m_display, window, gc, ximage, left, top, left, top, static_cast<unsigned>(right - left),
                  static_cast<unsigned>(bottom - top));
        // The pixels stay Cairo's.
        ximage->data = nullptr;
        XDestroyImage(ximage);
        return;
    }
    XImage* ximage = XCreateImage(m_display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                                  static_cast<unsigned>(right - left), static_cast<unsigned>(bottom - top), 32, 0);
    if (!ximage)
        return;
    ximage->data = static_cast<char*>(std::malloc(static_cast<std::size_t>(ximage->bytes_per_line) *
                                                  static_cast<std::size_t>(bottom - top)));
    if (!ximage->data)
    {
        XDestroyImage(ximage);
        return;
    }
    for (int row = top; row < bottom; ++row)
    {
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(data + row * stride);
        for (int column = left; column < right; ++column)
        {
            const std::uint32_t argb = pixels[column];
            XPutPixel(ximage, column - left, row - top,
                      scaleToMask((argb >> 16) & 0xFF, visual->red_mask) |
                          scaleToMask((argb >> 8) & 0xFF, visual->green_mask) |
                          scaleToMask(argb & 0xFF, visual->blue_mask));
        }
    }
    XPutImage(m_display, window, gc, ximage, 0, 0, left, top, static_cast<unsigned>(right - left),
              static_cast<unsigned>(bottom - top));
    XDestroyImage(ximage);
}

// --- Clipboard -------------------------------------------------------------------------------

void X11Display::setClipboardText(const std::string& text, Window owner)
{
    if (!usable())
        return;
    X11ErrorTrap trap(*this);
    m_clipboardText = text;
    m_clipboardOwner = owner;
    XSetSelectionOwner(m_display, atom("CLIPBOARD"), owner, m_lastEventTime);
}

void X11Display::answerSelectionRequest(const XSelectionRequestEvent& request)
{
    if (!usable())
        return;
    X11ErrorTrap trap(*this);
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = m_display;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None;
    // Clients older than the conventions name no property: the target then.
    Atom property = request.property != None ? request.property : request.target;
    const Atom utf8 = atom("UTF8_STRING");
    if (request.selection == atom("CLIPBOARD") && m_clipboardOwner && request.owner == m_clipboardOwner)
    {
        if (request.target == atom("TARGETS"))
        {
            Atom targets[] = {atom("TARGETS"), utf8, atom("TEXT"), XA_STRING};
            XChangeProperty(m_display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(targets), 4);
            reply.property = property;
        }
        else if (request.target == utf8 || request.target == atom("TEXT"))
        {
            XChangeProperty(m_display, request.requestor, property, utf8, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(m_clipboardText.data()),
                            static_cast<int>(m_clipboardText.size()));
            reply.property = property;
        }
        else if (request.target == XA_STRING)
        {
            std::string latin1 = utf8ToLatin1(m_clipboardText);
            XChangeProperty(m_display, request.requestor, property, XA_STRING, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(latin1.data()), static_cast<int>(latin1.size()));
            reply.property = property;
        }
    }
    XSendEvent(m_display, request.requestor, False, 0, reinterpret_cast<XEvent*>(&reply));
}

bool X11Display::getClipboardText(std::string& text, Window requestor)
{
    if (!usable())
        return false;
    X11ErrorTrap trap(*this);
    const Atom clipboard = atom("CLIPBOARD");
    Window owner = XGetSelectionOwner(m_display, clipboard);
    if (owner == None)
        return false;
    if (owner == m_clipboardOwner)
    {
        text = m_clipboardText;
        return true;
    }
    const Atom property = atom("ZENTROVA_SELECTION");
    XConvertSelection(m_display, clipboard, atom("UTF8_STRING"), property, requestor, m_lastEventTime);
    XFlush(m_display);
    // Another client answers: wait a little, but never hang the host.
    auto start = std::chrono::steady_clock::now();
    XEvent event;
    while (elapsedSince(start) < 500)
    {
        if (!XCheckTypedWindowEvent(m_display, requestor, SelectionNotify, &event))
        {
            pollfd descriptor{ConnectionNumber(m_display), POLLIN, 0};
            poll(&descriptor, 1, 10);
            continue;
        }
        if (event.xselection.property == None)
            return false;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(m_display, requestor, property, 0, LONG_MAX / 4, True, AnyPropertyType, &type, &format,
                               &count, &remaining, &data) != Success)
            return false;
        bool ok = false;
        if (data && format == 8)
        {
            if (type == XA_STRING)
                text = latin1ToUtf8(data, count);
            else
                text.assign(reinterpret_cast<const char*>(data), count);
            // A large transfer in parts is not supported.
            ok = type != atom("INCR");
        }
        if (data)
            XFree(data);
        return ok;
    }
    return false;
}
