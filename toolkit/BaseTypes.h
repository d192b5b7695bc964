#pragma once

// The value types every toolkit class shares: coordinates, points,
// rectangles, colours, the mouse-button and modifier bits, event results,
// key, wheel and drag constants, and the notification messages.

#include <algorithm>
#include <cstdint>

#include "Source/vst/VstDeclarations.h"

using CCoord = std::int64_t;

// Mouse buttons and keyboard modifiers travel together in one bit set.
using CButtonState = std::int64_t;

struct CRect;

struct CPoint
{
    CCoord h = 0;
    CCoord v = 0;

    constexpr CPoint() = default;
    constexpr CPoint(CCoord h_, CCoord v_) : h(h_), v(v_) {}

    CPoint& offset(CCoord dh, CCoord dv)
    {
        h += dh;
        v += dv;
        return *this;
    }
    CPoint& operator+=(const CPoint& other) { return offset(other.h, other.v); }
    CPoint& operator-=(const CPoint& other) { return offset(-other.h, -other.v); }
    CPoint operator+(const CPoint& other) const { return CPoint(h + other.h, v + other.v); }
    CPoint operator-(const CPoint& other) const { return CPoint(h - other.h, v - other.v); }
    bool operator==(const CPoint& other) const { return h == other.h && v == other.v; }
    bool operator!=(const CPoint& other) const { return !(*this == other); }

    // The hit-test rule: all four edges belong to the rectangle.
    bool isInside(const CRect& rect) const;
};

struct CRect
{
    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(CCoord left_, CCoord top_, CCoord right_, CCoord bottom_)
        : left(left_), top(top_), right(right_), bottom(bottom_)
    {
    }
    constexpr CRect(const CPoint& origin, const CPoint& size)
        : left(origin.h), top(origin.v), right(origin.h + size.h), bottom(origin.v + size.v)
    {
    }

    CCoord width() const { return right - left; }
    CCoord height() const { return bottom - top; }
    CPoint getTopLeft() const { return CPoint(left, top); }
    CPoint getSize() const { return CPoint(width(), height()); }
    void setWidth(CCoord width) { right = left + width; }
    void setHeight(CCoord height) { bottom = top + height; }

    CRect& offset(CCoord dh, CCoord dv)
    {
        left += dh;
        right += dh;
        top += dv;
        bottom += dv;
        return *this;
    }
    CRect& offset(const CPoint& delta) { return offset(delta.h, delta.v); }
    // Moves the top-left corner to (h, v), keeping the size.
    CRect& moveTo(CCoord h, CCoord v) { return offset(h - left, v - top); }
    CRect& inset(CCoord dh, CCoord dv)
    {
        left += dh;
        right -= dh;
        top += dv;
        bottom -= dv;
        return *this;
    }
    // Puts left/right and top/bottom in ascending order.
    CRect& normalize()
    {
        if (left > right)
            std::swap(left, right);
        if (top > bottom)
            std::swap(top, bottom);
        return *this;
    }

