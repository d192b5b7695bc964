#include "toolkit/x11/X11DropTarget.h"

#include <X11/Xatom.h>
#include <unistd.h>

#include <climits>
#include <memory>

#include "Source/shared/Utf8.h"
#include "toolkit/CFrame.h"
#include "toolkit/CListDragContainer.h"
#include "toolkit/SharedPointer.h"
#include "toolkit/x11/X11ErrorTrap.h"
#include "toolkit/x11/X11Window.h"

namespace
{
// The types we take, best first.
const char* const kTypes[] = {"text/uri-list", "UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING"};

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// False for a broken escape or an escaped zero byte.
bool percentDecode(const std::string& text, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '%')
        {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0))
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

std::string localHostName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return std::string();
    return name;
}

std::string latin1ToUtf8(const std::string& text)
{
    std::string out;
    for (unsigned char c : text)
    {
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
} // namespace

X11DropTarget::X11DropTarget(X11Window& window) : m_window(window) {}

X11DropTarget::~X11DropTarget()
{
    if (m_drag)
        m_drag->release();
}

std::vector<std::string> X11DropTarget::filePaths(const std::string& uriList)
{
    std::vector<std::string> paths;
    const std::string host = localHostName();
    std::size_t start = 0;
    while (start < uriList.size())
    {
        std::size_t end = uriList.find('\n', start);
        if (end == std::string::npos)
            end = uriList.size();
        std::string line = uriList.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.empty() || line[0] == '#' || line.compare(0, 5, "file:") != 0)
            continue;
        std::string rest = line.substr(5);
        if (rest.compare(0, 2, "//") == 0)
        {
            // file://host/path: only this machine's files are ours.
            const std::size_t slash = rest.find('/', 2);
            if (slash == std::string::npos)
                continue;
            const std::string authority = rest.substr(2, slash - 2);
            if (!authority.empty() && authority != "localhost" && authority != host)
                continue;
            rest = rest.substr(slash);
        }
        std::string path;
        if (rest.empty() || rest[0] != '/' || !percentDecode(rest, path))
            continue;
        paths.push_back(path);
    }
    return paths;
}

void X11DropTarget::setActive(bool active)
{
    m_active = active;
    if (!m_window.usable())
        return;
    X11Display& display = m_window.getDisplay();
    X11ErrorTrap trap(display);
    const Atom aware = display.atom("XdndAware");
    if (active)
    {
        const Atom version = kVersion;
        XChangeProperty(display.get(), m_window.getWindow(), aware, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&version), 1);
    }
    else
        XDeleteProperty(display.get(), m_window.getWindow(), aware);
}

bool X11DropTarget::handleEvent(const XEvent& event)
{
    X11Display& display = m_window.getDisplay();
    if (event.type == SelectionNotify)
    {
        if (event.xselection.selection != display.atom("XdndSelection"))
            return false;
        onSelection(event.xselection);
        return true;
    }
    if (event.type != ClientMessage || event.xclient.format != 32)
        return false;
    const Atom type = event.xclient.message_type;
    if (type == display.atom("XdndEnter"))
        onEnter(event.xclient);
    else if (type == display.atom("XdndPosition"))
        onPosition(event.xclient);
    else if (type == display.atom("XdndLeave"))
    {
        if (static_cast<Window>(event.xclient.data.l[0]) == m_source)
            onLeave();
    }
    else if (type == display.atom("XdndDrop"))
        onDrop(event.xclient);
    else
        return false;
    return true;
}

void X11DropTarget::onEnter(const XClientMessageEvent& message)
{
    if (m_entered)
        onLeave();
    reset();
    X11Display& display = m_window.getDisplay();
    m_source = static_cast<Window>(message.data.l[0]);
    m_version = (message.data.l[1] >> 24) & 0xFF;
    std::vector<Atom> offered;
    if (message.data.l[1] & 1)
    {
        // More than three types: the source lists them on its window.
        X11ErrorTrap trap(display);
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display.get(), m_source, display.atom("XdndTypeList"), 0, 1024, False, XA_ATOM,
                               &actualType, &format, &count, &remaining, &data) == Success &&
            data && format == 32)
        {
            const auto* atoms = reinterpret_cast<const Atom*>(data);
            offered.assign(atoms, atoms + count);
        }
        if (data)
            XFree(data);
    }
    else
        for (int i = 2; i <= 4; ++i)
            if (message.data.l[i])
                offered.push_back(static_cast<Atom>(message.data.l[i]));
    for (const char* name : kTypes)
    {
        const Atom wanted = std::string(name) == "STRING" ? XA_STRING : display.atom(name);
        for (Atom atom : offered)
            if (atom == wanted && m_type == None)
                m_type = wanted;
    }
}

