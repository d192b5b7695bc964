#include "tools/SwitchPainter.h"

#include "tools/PanelStyle.h"

#include <cmath>

void SwitchPainter::paintRow(cairo_t* cr, double width, double height, double unit, int chosen,
                             const std::vector<std::string>& legends) const
{
    const int positions = static_cast<int>(legends.size());
    const double pitch = width / positions;
    const double lampY = height - 2.6 * unit;
    const double radius = 1.35 * unit;
    // A rail joins the lamps so the row reads as one control.
    cairo_save(cr);
    cairo_set_line_width(cr, std::max(1.0, unit * 0.5));
    cairo_move_to(cr, pitch / 2.0, lampY);
    cairo_line_to(cr, width - pitch / 2.0, lampY);
    PanelStyle::setColour(cr, PanelStyle::kShadow, 0.9);
    cairo_stroke(cr);
    cairo_restore(cr);
    for (int position = 0; position < positions; ++position)
    {
        const double x = pitch * (position + 0.5);
        const bool lit = position == chosen;
        if (legends[position].empty())
        {
            // Unnamed middle positions: a smaller lamp.
            PanelStyle::lamp(cr, x, lampY, radius * 0.8, lit);
            continue;
        }
        PanelStyle::lamp(cr, x, lampY, radius, lit);
        PanelStyle::setColour(cr, lit ? PanelStyle::kBrightText : PanelStyle::kNormalText);
        m_fonts.drawText(cr, legends[position], x, 2.6 * unit, lit ? ArtworkFonts::kSansBold : ArtworkFonts::kSans,
                         4.5 * unit, ArtworkFonts::kCentre);
    }
}

void SwitchPainter::paintColumn(cairo_t* cr, double width, double height, double unit, int chosen,
                                const std::vector<std::string>& legends) const
{
    (void)width;
    const int positions = static_cast<int>(legends.size());
    const double pitch = height / positions;
    const double lampX = 1.9 * unit;
    const double radius = 1.35 * unit;
    cairo_save(cr);
    cairo_set_line_width(cr, std::max(1.0, unit * 0.5));
    cairo_move_to(cr, lampX, pitch / 2.0);
    cairo_line_to(cr, lampX, height - pitch / 2.0);
    PanelStyle::setColour(cr, PanelStyle::kShadow, 0.9);
    cairo_stroke(cr);
    cairo_restore(cr);
    for (int position = 0; position < positions; ++position)
    {
        const double y = pitch * (position + 0.5);
        const bool lit = position == chosen;
        PanelStyle::lamp(cr, lampX, y, radius, lit);
        PanelStyle::setColour(cr, lit ? PanelStyle::kBrightText : PanelStyle::kNormalText);
        m_fonts.drawText(cr, legends[position], lampX + 2.6 * unit, y,
                         lit ? ArtworkFonts::kSansBold : ArtworkFonts::kSans, 4.5 * unit, ArtworkFonts::kLeft);
    }
}