    // The right and bottom edges are outside.
    bool pointInside(const CPoint& p) const { return left <= p.h && p.h < right && top <= p.v && p.v < bottom; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    // Whether other touches this rectangle; touching edges count.
    bool rectOverlap(const CRect& other) const
    {
        return other.right >= left && other.left <= right && other.bottom >= top && other.top <= bottom;
    }
    // Intersection in place; never leaves a negative width or height.
    CRect& bound(const CRect& other)
    {
        left = std::max(left, other.left);
        top = std::max(top, other.top);
        right = std::min(right, other.right);
        bottom = std::min(bottom, other.bottom);
        if (bottom < top)
            bottom = top;
        if (right < left)
            right = left;
        return *this;
    }
    // The smallest rectangle holding both; an empty one adds nothing.
    CRect& unite(const CRect& other)
    {
        if (other.isEmpty())
            return *this;
        if (isEmpty())
            return *this = other;
        left = std::min(left, other.left);
        top = std::min(top, other.top);
        right = std::max(right, other.right);
        bottom = std::max(bottom, other.bottom);
        return *this;
    }

    bool operator==(const CRect& other) const
    {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
    bool operator!=(const CRect& other) const { return !(*this == other); }
};

inline bool CPoint::isInside(const CRect& rect) const
{
    return rect.left <= h && h <= rect.right && rect.top <= v && v <= rect.bottom;
}

// Red, green, blue and alpha in that order in memory; alpha 255 is opaque.
struct CColor
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 255;

    bool operator==(const CColor& other) const
    {
        return red == other.red && green == other.green && blue == other.blue && alpha == other.alpha;
    }
    bool operator!=(const CColor& other) const { return !(*this == other); }
};

constexpr CColor kColorTransparent{255, 255, 255, 0};
constexpr CColor kColorBlack{0, 0, 0, 255};
constexpr CColor kColorWhite{255, 255, 255, 255};
constexpr CColor kColorGrey{127, 127, 127, 255};
constexpr CColor kColorRed{255, 0, 0, 255};
constexpr CColor kColorGreen{0, 255, 0, 255};
constexpr CColor kColorBlue{0, 0, 255, 255};
constexpr CColor kColorYellow{255, 255, 0, 255};
constexpr CColor kColorMagenta{255, 0, 255, 255};
constexpr CColor kColorCyan{0, 255, 255, 255};

enum : CButtonState
{
    kButtonLeft = 0x2,
    kButtonMiddle = 0x4,
    kButtonRight = 0x8,
    kModShift = 0x10,
    kModCommand = 0x20,
    kModOption = 0x40,
    kModControl = 0x80,
    kButton4 = 0x100,
    kButton5 = 0x200,
    kDoubleClick = 0x400,
};

using CMouseEventResult = std::int32_t;
enum : CMouseEventResult
{
    kMouseResultDefault = 0,
    kMouseResultHandled = 1,
    kMouseResultNotHandled = 2,
    kMouseResultHandledNoTracking = 3,
};

// Answers of onKeyDown and onKeyUp: anything but kKeyNotHandled means used.
using CKeyResult = std::int64_t;
constexpr CKeyResult kKeyHandled = 1;
constexpr CKeyResult kKeyNotHandled = -1;

// Modifier bits of VstKeyCode.modifier.
enum : unsigned char
{
    kKeyModShift = 1,
    kKeyModOption = 2,
    kKeyModCommand = 4,
    kKeyModControl = 8,
};

// Virtual key numbers of VstKeyCode.virt.
enum : unsigned char
{
    VKEY_BACK = 1,
    VKEY_TAB,
    VKEY_CLEAR,
    VKEY_RETURN,
    VKEY_PAUSE,
    VKEY_ESCAPE,
    VKEY_SPACE,
    VKEY_NEXT,
    VKEY_END,
    VKEY_HOME,
    VKEY_LEFT,
    VKEY_UP,
    VKEY_RIGHT,
    VKEY_DOWN,
    VKEY_PAGEUP,
    VKEY_PAGEDOWN,
    VKEY_SELECT,
    VKEY_PRINT,
    VKEY_ENTER,
    VKEY_SNAPSHOT,
    VKEY_INSERT,
    VKEY_DELETE,
    VKEY_HELP,
    VKEY_NUMPAD0,
    VKEY_NUMPAD1,
    VKEY_NUMPAD2,
    VKEY_NUMPAD3,
    VKEY_NUMPAD4,
    VKEY_NUMPAD5,
    VKEY_NUMPAD6,
    VKEY_NUMPAD7,
    VKEY_NUMPAD8,
    VKEY_NUMPAD9,
    VKEY_MULTIPLY,
    VKEY_ADD,
    VKEY_SEPARATOR,
    VKEY_SUBTRACT,
    VKEY_DECIMAL,
    VKEY_DIVIDE,
    VKEY_F1,
    VKEY_F2,
    VKEY_F3,
    VKEY_F4,
    VKEY_F5,
    VKEY_F6,
    VKEY_F7,
    VKEY_F8,
    VKEY_F9,
    VKEY_F10,
    VKEY_F11,
    VKEY_F12,
};

using CMouseWheelAxis = std::int32_t;
enum : CMouseWheelAxis
{
    kWheelAxisX = 0,
    kWheelAxisY = 1,
};

// Item types of a drag container.
enum : std::int32_t
{
    kDragFile = 0,
    kDragText = 2,
    kDragUnknown = -1,
    kDragError = -2,
};

// Horizontal text alignment.
enum CHoriTxtAlign : std::int32_t
{
    kLeftText = 0,
    kCenterText = 1,
    kRightText = 2,
};

// Cursor types of CFrame::setCursor.
enum CCursorType : std::int32_t
{
    kCursorDefault = 0,
    kCursorWait = 1,
    kCursorHSize = 2,
    kCursorVSize = 3,
    kCursorCrosshair = 4,
    kCursorSizeAll = 5,
    kCursorNESWSize = 6,
    kCursorCopy = 7,
    kCursorNotAllowed = 8,
    kCursorHand = 9,
};

// Notification messages: a receiver compares the pointer it is given with
// the constant's address, never the text.
extern const char* const kMsgCheckIfViewContainer;
extern const char* const kMsgNewFocusView;
extern const char* const kMsgOldFocusView;
extern const char* const kMsgLooseFocus;