void X11DropTarget::onPosition(const XClientMessageEvent& message)
{
    if (static_cast<Window>(message.data.l[0]) != m_source || !m_source)
        return;
    X11Display& display = m_window.getDisplay();
    const int rootX = static_cast<int>((message.data.l[2] >> 16) & 0xFFFF);
    const int rootY = static_cast<int>(message.data.l[2] & 0xFFFF);
    {
        X11ErrorTrap trap(display);
        int x = 0, y = 0;
        Window child = 0;
        if (XTranslateCoordinates(display.get(), display.root(), m_window.getWindow(), rootX, rootY, &x, &y, &child))
            m_where = CPoint(x, y);
    }
    if (m_version >= 1)
        m_time = static_cast<Time>(message.data.l[3]);
    if (!m_active || m_type == None || display.blocksInput(m_window.getWindow()))
    {
        sendStatus();
        return;
    }
    if (!m_requested)
    {
        // The views decide by what is dragged: fetch it first, answer when
        // it has come.
        m_requested = true;
        m_positionPending = true;
        X11ErrorTrap trap(display);
        XConvertSelection(display.get(), display.atom("XdndSelection"), m_type, display.atom("ZENTROVA_DROP"),
                          m_window.getWindow(), m_time);
        XFlush(display.get());
        return;
    }
    if (!m_drag)
    {
        m_positionPending = true;
        return;
    }
    std::weak_ptr<char> alive = m_window.aliveToken();
    SharedPointer<CListDragContainer> drag(m_drag);
    if (!m_entered)
        enterFrame();
    else
        m_window.getFrame().onDragMove(drag.get(), m_where);
    if (!alive.expired())
        sendStatus();
}

void X11DropTarget::enterFrame()
{
    CFrame& frame = m_window.getFrame();
    m_entered = true;
    // Nothing is taken until a view says so by its cursor.
    frame.setCursor(kCursorNotAllowed);
    frame.onDragEnter(m_drag, m_where);
}

void X11DropTarget::onSelection(const XSelectionEvent& event)
{
    if (!m_requested || m_drag || event.requestor != m_window.getWindow())
        return;
    X11Display& display = m_window.getDisplay();
    std::string data;
    bool ok = false;
    if (event.property != None)
    {
        X11ErrorTrap trap(display);
        Atom type = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* bytes = nullptr;
        if (XGetWindowProperty(display.get(), m_window.getWindow(), event.property, 0, LONG_MAX / 4, True,
                               AnyPropertyType, &type, &format, &count, &remaining, &bytes) == Success &&
            bytes && format == 8 && type != display.atom("INCR"))
        {
            data.assign(reinterpret_cast<const char*>(bytes), count);
            ok = true;
        }
        if (bytes)
            XFree(bytes);
    }
    if (!ok)
        m_drag = CListDragContainer::makeFiles({});
    else if (m_type == display.atom("text/uri-list"))
        m_drag = CListDragContainer::makeFiles(filePaths(data));
    else
        m_drag = CListDragContainer::makeText(Utf8::makeValid(m_type == XA_STRING ? latin1ToUtf8(data) : data));

    std::weak_ptr<char> alive = m_window.aliveToken();
    SharedPointer<CListDragContainer> drag(m_drag);
    if (m_positionPending)
    {
        m_positionPending = false;
        enterFrame();
        if (alive.expired())
            return;
        sendStatus();
    }
    if (m_dropPending)
        drop();
}

void X11DropTarget::onLeave()
{
    if (m_entered && m_drag)
    {
        std::weak_ptr<char> alive = m_window.aliveToken();
        SharedPointer<CListDragContainer> drag(m_drag);
        CFrame& frame = m_window.getFrame();
        frame.onDragLeave(drag.get(), m_where);
        if (alive.expired())
            return;
        frame.setCursor(kCursorDefault);
    }
    reset();
}

void X11DropTarget::onDrop(const XClientMessageEvent& message)
{
    if (static_cast<Window>(message.data.l[0]) != m_source || !m_source)
        return;
    if (m_version >= 1)
        m_time = static_cast<Time>(message.data.l[2]);
    if (m_requested && !m_drag)
    {
        m_dropPending = true;
        return;
    }
    drop();
}

void X11DropTarget::drop()
{
    m_dropPending = false;
    bool accepted = false;
    if (m_entered && m_drag)
    {
        std::weak_ptr<char> alive = m_window.aliveToken();
        SharedPointer<CListDragContainer> drag(m_drag);
        CFrame& frame = m_window.getFrame();
        if (m_accept && m_active)
            accepted = frame.onDrop(drag.get(), m_where);
        else
            frame.onDragLeave(drag.get(), m_where);
        if (alive.expired())
            return;
        frame.setCursor(kCursorDefault);
    }
    sendFinished(accepted);
    reset();
}

void X11DropTarget::sendStatus()
{
    X11Display& display = m_window.getDisplay();
    m_accept = m_entered && m_active && m_window.getCursorType() != kCursorNotAllowed &&
               !display.blocksInput(m_window.getWindow());
    // Bit 1: send every position, so the answer can follow the views.
    const long flags = (m_accept ? 1 : 0) | 2;
    send(display.atom("XdndStatus"), flags, 0, 0, m_accept ? static_cast<long>(display.atom("XdndActionCopy")) : 0);
}

void X11DropTarget::sendFinished(bool accepted)
{
    X11Display& display = m_window.getDisplay();
    send(display.atom("XdndFinished"), accepted ? 1 : 0, accepted ? static_cast<long>(display.atom("XdndActionCopy")) : 0,
         0, 0);
}

void X11DropTarget::send(Atom type, long l1, long l2, long l3, long l4)
{
    if (!m_source || !m_window.usable())
        return;
    X11Display& display = m_window.getDisplay();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display.get();
    event.xclient.window = m_source;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(m_window.getWindow());
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    X11ErrorTrap trap(display);
    XSendEvent(display.get(), m_source, False, NoEventMask, &event);
    XFlush(display.get());
}

void X11DropTarget::reset()
{
    if (m_drag)
        m_drag->release();
    m_drag = nullptr;
    m_source = 0;
    m_version = 0;
    m_type = None;
    m_requested = false;
    m_positionPending = false;
    m_dropPending = false;
    m_entered = false;
    m_accept = false;
}
