#include "tools/KeyboardPainter.h"

#include "tools/PanelStyle.h"

#include <algorithm>
#include <cmath>

void KeyboardPainter::paintWhiteKey(cairo_t* cr, double width, double height, double unit, bool down)
{
    // Ivory, slightly shaded towards the front; the gap between keys is the
    // dark line on each side.
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_set_source_rgb(cr, 0.07, 0.06, 0.05);
    cairo_fill(cr);
    const double lip = std::max(3.0, unit * 2.5);
    const double x = 0.5;
    const double w = width - 1.5;
    cairo_pattern_t* face = cairo_pattern_create_linear(0, 0, 0, height);
    if (down)
    {
        cairo_pattern_add_color_stop_rgb(face, 0.0, 0.62, 0.55, 0.45);
        cairo_pattern_add_color_stop_rgb(face, 0.8, 0.86, 0.72, 0.52);
        cairo_pattern_add_color_stop_rgb(face, 1.0, 0.93, 0.74, 0.46);
    }
    else
    {
        cairo_pattern_add_color_stop_rgb(face, 0.0, 0.74, 0.71, 0.64);
        cairo_pattern_add_color_stop_rgb(face, 0.15, 0.90, 0.87, 0.79);
        cairo_pattern_add_color_stop_rgb(face, 1.0, 0.95, 0.92, 0.84);
    }
    PanelStyle::roundedRectangle(cr, x, -2.0, w, height + 2.0 - (down ? lip * 0.5 : lip) + 1.0, unit * 0.6);
    cairo_set_source(cr, face);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
    // The front lip: darker, shorter when the key is down.
    const double lipTop = height - (down ? lip * 0.5 : lip);
    cairo_rectangle(cr, x, lipTop, w, height - lipTop - 0.5);
    cairo_set_source_rgb(cr, down ? 0.55 : 0.70, down ? 0.45 : 0.66, down ? 0.32 : 0.58);
    cairo_fill(cr);
    if (down)
    {
        // The engine plays this key: an amber glow from below.
        cairo_pattern_t* glow = cairo_pattern_create_linear(0, height * 0.4, 0, height);
        cairo_pattern_add_color_stop_rgba(glow, 0.0, 1.0, 0.65, 0.25, 0.0);
        cairo_pattern_add_color_stop_rgba(glow, 1.0, 1.0, 0.65, 0.25, 0.35);
        cairo_rectangle(cr, x, 0, w, height);
        cairo_set_source(cr, glow);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
}

void KeyboardPainter::paintBlackKey(cairo_t* cr, double width, double height, double unit, bool down)
{
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_set_source_rgb(cr, 0.02, 0.02, 0.02);
    cairo_fill(cr);
    const double side = std::max(1.0, width * 0.12);
    const double front = std::max(3.0, unit * (down ? 2.0 : 3.5));
    // Top face with a sheen, sides and a front bevel.
    cairo_pattern_t* top = cairo_pattern_create_linear(0, 0, 0, height);
    if (down)
    {
        cairo_pattern_add_color_stop_rgb(top, 0.0, 0.10, 0.07, 0.04);
        cairo_pattern_add_color_stop_rgb(top, 1.0, 0.45, 0.26, 0.09);
    }
    else
    {
        cairo_pattern_add_color_stop_rgb(top, 0.0, 0.09, 0.085, 0.08);
        cairo_pattern_add_color_stop_rgb(top, 0.85, 0.20, 0.19, 0.18);
        cairo_pattern_add_color_stop_rgb(top, 1.0, 0.14, 0.13, 0.12);
    }
    PanelStyle::roundedRectangle(cr, side, -2.0, width - 2 * side, height - front + 2.0, unit * 0.5);
    cairo_set_source(cr, top);
    cairo_fill(cr);
    cairo_pattern_destroy(top);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, side + 1.0, 0);
    cairo_line_to(cr, side + 1.0, height - front - 1.0);
    cairo_set_source_rgba(cr, 1, 1, 1, down ? 0.08 : 0.14);
    cairo_stroke(cr);
    cairo_rectangle(cr, side, height - front, width - 2 * side, front - 1.0);
    cairo_set_source_rgb(cr, down ? 0.30 : 0.05, down ? 0.18 : 0.05, down ? 0.06 : 0.05);
    cairo_fill(cr);
}

void KeyboardPainter::paintWheel(cairo_t* cr, double width, double height, double unit, double value)
{
    // The slot.
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_set_source_rgb(cr, 0.03, 0.03, 0.03);
    cairo_fill(cr);
    const double inset = std::max(1.0, unit * 0.8);
    const double x = inset;
    const double w = width - 2 * inset;
    const double top = inset;
    const double h = height - 2 * inset;
    // A rubber wheel: shading across its height makes it read as a cylinder.
    cairo_pattern_t* body = cairo_pattern_create_linear(0, top, 0, top + h);
    cairo_pattern_add_color_stop_rgb(body, 0.0, 0.05, 0.05, 0.05);
    cairo_pattern_add_color_stop_rgb(body, 0.5, 0.25, 0.24, 0.23);
    cairo_pattern_add_color_stop_rgb(body, 1.0, 0.05, 0.05, 0.05);
    cairo_rectangle(cr, x, top, w, h);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    // Ridges turn with the wheel: their angle on the cylinder moves by the
    // value, and they crowd towards the edges as the surface turns away.
    const double radius = h / 2.0;
    const double centre = top + radius;
    const double turn = (value - 0.5) * 1.6;
    const int ridges = 28;
    cairo_set_line_width(cr, std::max(1.0, unit * 0.4));
    for (int ridge = 0; ridge < ridges; ++ridge)
    {
        const double angle = -M_PI / 2.0 + M_PI * (ridge + 0.5) / ridges + std::fmod(turn, M_PI / ridges * 2.0);
        if (angle <= -M_PI / 2.0 || angle >= M_PI / 2.0)
            continue;
        const double y = centre - radius * std::sin(angle);
        const double light = std::cos(angle);
        cairo_move_to(cr, x + 1.0, y);
        cairo_line_to(cr, x + w - 1.0, y);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.35 + 0.3 * light);
        cairo_stroke(cr);
    }
    // The marker line, cream, where the wheel's index sits on the cylinder.
    const double markAngle = turn;
    const double markY = centre - radius * std::sin(std::clamp(markAngle, -1.4, 1.4));
    cairo_set_line_width(cr, std::max(1.5, unit * 1.0));
    cairo_move_to(cr, x, markY);
    cairo_line_to(cr, x + w, markY);
    PanelStyle::setColour(cr, PanelStyle::kBrightText, 0.3 + 0.7 * std::cos(markAngle));
    cairo_stroke(cr);
}
