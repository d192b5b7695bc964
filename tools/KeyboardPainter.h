#pragma once

#include <cairo.h>

// The keys (two states stacked: up, then lit by the engine) and the wheels
// (64 frames side by side, value 0 at the bottom of the travel).
class KeyboardPainter
{
public:
    static void paintWhiteKey(cairo_t* cr, double width, double height, double unit, bool down);
    static void paintBlackKey(cairo_t* cr, double width, double height, double unit, bool down);
    static void paintWheel(cairo_t* cr, double width, double height, double unit, double value);
};
