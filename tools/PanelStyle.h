#pragma once

#include <cairo.h>

#include <cstdint>

// The colours of the panel and the drawing steps that every painter shares:
// warm light print on a dark, finely grained panel, amber lamps and glass.
class PanelStyle
{
public:
    struct Colour
    {
        double r, g, b;
    };

    // Print: the layout's "normaltext" and "brighttext".
    static constexpr Colour kNormalText{194 / 255.0, 168 / 255.0, 126 / 255.0};
    static constexpr Colour kBrightText{255 / 255.0, 221 / 255.0, 167 / 255.0};
    static constexpr Colour kDimText{166 / 255.0, 146 / 255.0, 114 / 255.0};
    static constexpr Colour kRule{112 / 255.0, 94 / 255.0, 68 / 255.0};
    // The panel and its sections.
    static constexpr Colour kPanel{27 / 255.0, 24 / 255.0, 21 / 255.0};
    static constexpr Colour kSectionTop{43 / 255.0, 38 / 255.0, 33 / 255.0};
    static constexpr Colour kSectionBottom{35 / 255.0, 31 / 255.0, 27 / 255.0};
    static constexpr Colour kHighlight{74 / 255.0, 65 / 255.0, 54 / 255.0};
    static constexpr Colour kShadow{10 / 255.0, 9 / 255.0, 8 / 255.0};
    // Glass of the displays and lit amber.
    static constexpr Colour kGlass{22 / 255.0, 15 / 255.0, 9 / 255.0};
    static constexpr Colour kAmber{255 / 255.0, 176 / 255.0, 72 / 255.0};
    static constexpr Colour kAmberDim{96 / 255.0, 58 / 255.0, 26 / 255.0};
    static constexpr Colour kLampOff{58 / 255.0, 34 / 255.0, 20 / 255.0};

    static void setColour(cairo_t* cr, const Colour& colour, double alpha = 1.0);
    static void roundedRectangle(cairo_t* cr, double x, double y, double w, double h, double radius);
    // A raised tile: gradient face, light top edge, dark lower edge.
    static void tile(cairo_t* cr, double x, double y, double w, double h, double radius, const Colour& top,
                     const Colour& bottom);
    // A recess: dark fill with shadow on its upper inner edge.
    static void well(cairo_t* cr, double x, double y, double w, double h, double radius, const Colour& fill);
    // A round lamp of radius r, lit or not, with its halo when lit.
    static void lamp(cairo_t* cr, double x, double y, double r, bool lit);
    // A rectangular lamp.
    static void lampBar(cairo_t* cr, double x, double y, double w, double h, bool lit);
    // Fine grain over a rectangle, the same for the same seed.
    static void grain(cairo_t* cr, int x, int y, int w, int h, std::uint32_t seed, double strength);
    // Relative luminance contrast between two colours (WCAG).
    static double contrast(const Colour& a, const Colour& b);
};
