#pragma once

#include <X11/Xlib.h>

#include <cstdint>

#include "Source/vst/VstDeclarations.h"

class X11Display;

// Key events in the toolkit's terms: the virtual key of the keysym when it
// has one (keypad keys keep their digits whatever Num Lock says), else the
// character the key types with Shift alone; modifiers by the display's
// table.
class X11Keyboard
{
public:
    static VstKeyCode translate(XKeyEvent& event, const X11Display& display);
    // The code point a keysym types, or 0.
    static std::uint32_t keysymToUnicode(KeySym sym);
};
