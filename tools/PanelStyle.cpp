#include "tools/PanelStyle.h"

#include <algorithm>
#include <cmath>
#include <vector>

void PanelStyle::setColour(cairo_t* cr, const Colour& colour, double alpha)
{
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, alpha);
}

void PanelStyle::roundedRectangle(cairo_t* cr, double x, double y, double w, double h, double radius)
{
    radius = std::min({radius, w / 2.0, h / 2.0});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -M_PI / 2.0, 0.0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0.0, M_PI / 2.0);
    cairo_arc(cr, x + radius, y + h - radius, radius, M_PI / 2.0, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

void PanelStyle::tile(cairo_t* cr, double x, double y, double w, double h, double radius, const Colour& top,
                      const Colour& bottom)
{
    cairo_save(cr);
    // Shadow below and right, then the face.
    roundedRectangle(cr, x + 0.5, y + 1.0, w, h, radius);
    setColour(cr, kShadow, 0.7);
    cairo_fill(cr);
    roundedRectangle(cr, x, y, w, h, radius);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgb(face, 0.0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(face, 1.0, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, face);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
    // Edges: light along the top, dark along the bottom.
    cairo_set_line_width(cr, 1.0);
    roundedRectangle(cr, x + 0.5, y + 0.5, w - 1.0, h - 1.0, radius);
    cairo_pattern_t* edge = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgba(edge, 0.0, kHighlight.r, kHighlight.g, kHighlight.b, 1.0);
    cairo_pattern_add_color_stop_rgba(edge, 0.5, kHighlight.r, kHighlight.g, kHighlight.b, 0.25);
    cairo_pattern_add_color_stop_rgba(edge, 1.0, kShadow.r, kShadow.g, kShadow.b, 0.8);
    cairo_set_source(cr, edge);
    cairo_stroke(cr);
    cairo_pattern_destroy(edge);
    cairo_restore(cr);
}

void PanelStyle::well(cairo_t* cr, double x, double y, double w, double h, double radius, const Colour& fill)
{
    cairo_save(cr);
    roundedRectangle(cr, x, y, w, h, radius);
    setColour(cr, fill);
    cairo_fill_preserve(cr);
    cairo_clip(cr);
    // The inner shadow falls from the upper edge.
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, y, 0, y + std::min(h, 6.0));
    cairo_pattern_add_color_stop_rgba(shade, 0.0, 0, 0, 0, 0.55);
    cairo_pattern_add_color_stop_rgba(shade, 1.0, 0, 0, 0, 0.0);
    cairo_set_source(cr, shade);
    cairo_paint(cr);
    cairo_pattern_destroy(shade);
    cairo_reset_clip(cr);
    // A faint light lip below.
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, x + radius, y + h + 0.5);
    cairo_line_to(cr, x + w - radius, y + h + 0.5);
    setColour(cr, kHighlight, 0.6);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void PanelStyle::lamp(cairo_t* cr, double x, double y, double r, bool lit)
{
    cairo_save(cr);
    cairo_new_path(cr);
    if (lit)
    {
        cairo_pattern_t* halo = cairo_pattern_create_radial(x, y, r * 0.5, x, y, r * 2.6);
        cairo_pattern_add_color_stop_rgba(halo, 0.0, kAmber.r, kAmber.g, kAmber.b, 0.55);
        cairo_pattern_add_color_stop_rgba(halo, 1.0, kAmber.r, kAmber.g, kAmber.b, 0.0);
        cairo_set_source(cr, halo);
        cairo_arc(cr, x, y, r * 2.6, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(halo);
    }
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_pattern_t* body = cairo_pattern_create_radial(x - r * 0.3, y - r * 0.3, r * 0.1, x, y, r);
    if (lit)
    {
        cairo_pattern_add_color_stop_rgb(body, 0.0, 1.0, 0.95, 0.8);
        cairo_pattern_add_color_stop_rgb(body, 0.5, kAmber.r, kAmber.g, kAmber.b);
        cairo_pattern_add_color_stop_rgb(body, 1.0, 0.85, 0.45, 0.12);
    }
    else
    {
        cairo_pattern_add_color_stop_rgb(body, 0.0, 0.36, 0.24, 0.16);
        cairo_pattern_add_color_stop_rgb(body, 1.0, kLampOff.r * 0.7, kLampOff.g * 0.7, kLampOff.b * 0.7);
    }
    cairo_set_source(cr, body);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(body);
    cairo_set_line_width(cr, std::max(0.6, r * 0.25));
    setColour(cr, kShadow, 0.8);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void PanelStyle::lampBar(cairo_t* cr, double x, double y, double w, double h, bool lit)
{
    cairo_save(cr);
    cairo_new_path(cr);
    if (lit)
    {
        roundedRectangle(cr, x - h, y - h, w + 2 * h, h * 3, h * 1.5);
        setColour(cr, kAmber, 0.18);
        cairo_fill(cr);
    }
    roundedRectangle(cr, x, y, w, h, h / 2.0);
    cairo_pattern_t* body = cairo_pattern_create_linear(0, y, 0, y + h);
    if (lit)
    {
        cairo_pattern_add_color_stop_rgb(body, 0.0, 1.0, 0.92, 0.72);
        cairo_pattern_add_color_stop_rgb(body, 1.0, kAmber.r, kAmber.g * 0.85, kAmber.b * 0.6);
    }
    else
    {
        cairo_pattern_add_color_stop_rgb(body, 0.0, kLampOff.r, kLampOff.g, kLampOff.b);
        cairo_pattern_add_color_stop_rgb(body, 1.0, kLampOff.r * 0.6, kLampOff.g * 0.6, kLampOff.b * 0.6);
    }
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    cairo_restore(cr);
}

void PanelStyle::grain(cairo_t* cr, int x, int y, int w, int h, std::uint32_t seed, double strength)
{
    if (w <= 0 || h <= 0)
        return;
    cairo_surface_t* noise = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(noise);
    unsigned char* data = cairo_image_surface_get_data(noise);
    const int stride = cairo_image_surface_get_stride(noise);
    std::uint32_t state = seed * 2654435761u + 1u;
    for (int row = 0; row < h; ++row)
    {
        auto* pixels = reinterpret_cast<std::uint32_t*>(data + row * stride);
        for (int column = 0; column < w; ++column)
        {
            state = state * 1664525u + 1013904223u;
            const int level = static_cast<int>(state >> 24);
            // Light or dark specks of small alpha, premultiplied.
            const std::uint32_t alpha = static_cast<std::uint32_t>(std::abs(level - 128) * strength);
            const std::uint32_t value = level >= 128 ? alpha : 0;
            pixels[column] = (alpha << 24) | (value << 16) | (value << 8) | value;
        }
    }
    cairo_surface_mark_dirty(noise);
    cairo_save(cr);
    cairo_set_source_surface(cr, noise, x, y);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_surface_destroy(noise);
}

double PanelStyle::contrast(const Colour& a, const Colour& b)
{
    auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    auto luminance = [&](const Colour& c) {
        return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
