#pragma once

#include "tools/ArtworkFonts.h"
#include "tools/ButtonPainter.h"
#include "tools/DisplayPainter.h"
#include "tools/ImageCatalogue.h"
#include "tools/KnobPainter.h"
#include "tools/LayoutModel.h"
#include "tools/PanelPainter.h"
#include "tools/SwitchPainter.h"

#include <cairo.h>

#include <memory>
#include <string>
#include <vector>

class GuiLayout;

// Draws every image of the bitmap table for the three window sizes from the
// expanded layout, and writes them as the bundle resources bmpNNNNN.png.
class ArtworkGenerator
{
public:
    explicit ArtworkGenerator(GuiLayout& layout);
    ~ArtworkGenerator();

    // Writes all images into each folder. Returns the number of problems
    // found in the layout (each reported on stderr); images are written
    // either way.
    int generate(const std::vector<std::string>& folders);

    // One frame's size and the frame count of an image in a configuration;
    // false for a name the table lacks. Panels take the size of the widget
    // that shows them.
    bool frameSize(const std::string& name, int& width, int& height, int& frames, bool& sideBySide) const;
    // The model of the configuration with that size prefix ("840", ...).
    const LayoutModel* model(const std::string& prefix) const;

    // The image with all its frames; the caller destroys it.
    cairo_surface_t* render(const std::string& name) const;

private:
    struct Size;
    void renderFrame(cairo_t* cr, const ImageRecipe& image, const LayoutModel& model, int owner, double width,
                     double height, int frame) const;
    int checkLayout(const LayoutModel& model) const;
    int checkCaptions(const LayoutModel& model) const;
    int owningWidget(const LayoutModel& model, const std::string& name) const;

    GuiLayout& m_layout;
    ArtworkFonts m_fonts;
    KnobPainter m_knobs;
    SwitchPainter m_switches;
    ButtonPainter m_buttons;
    DisplayPainter m_displays;
    PanelPainter m_panels;
    std::vector<std::unique_ptr<LayoutModel>> m_models;
};
