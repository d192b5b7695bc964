#pragma once

#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "toolkit/BaseTypes.h"

class CListDragContainer;
class X11Window;

// The window's side of drag and drop (XDND, version 5): files (a
// text/uri-list, percent-decoded to paths) and texts dragged over the
// window reach the frame's drag calls. The data is fetched at the first
// position, and every answer to the source (accept or refuse) follows the
// cursor the frame shows: views that take a drag change it from "not
// allowed".
class X11DropTarget
{
public:
    static constexpr long kVersion = 5;

    explicit X11DropTarget(X11Window& window);
    ~X11DropTarget();
    X11DropTarget(const X11DropTarget&) = delete;
    X11DropTarget& operator=(const X11DropTarget&) = delete;

    // Whether sources see the window as a drop target.
    void setActive(bool active);
    // A client message or a selection answer; false when it is none of ours.
    bool handleEvent(const XEvent& event);

    // The local file paths of a text/uri-list, decoded.
    static std::vector<std::string> filePaths(const std::string& uriList);

private:
    void onEnter(const XClientMessageEvent& message);
    void onPosition(const XClientMessageEvent& message);
    void onLeave();
    void onDrop(const XClientMessageEvent& message);
    void onSelection(const XSelectionEvent& event);
    void enterFrame();
    void drop();
    void sendStatus();
    void sendFinished(bool accepted);
    void send(Atom type, long l1, long l2, long l3, long l4);
    void reset();

    X11Window& m_window;
    bool m_active = false;
    Window m_source = 0;
    long m_version = 0;
    Atom m_type = None;
    bool m_requested = false;
    bool m_positionPending = false;
    bool m_dropPending = false;
    bool m_entered = false;
    bool m_accept = false;
    CPoint m_where;
    Time m_time = CurrentTime;
    CListDragContainer* m_drag = nullptr;
};
