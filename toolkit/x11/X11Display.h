#pragma once

#include <X11/Xlib.h>

#include <cairo.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/BaseTypes.h"

class CFrame;

// One connection to the X server, opened when an editor opens and closed
// when it closes: the server then frees whatever we made on it, even after
// the host destroyed its window. It routes events to the windows made on
// it, answers clipboard requests, keeps the modifier masks, cursors and
// input method, and notes the errors its calls cause. Once the host has
// destroyed our window the connection is "gone" and no X call is made on
// it any more; once the server itself went away it is also "lost", and
// only the calls that free our own memory are made.
class X11Display
{
public:
    class Target
    {
    public:
        virtual ~Target() = default;
        virtual void handleEvent(XEvent& event) = 0;
    };

    // A connection to the display named by DISPLAY, or null.
    static std::shared_ptr<X11Display> open();
    ~X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    Display* get() const { return m_display; }
    bool usable() const { return m_display && !m_gone; }
    bool isGone() const { return m_gone; }
    void setGone() { m_gone = true; }
    bool isLost() const { return m_lost; }
    void setLost()
    {
        m_lost = true;
        m_gone = true;
    }
    // Closes the connection now; every later call finds it unusable.
    void close();

    // Errors: an error on a watched window means the host destroyed it.
    void noteError(const XErrorEvent& error);
    std::uint64_t getErrorCount() const { return m_errorCount; }
    void watchWindow(Window window) { m_watched = window; }
    // Waits for the answers of the requests sent since the last wait.
    void syncIfPending();

    int screen() const { return m_screen; }
    Window root() const { return m_root; }
    Atom atom(const char* name);
    // The server time of the latest event, for requests that want one.
    Time lastEventTime() const { return m_lastEventTime; }

    // Events.
    void addTarget(Window window, Target* target);
    void removeTarget(Window window);
    bool hasTarget(Window window) const { return m_targets.count(window) != 0; }
    // Hands pending events on, at most maxEvents of them and for at most
    // maxMillis.
    void pumpEvents(int maxEvents, std::uint64_t maxMillis);
    // Takes the next pending event without blocking; false when none (or
    // the connection is not usable).
    bool nextEvent(XEvent& event);
    // Lets the input method filter the event, answers clipboard requests,
    // drops input for windows a modal dialog blocks, and hands the rest to
    // the event's window.
    void dispatch(XEvent& event);
    void waitForEvents(int timeoutMillis);

    // While a pop-up menu or a dialog runs its own loop, the host's idle
    // handles no events: the loop does.
    bool inNestedLoop() const { return m_nestedLoops > 0; }
    void enterNestedLoop() { ++m_nestedLoops; }
    void leaveNestedLoop() { --m_nestedLoops; }

    // Modal dialogs: input reaches only the newest one.
    void pushModal(Window window) { m_modal.push_back(window); }
    // Whether a modal dialog keeps input away from window.
    bool blocksInput(Window window) const { return !m_modal.empty() && m_modal.back() != window; }
    void popModal(Window window);
    void endDialog(CFrame* dialog, std::int32_t result) { m_dialogResults[dialog] = result; }
    bool dialogEnded(CFrame* dialog, std::int32_t& result) const;
    void forgetDialog(CFrame* dialog) { m_dialogResults.erase(dialog); }

    // The toolkit's mouse modifier bits and key modifier bits of an event
    // state: Control is Command, Alt is Option, Super is Control; Caps
    // Lock and Num Lock count for nothing.
    CButtonState modifiers(unsigned int state) const;
    unsigned char keyModifiers(unsigned int state) const;

    Cursor cursor(CCursorType type);
    Cursor blankCursor();

    // One rectangle per monitor, in root coordinates.
    std::vector<CRect> monitors();

    // Null when no input method can be opened.
    XIM inputMethod();

    // Copies the rectangle (x, y, width, height) of image (ARGB32) to the
    // same place of a window of the given visual and depth.
    void putImage(Window window, GC gc, Visual* visual, int depth, cairo_surface_t* image, int x, int y, int width,
                  int height);
    // Whether a window of this visual and depth takes Cairo's pixels as
    // they are.
    static bool takesCairoPixels(const Visual* visual, int depth);
    // Whether images can reach the server through shared memory: it offers
    // that, it runs on this machine and it has not refused a segment.
    bool sharesMemory();
    void refuseSharedMemory() { m_sharedMemory = kRefused; }

    void setClipboardText(const std::string& text, Window owner);
    bool getClipboardText(std::string& text, Window requestor);

private:
    explicit X11Display(Display* display);
    // Xlib's exit on a broken connection, for this one: returning keeps the
    // host alive, and the connection is never used again.
    static void connectionLost(Display* display, void* self);
    void readModifierMasks();
    void answerSelectionRequest(const XSelectionRequestEvent& request);
    static bool isInput(int type);
    // False only when no event can be waiting: spares an idle the error
    // trap and Xlib's reading when nothing arrived.
    bool mayHaveEvents();

    Display* m_display;
    int m_screen = 0;
    Window m_root = 0;
    bool m_gone = false;
    bool m_lost = false;
    Window m_watched = 0;
    std::uint64_t m_errorCount = 0;
    Time m_lastEventTime = CurrentTime;
    int m_nestedLoops = 0;
    // The next request's number when the queue was last found empty, and
    // the looks without Xlib since.
    unsigned long m_drainedBeforeRequest = 0;
    int m_quickLooks = 0;

    std::map<Window, Target*> m_targets;
    std::map<std::string, Atom> m_atoms;
    std::vector<Window> m_modal;
    std::map<CFrame*, std::int32_t> m_dialogResults;

    unsigned int m_altMask = Mod1Mask;
    unsigned int m_superMask = Mod4Mask;

    std::map<int, Cursor> m_cursors;
    Cursor m_blankCursor = 0;

    XIM m_inputMethod = nullptr;
    bool m_inputMethodTried = false;

    enum SharedMemory
    {
        kUnknown,
        kOffered,
        kRefused
    };
    SharedMemory m_sharedMemory = kUnknown;

    std::string m_clipboardText;
    Window m_clipboardOwner = 0;
};
