#pragma once

#include "tools/ArtworkFonts.h"

#include <cairo.h>

#include <string>
#include <vector>

// Selectors drawn as a row or column of lamps with a legend at each
// position: the frame shows the lamp of the chosen position lit. Switches
// and three-state buttons both use them.
class SwitchPainter
{
public:
    explicit SwitchPainter(const ArtworkFonts& fonts) : m_fonts(fonts) {}

    // Legends above, lamps below, positions spread across the width.
    void paintRow(cairo_t* cr, double width, double height, double unit, int chosen,
                  const std::vector<std::string>& legends) const;
    // Lamps on the left, legends beside them, positions from the top.
    void paintColumn(cairo_t* cr, double width, double height, double unit, int chosen,
                     const std::vector<std::string>& legends) const;

private:
    const ArtworkFonts& m_fonts;
};
