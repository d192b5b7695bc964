#pragma once

#include "tools/ArtworkFonts.h"
#include "tools/ImageCatalogue.h"

#include <cairo.h>

// Push buttons and small glyph buttons: square caps with a lamp strip for
// latching buttons, caps that sink for momentary ones.
class ButtonPainter
{
public:
    explicit ButtonPainter(const ArtworkFonts& fonts) : m_fonts(fonts) {}

    void paint(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit, int frame) const;

private:
    void cap(cairo_t* cr, double width, double height, double unit, bool pressed) const;
    // A cap's legend centred on (x, y), narrowed where it would reach the rim.
    void legend(cairo_t* cr, const std::string& text, double x, double y, double width, double unit) const;
    void lampButton(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit, bool on) const;
    void kickButton(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit, bool down) const;
    void memoryButton(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit, int frame) const;
    void learnButton(cairo_t* cr, double width, double height, double unit, bool on) const;
    void scrollButton(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit, bool down) const;
    void statusIcon(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit, bool issue) const;
    void dropDown(cairo_t* cr, double width, double height, double unit, bool down) const;
    void menuBox(cairo_t* cr, double width, double height, double unit) const;
    void wordmark(cairo_t* cr, double width, double height, double unit, bool on) const;

    const ArtworkFonts& m_fonts;
};
