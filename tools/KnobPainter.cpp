#include "tools/KnobPainter.h"

#include "tools/PanelStyle.h"

#include <algorithm>
#include <cmath>

namespace
{
double valueOf(int frame, int frames)
{
    return frames > 1 ? static_cast<double>(frame) / (frames - 1) : 0.0;
}

void pointAt(double cx, double cy, double radius, double angle, double& x, double& y)
{
    x = cx + radius * std::sin(angle);
    y = cy - radius * std::cos(angle);
}

// The knurled skirt: a dark disc with fine alternating ridges at its rim.
void paintSkirt(cairo_t* cr, double cx, double cy, double radius)
{
    cairo_save(cr);
    cairo_arc(cr, cx, cy + radius * 0.06, radius * 1.02, 0, 2 * M_PI);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.55);
    cairo_fill(cr);
    cairo_pattern_t* body = cairo_pattern_create_linear(cx, cy - radius, cx, cy + radius);
    cairo_pattern_add_color_stop_rgb(body, 0.0, 0.20, 0.19, 0.18);
    cairo_pattern_add_color_stop_rgb(body, 1.0, 0.06, 0.055, 0.05);
    cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    const int ridges = 36;
    cairo_set_line_width(cr, std::max(0.5, radius * 0.05));
    for (int ridge = 0; ridge < ridges; ++ridge)
    {
        const double angle = 2 * M_PI * ridge / ridges;
        double x1, y1, x2, y2;
        pointAt(cx, cy, radius * 0.80, angle, x1, y1);
        pointAt(cx, cy, radius * 0.97, angle, x2, y2);
        cairo_move_to(cr, x1, y1);
        cairo_line_to(cr, x2, y2);
        // Lit from above: ridges facing up catch more light.
        const double light = 0.5 + 0.5 * std::cos(angle);
        cairo_set_source_rgba(cr, 1, 0.95, 0.85, 0.05 + 0.12 * light);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}
}

double KnobPainter::angleOf(double value)
{
    return (-135.0 + 270.0 * value) * M_PI / 180.0;
}

