#include "toolkit/x11/X11Keyboard.h"

#include <X11/keysym.h>
#include <X11/Xutil.h>

#include "toolkit/BaseTypes.h"
#include "toolkit/x11/X11Display.h"

namespace
{
unsigned char virtualKey(KeySym sym)
{
    if (sym >= XK_F1 && sym <= XK_F12)
        return static_cast<unsigned char>(VKEY_F1 + (sym - XK_F1));
    if (sym >= XK_KP_0 && sym <= XK_KP_9)
        return static_cast<unsigned char>(VKEY_NUMPAD0 + (sym - XK_KP_0));
    switch (sym)
    {
    case XK_BackSpace:
        return VKEY_BACK;
    case XK_Tab:
    case XK_ISO_Left_Tab:
        return VKEY_TAB;
    case XK_Return:
        return VKEY_RETURN;
    case XK_Escape:
        return VKEY_ESCAPE;
    case XK_space:
        return VKEY_SPACE;
    case XK_Up:
        return VKEY_UP;
    case XK_Down:
        return VKEY_DOWN;
    case XK_Left:
        return VKEY_LEFT;
    case XK_Right:
        return VKEY_RIGHT;
    case XK_Insert:
        return VKEY_INSERT;
    case XK_Delete:
        return VKEY_DELETE;
    case XK_Home:
        return VKEY_HOME;
    case XK_End:
        return VKEY_END;
    case XK_Page_Up:
        return VKEY_PAGEUP;
    case XK_Page_Down:
        return VKEY_PAGEDOWN;
    case XK_Pause:
        return VKEY_PAUSE;
    case XK_Print:
        return VKEY_PRINT;
    case XK_Clear:
        return VKEY_CLEAR;
    case XK_Select:
        return VKEY_SELECT;
    case XK_Help:
        return VKEY_HELP;
    case XK_KP_Decimal:
        return VKEY_DECIMAL;
    case XK_KP_Multiply:
        return VKEY_MULTIPLY;
    case XK_KP_Add:
        return VKEY_ADD;
    case XK_KP_Divide:
        return VKEY_DIVIDE;
    case XK_KP_Enter:
        return VKEY_ENTER;
    case XK_KP_Subtract:
        return VKEY_SUBTRACT;
    default:
        return 0;
    }
}

bool isKeypadDigit(KeySym sym)
{
    return (sym >= XK_KP_0 && sym <= XK_KP_9) || sym == XK_KP_Decimal;
}
} // namespace

VstKeyCode X11Keyboard::translate(XKeyEvent& event, const X11Display& display)
{
    VstKeyCode key{0, 0, display.keyModifiers(event.state)};
    KeySym plain = XLookupKeysym(&event, 0);
    KeySym shifted = XLookupKeysym(&event, 1);
    KeySym sym = isKeypadDigit(shifted) ? shifted : plain;
    key.virt = virtualKey(sym);
    if (key.virt == 0)
    {
        KeySym typed = (event.state & ShiftMask) && shifted != NoSymbol ? shifted : plain;
        key.character = static_cast<VstInt32>(keysymToUnicode(typed));
    }
    return key;
}

std::uint32_t X11Keyboard::keysymToUnicode(KeySym sym)
{
    if ((sym >= 0x20 && sym <= 0x7E) || (sym >= 0xA0 && sym <= 0xFF))
        return static_cast<std::uint32_t>(sym);
    // Keysyms made directly from a code point.
    if ((sym & 0xFF000000) == 0x01000000)
        return static_cast<std::uint32_t>(sym & 0x00FFFFFF);
    return 0;
}
