#pragma once

#include "tools/ArtworkFonts.h"
#include "tools/ImageCatalogue.h"
#include "tools/LayoutModel.h"

#include <cairo.h>

#include <string>

// The panels: the window's background and the backgrounds of the layout's
// containers. Each is drawn from the layout: its sections with their titles,
// the wells and bezels that displays, lists and wheels sit in, and the
// caption of every control at that control's place.
class PanelPainter
{
public:
    explicit PanelPainter(const ArtworkFonts& fonts) : m_fonts(fonts) {}

    // The background of the frame.
    void paintBackground(cairo_t* cr, const LayoutModel& model) const;
    // The background of a container image; owner is the container item that
    // shows it, or -1 when no widget of this configuration uses it.
    void paintContainer(cairo_t* cr, const LayoutModel& model, const ImageRecipe& image, int owner, double width,
                        double height) const;

    // Where an item's caption lands on its parent's image: x, y, width,
    // height. False for an item without one.
    bool labelBounds(cairo_t* cr, const LayoutItem& item, double unit, double bounds[4]) const;

private:
    // Everything the items of one parent print on their parent's image.
    void paintContents(cairo_t* cr, const LayoutModel& model, int parent) const;
    void paintSection(cairo_t* cr, const LayoutModel& model, const LayoutItem& section, double unit) const;
    void paintSeat(cairo_t* cr, const LayoutModel& model, const LayoutItem& item, double unit) const;
    void paintLabel(cairo_t* cr, const LayoutItem& item, double unit) const;
    void paintCaption(cairo_t* cr, const LayoutItem& text, double unit) const;
    void paintSplash(cairo_t* cr, double width, double height, double unit) const;
    void paintIndicator(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit) const;
    static void panelBase(cairo_t* cr, double width, double height, unsigned seed);

    const ArtworkFonts& m_fonts;
};
