#pragma once

#include <cairo.h>

#include <string>

// The Liberation fonts, loaded from their files so that no substitution
// rule of the machine can change the artwork. Text on the panel is drawn
// through drawText with fixed font options.
class ArtworkFonts
{
public:
    enum Face
    {
        kSans,
        kSansBold,
        kSerifBold,
        kFaceCount
    };
    enum Align
    {
        kLeft,
        kCentre,
        kRight
    };

    // Throws std::runtime_error when a face is missing.
    ArtworkFonts();
    ~ArtworkFonts();

    ArtworkFonts(const ArtworkFonts&) = delete;
    ArtworkFonts& operator=(const ArtworkFonts&) = delete;

    // Selects the face and size (pixels) with the fixed options.
    void select(cairo_t* cr, Face face, double size) const;
    // Width of the text as drawText would draw it.
    double measure(cairo_t* cr, const std::string& text, Face face, double size, double tracking = 0.0,
                   double condense = 1.0) const;
    // Draws text with its capitals centred vertically on y; x is the left
    // edge, the centre or the right edge by align. tracking is extra space
    // after each character, in pixels; condense narrows the letters.
    void drawText(cairo_t* cr, const std::string& text, double x, double y, Face face, double size, Align align,
                  double tracking = 0.0, double condense = 1.0) const;

private:
    struct Loaded;
    Loaded* m_loaded;
};
