#pragma once

#include "tools/ArtworkFonts.h"
#include "tools/ImageCatalogue.h"

#include <cairo.h>

#include <string>

// Amber-on-glass read-outs: oscillator and LFO wave shapes, filter
// responses, the program/parameter header, the edited lamp and the
// harmonic bars' segments.
class DisplayPainter
{
public:
    explicit DisplayPainter(const ArtworkFonts& fonts) : m_fonts(fonts) {}

    void paint(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit, int frame) const;

    // A glass pane with its bezel, filling the rectangle.
    static void glass(cairo_t* cr, double x, double y, double width, double height, double unit);

private:
    void waveDisplay(cairo_t* cr, double width, double height, double unit, int frame) const;
    void lfoDisplay(cairo_t* cr, double width, double height, double unit, int frame) const;
    void filterDisplay(cairo_t* cr, double width, double height, double unit, int frame) const;
    void header(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit, int frame) const;
    void modified(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit, bool on) const;
    void segment(cairo_t* cr, double width, double height, bool lit) const;
    // The value's name as the parameter writes it, in capitals.
    static std::string valueName(int parameter, int frame, int frames);
    void caption(cairo_t* cr, const std::string& text, double width, double height, double unit) const;

    const ArtworkFonts& m_fonts;
};
