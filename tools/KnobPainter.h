#pragma once

#include "tools/ArtworkFonts.h"

#include <cairo.h>

#include <string>
#include <vector>

// Film-strip frames of the panel's knobs. The pointer sweeps from -135 to
// +135 degrees around twelve o'clock, as the knobs turn.
class KnobPainter
{
public:
    explicit KnobPainter(const ArtworkFonts& fonts) : m_fonts(fonts) {}

    // A synthesizer knob in a size x size box: printed scale, dark knurled
    // body, cream pointer and an amber lamp at the pointer's tip. positions
    // is 0 for a continuous knob (frame of frames at value frame/(frames-1)),
    // else the number of detents, each with its own tick.
    void paintSynthKnob(cairo_t* cr, double size, int frame, int frames, bool stepped) const;
    // The effects' knob: the same scale around a brushed metal cap.
    void paintEffectsKnob(cairo_t* cr, double size, int frame, int frames) const;
    // The edit-mode selector: a knob between four legends, the chosen one lit.
    void paintModeKnob(cairo_t* cr, double width, double height, double unit, int frame,
                       const std::vector<std::string>& legends) const;

    // Angle in radians, clockwise from twelve o'clock, for a value 0..1.
    static double angleOf(double value);

private:
    void paintScale(cairo_t* cr, double cx, double cy, double inner, double outer, int frame, int frames,
                    bool stepped) const;
    void paintPointer(cairo_t* cr, double cx, double cy, double from, double to, double angle, double width,
                      double red, double green, double blue) const;

    const ArtworkFonts& m_fonts;
};