void KnobPainter::paintScale(cairo_t* cr, double cx, double cy, double inner, double outer, int frame, int frames,
                             bool stepped) const
{
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    const int ticks = stepped ? frames : 11;
    const double width = std::max(1.0, (outer - inner) * 0.42);
    for (int tick = 0; tick < ticks; ++tick)
    {
        const double angle = angleOf(ticks > 1 ? static_cast<double>(tick) / (ticks - 1) : 0.0);
        const bool chosen = stepped && tick == frame;
        const bool major = !stepped && tick % 5 == 0;
        const double from = chosen || major ? inner - (outer - inner) * 0.25 : inner;
        double x1, y1, x2, y2;
        pointAt(cx, cy, from, angle, x1, y1);
        pointAt(cx, cy, outer, angle, x2, y2);
        cairo_move_to(cr, x1, y1);
        cairo_line_to(cr, x2, y2);
        cairo_set_line_width(cr, chosen ? width * 1.35 : width);
        if (chosen)
            PanelStyle::setColour(cr, PanelStyle::kAmber);
        else
            PanelStyle::setColour(cr, PanelStyle::kNormalText, major ? 0.95 : 0.6);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void KnobPainter::paintPointer(cairo_t* cr, double cx, double cy, double from, double to, double angle,
                               double width, double red, double green, double blue) const
{
    double x1, y1, x2, y2;
    pointAt(cx, cy, from, angle, x1, y1);
    pointAt(cx, cy, to, angle, x2, y2);
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, width);
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_set_source_rgb(cr, red, green, blue);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void KnobPainter::paintSynthKnob(cairo_t* cr, double size, int frame, int frames, bool stepped) const
{
    const double c = size / 2.0;
    const double angle = angleOf(valueOf(frame, frames));
    paintScale(cr, c, c, size * 0.405, size * 0.485, frame, frames, stepped);
    const double skirt = size * 0.335;
    paintSkirt(cr, c, c, skirt);
    // The cap: a soft dome lit from the upper left.
    const double cap = skirt * 0.74;
    cairo_pattern_t* dome = cairo_pattern_create_radial(c - cap * 0.35, c - cap * 0.45, cap * 0.1, c, c, cap);
    cairo_pattern_add_color_stop_rgb(dome, 0.0, 0.33, 0.31, 0.29);
    cairo_pattern_add_color_stop_rgb(dome, 0.7, 0.16, 0.15, 0.14);
    cairo_pattern_add_color_stop_rgb(dome, 1.0, 0.10, 0.095, 0.09);
    cairo_arc(cr, c, c, cap, 0, 2 * M_PI);
    cairo_set_source(cr, dome);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(dome);
    cairo_set_line_width(cr, std::max(0.6, size * 0.02));
    cairo_set_source_rgba(cr, 0, 0, 0, 0.6);
    cairo_stroke(cr);
    const PanelStyle::Colour& line = PanelStyle::kBrightText;
    paintPointer(cr, c, c, cap * 0.15, skirt * 0.93, angle, std::max(1.6, size * 0.065), line.r, line.g, line.b);
    // The lamp at the tip marks the position even where the pointer is thin.
    double x, y;
    pointAt(c, c, skirt * 0.86, angle, x, y);
    PanelStyle::lamp(cr, x, y, std::max(1.1, size * 0.045), true);
}

void KnobPainter::paintEffectsKnob(cairo_t* cr, double size, int frame, int frames) const
{
    const double c = size / 2.0;
    const double angle = angleOf(valueOf(frame, frames));
    paintScale(cr, c, c, size * 0.405, size * 0.485, frame, frames, false);
    const double skirt = size * 0.335;
    paintSkirt(cr, c, c, skirt);
    // A machined aluminium cap with fine concentric brushing.
    const double cap = skirt * 0.78;
    cairo_pattern_t* metal = cairo_pattern_create_linear(c - cap, c - cap, c + cap, c + cap);
    cairo_pattern_add_color_stop_rgb(metal, 0.0, 0.86, 0.84, 0.80);
    cairo_pattern_add_color_stop_rgb(metal, 0.5, 0.62, 0.60, 0.57);
    cairo_pattern_add_color_stop_rgb(metal, 1.0, 0.40, 0.39, 0.37);
    cairo_arc(cr, c, c, cap, 0, 2 * M_PI);
    cairo_set_source(cr, metal);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);
    cairo_set_line_width(cr, 0.5);
    for (double ring = cap * 0.2; ring < cap; ring += std::max(0.9, cap * 0.12))
    {
        cairo_arc(cr, c, c, ring, 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.10);
        cairo_stroke(cr);
    }
    cairo_arc(cr, c, c, cap, 0, 2 * M_PI);
    cairo_set_line_width(cr, std::max(0.6, size * 0.02));
    cairo_set_source_rgba(cr, 0, 0, 0, 0.7);
    cairo_stroke(cr);
    paintPointer(cr, c, c, cap * 0.1, cap * 0.92, angle, std::max(1.6, size * 0.065), 0.10, 0.09, 0.08);
    double x, y;
    pointAt(c, c, (cap + skirt) / 2.0, angle, x, y);
    PanelStyle::lamp(cr, x, y, std::max(1.1, size * 0.045), true);
}

void KnobPainter::paintModeKnob(cairo_t* cr, double width, double height, double unit, int frame,
                                const std::vector<std::string>& legends) const
{
    const double size = height;
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    const int positions = static_cast<int>(legends.size());
    // Knob in the middle, its detents at -135, -45, 45 and 135 degrees.
    const double skirt = size * 0.30;
    const double tickInner = size * 0.38;
    const double tickOuter = size * 0.46;
    cairo_save(cr);
    cairo_translate(cr, cx - size / 2.0, 0);
    paintScale(cr, size / 2.0, cy, tickInner, tickOuter, frame, positions, true);
    cairo_restore(cr);
    paintSkirt(cr, cx, cy, skirt);
    const double cap = skirt * 0.74;
    cairo_pattern_t* dome = cairo_pattern_create_radial(cx - cap * 0.35, cy - cap * 0.45, cap * 0.1, cx, cy, cap);
    cairo_pattern_add_color_stop_rgb(dome, 0.0, 0.33, 0.31, 0.29);
    cairo_pattern_add_color_stop_rgb(dome, 1.0, 0.10, 0.095, 0.09);
    cairo_arc(cr, cx, cy, cap, 0, 2 * M_PI);
    cairo_set_source(cr, dome);
    cairo_fill(cr);
    cairo_pattern_destroy(dome);
    const double angle = angleOf(valueOf(frame, positions));
    const PanelStyle::Colour& line = PanelStyle::kBrightText;
    paintPointer(cr, cx, cy, cap * 0.15, skirt * 0.93, angle, std::max(1.6, size * 0.06), line.r, line.g, line.b);
    double x, y;
    pointAt(cx, cy, skirt * 0.86, angle, x, y);
    PanelStyle::lamp(cr, x, y, std::max(1.1, size * 0.04), true);
    // Legends: lower left, upper left, upper right, lower right.
    const double textSize = 4.5 * unit;
    const double column = size / 2.0 + unit;
    for (int position = 0; position < positions; ++position)
    {
        const bool left = position < 2;
        const bool upper = position == 1 || position == 2;
        const double tx = left ? cx - column : cx + column;
        const double ty = upper ? height * 0.26 : height * 0.74;
        const bool chosen = position == frame;
        PanelStyle::setColour(cr, chosen ? PanelStyle::kBrightText : PanelStyle::kNormalText, chosen ? 1.0 : 0.8);
        m_fonts.drawText(cr, legends[position], tx, ty, chosen ? ArtworkFonts::kSansBold : ArtworkFonts::kSans,
                         textSize, left ? ArtworkFonts::kRight : ArtworkFonts::kLeft);
    }
}
