#pragma once

#include <string>
#include <vector>

// The input script of the editor test host: one command a line, "#"
// starts a comment, "repeat N" ... "end" blocks are unrolled when read.
struct ScriptStep
{
    enum Kind
    {
        kMove,       // move X Y: the pointer to (X, Y) of the current host window
        kMoveBy,     // moveby DX DY
        kPress,      // press B
        kRelease,    // release B
        kClick,      // click B [X Y]
        kKey,        // key KEYS: a keysym name after modifiers, "ctrl+shift+Tab"
        kKeyDown,    // keydown KEYS
        kKeyUp,      // keyup KEYS
        kType,       // type TEXT (the rest of the line, UTF-8)
        kWait,       // wait MS: only where time itself must pass (a timer, a double click's interval)
        kWaitLost,   // waitlost MS: waits until the host has lost its display, MS at most
        kWaitFor,    // waitfor TEXT: waits until a line that begins with TEXT is written (the host's or the
                     // plug-in's on standard output) after the line the last waitfor or mark found; a failed
                     // step after 20 s
        kSettle,     // settle: waits until every editor has taken the input sent so far, run three idles since
                     // and what it drew has reached the server; a failed step after 20 s. An editor whose
                     // window the host destroyed gets twenty idles instead; under an editor's own loop (a
                     // menu, a dialog) its idles are not counted
        kClock,      // clock: logs the host's milliseconds since it started, "host clock 1500"
        kWaitPopup,  // waitpopup: waits until a pop-up window shows, then logs them as popups does; a failed
                     // step after 20 s
        kPopupGone,  // waitnopopup: likewise until none shows
        kScreenshot, // screenshot FILE.png
        kMark,       // mark TEXT: a waitfor after it looks at the lines after it
        kPointer,    // pointer: logs where the pointer is
        kCursor,     // cursor: logs whether the cursor is hidden
        kFocus,      // focus: logs who has the keyboard focus
        kGeometry,   // geometry: logs the editor's window in the host's
        kShm,        // shm: logs this process's shared memory segments
        kNumLock,    // numlock on|off
        kCapsLock,   // capslock on|off
        kPopups,     // popups: logs the pop-up (override-redirect) windows on screen
        kDialogs,    // dialogs: logs the other top-level windows on screen (dialogs)
        kDrop,       // drop X Y files URI... | drop X Y text TEXT: an XDND drag and drop there
        kUse,        // use N: the N-th editor window (from 1)
        kDestroy,    // destroy: the host destroys its window, the editor stays open
        kClose,      // close: effEditClose
        kOpen,       // open: effEditOpen in the current window
        kQuit,       // quit
        kParam,      // param I V: the host sets parameter I to V (0 to 1) from the script's thread
        kGetParam,   // getparam I: logs the plug-in's value of parameter I
        kMidi,       // midi STATUS DATA1 DATA2: one MIDI event, then one audio block; logs its peak
        kProcess,    // process N: N audio blocks, 1 or more; logs their peak
        kProgram,    // program N: the host sets program N; logs the program's name
        kKnobMode,   // knobmode N: the host sets the editor's knob mode to N (0 circular, 1 relative
                     // circular, 2 linear)
    };

    Kind kind = kWait;
    // The button, the milliseconds, the editor, parameter, program or knob
    // mode number, a MIDI status.
    int value = 0;
    // A point, or a MIDI event's data bytes.
    int x = 0;
    int y = 0;
    bool hasPoint = false;
    // A parameter value.
    float amount = 0.0f;
    std::string text;
    int line = 0;
};

class InputScript
{
public:
    // Throws std::runtime_error naming the line of the first bad command or
    // argument; what only the plug-in or the display can tell (a parameter
    // beyond its last, a key name) fails when the step runs.
    static InputScript parse(const std::string& text);
    // "-" reads standard input.
    static InputScript load(const std::string& path);

    const std::vector<ScriptStep>& steps() const { return m_steps; }

private:
    std::vector<ScriptStep> m_steps;
};
