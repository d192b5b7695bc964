#include "tools/ButtonPainter.h"

#include "tools/PanelStyle.h"

#include <algorithm>
#include <cmath>

namespace
{
void triangle(cairo_t* cr, double cx, double cy, double size, int direction)
{
    // 0 up, 1 right, 2 left, 3 down.
    const double h = size / 2.0;
    cairo_new_path(cr);
    switch (direction)
    {
    case 0:
        cairo_move_to(cr, cx - h, cy + h * 0.6);
        cairo_line_to(cr, cx + h, cy + h * 0.6);
        cairo_line_to(cr, cx, cy - h * 0.8);
        break;
    case 1:
        cairo_move_to(cr, cx - h * 0.6, cy - h);
        cairo_line_to(cr, cx - h * 0.6, cy + h);
        cairo_line_to(cr, cx + h * 0.8, cy);
        break;
    case 2:
        cairo_move_to(cr, cx + h * 0.6, cy - h);
        cairo_line_to(cr, cx + h * 0.6, cy + h);
        cairo_line_to(cr, cx - h * 0.8, cy);
        break;
    default:
        cairo_move_to(cr, cx - h, cy - h * 0.6);
        cairo_line_to(cr, cx + h, cy - h * 0.6);
        cairo_line_to(cr, cx, cy + h * 0.8);
        break;
    }
    cairo_close_path(cr);
}
}

void ButtonPainter::paint(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit,
                          int frame) const
{
    using Kind = ImageRecipe::Kind;
    switch (image.kind)
    {
    case Kind::kLampButton: lampButton(cr, image, width, height, unit, frame == 1); break;
    case Kind::kKickButton: kickButton(cr, image, width, height, unit, frame == 1); break;
    case Kind::kMemoryButton: memoryButton(cr, image, width, height, unit, frame); break;
    case Kind::kLearnButton: learnButton(cr, width, height, unit, frame == 1); break;
    case Kind::kScrollButton: scrollButton(cr, image, width, height, unit, frame == 1); break;
    case Kind::kStatusIcon: statusIcon(cr, image, width, height, unit, frame == 1); break;
    case Kind::kDropDown: dropDown(cr, width, height, unit, image.variant == 1); break;
    case Kind::kMenuBox: menuBox(cr, width, height, unit); break;
    case Kind::kWordmark: wordmark(cr, width, height, unit, frame == 1); break;
    default: break;
    }
}

void ButtonPainter::cap(cairo_t* cr, double width, double height, double unit, bool pressed) const
{
    const double inset = std::max(1.0, unit * 0.5);
    const double radius = unit * 0.9;
    // The bezel the cap sits in.
    PanelStyle::roundedRectangle(cr, 0.5, 0.5, width - 1.0, height - 1.0, radius + inset * 0.5);
    PanelStyle::setColour(cr, PanelStyle::kShadow);
    cairo_fill(cr);
    const double shift = pressed ? std::max(1.0, unit * 0.4) : 0.0;
    const double x = inset;
    const double y = inset + shift * 0.5;
    const double w = width - 2 * inset;
    const double h = height - 2 * inset - shift * 0.5;
    PanelStyle::roundedRectangle(cr, x, y, w, h, radius);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, y, 0, y + h);
    if (pressed)
    {
        cairo_pattern_add_color_stop_rgb(face, 0.0, 0.17, 0.155, 0.14);
        cairo_pattern_add_color_stop_rgb(face, 1.0, 0.24, 0.22, 0.20);
    }
    else
    {
        cairo_pattern_add_color_stop_rgb(face, 0.0, 0.33, 0.31, 0.28);
        cairo_pattern_add_color_stop_rgb(face, 1.0, 0.19, 0.175, 0.16);
    }
    cairo_set_source(cr, face);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
    if (!pressed)
    {
        cairo_set_line_width(cr, 1.0);
        cairo_move_to(cr, x + radius, y + 0.5);
        cairo_line_to(cr, x + w - radius, y + 0.5);
        cairo_set_source_rgba(cr, 1, 0.95, 0.85, 0.22);
        cairo_stroke(cr);
    }
}

void ButtonPainter::lampButton(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit,
                               bool on) const
{
    cap(cr, width, height, unit, false);
    // A legend per state ("1"/"2") or one for both.
    std::string legend;
    if (image.legends.size() == 2)
        legend = image.legends[on ? 1 : 0];
    else if (!image.legends.empty())
        legend = image.legends[0];
    const double inset = std::max(1.0, unit * 0.5);
    if (legend.empty())
    {
        // Only a lamp: a wide bar across the cap.
        PanelStyle::lampBar(cr, width * 0.25, height / 2.0 - unit * 0.8, width * 0.5, unit * 1.6, on);
        return;
    }
    const double lampHeight = std::max(1.5, unit * 0.9);
    PanelStyle::lampBar(cr, width * 0.3, inset + unit * 0.7, width * 0.4, lampHeight, on);
    PanelStyle::setColour(cr, on ? PanelStyle::kBrightText : PanelStyle::kNormalText);
    const double textY = inset + unit * 0.7 + lampHeight + (height - inset - (inset + unit * 0.7 + lampHeight)) / 2.0;
    this->legend(cr, legend, width / 2.0, textY, width, unit);
}

void ButtonPainter::legend(cairo_t* cr, const std::string& text, double x, double y, double width, double unit) const
{
    const double natural = m_fonts.measure(cr, text, ArtworkFonts::kSansBold, 4.5 * unit, unit * 0.15);
    const double condense = std::clamp((width - 4.0 * unit) / natural, 0.75, 1.0);
    m_fonts.drawText(cr, text, x, y, ArtworkFonts::kSansBold, 4.5 * unit, ArtworkFonts::kCentre, unit * 0.15,
                     condense);
}

void ButtonPainter::kickButton(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit,
                               bool down) const
{
    cap(cr, width, height, unit, down);
    const double shift = down ? std::max(1.0, unit * 0.4) * 0.5 : 0.0;
    const PanelStyle::Colour& ink = down ? PanelStyle::kAmber : PanelStyle::kBrightText;
    PanelStyle::setColour(cr, ink);
    if (image.legends.empty())
    {
        triangle(cr, width / 2.0, height / 2.0 + shift, height * 0.42, image.variant);
        cairo_fill(cr);
        return;
    }
    legend(cr, image.legends[0], width / 2.0, height / 2.0 + shift, width, unit);
}

void ButtonPainter::memoryButton(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit,
                                 int frame) const
{
    // 0 up, 1 down or just stored, 2 spare (lit), 3 and 4 the second row of
    // memories that Shift selects, up and down.
    const bool down = frame == 1 || frame == 4;
    const bool shifted = frame >= 3;
    cap(cr, width, height, unit, down);
    const double shift = down ? std::max(1.0, unit * 0.4) * 0.5 : 0.0;
    if (frame == 2)
    {
        PanelStyle::roundedRectangle(cr, unit, unit, width - 2 * unit, height - 2 * unit, unit * 0.8);
        PanelStyle::setColour(cr, PanelStyle::kAmber, 0.25);
        cairo_fill(cr);
    }
    const std::string& digit = image.legends[shifted ? 1 : 0];
    PanelStyle::setColour(cr, down || frame == 2 ? PanelStyle::kAmber : PanelStyle::kBrightText);
    m_fonts.drawText(cr, digit, width / 2.0, height / 2.0 + shift, ArtworkFonts::kSansBold, 5.5 * unit,
                     ArtworkFonts::kCentre);
    if (shifted)
    {
        // A small mark tells the second row apart.
        PanelStyle::lamp(cr, width - 2.4 * unit, 2.4 * unit, unit * 0.7, true);
    }
}

void ButtonPainter::learnButton(cairo_t* cr, double width, double height, double unit, bool on) const
{
    PanelStyle::roundedRectangle(cr, 0.5, 0.5, width - 1.0, height - 1.0, unit);
    if (on)
        cairo_set_source_rgb(cr, 0.75, 0.22, 0.12);
    else
        cairo_set_source_rgb(cr, 0.20, 0.18, 0.16);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.0);
    PanelStyle::setColour(cr, PanelStyle::kShadow);
    cairo_stroke(cr);
    PanelStyle::setColour(cr, on ? PanelStyle::kBrightText : PanelStyle::kNormalText);
    m_fonts.drawText(cr, "LEARN", width / 2.0, height / 2.0, ArtworkFonts::kSansBold, std::min(4.5 * unit, 9.0 * unit / 2.0),
                     ArtworkFonts::kCentre);
}

void ButtonPainter::scrollButton(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit,
                                 bool down) const
{
    const bool grey = image.variant >= 2;
    const int direction = image.variant % 2 == 0 ? 0 : 3;
    PanelStyle::roundedRectangle(cr, 0.5, 0.5, width - 1.0, height - 1.0, unit * 0.8);
    cairo_set_source_rgb(cr, down ? 0.14 : 0.24, down ? 0.13 : 0.22, down ? 0.12 : 0.20);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.0);
    PanelStyle::setColour(cr, PanelStyle::kShadow);
    cairo_stroke(cr);
    if (grey)
        PanelStyle::setColour(cr, down ? PanelStyle::kNormalText : PanelStyle::kDimText);
    else
        PanelStyle::setColour(cr, down ? PanelStyle::kAmber : PanelStyle::kBrightText);
    triangle(cr, width / 2.0, height / 2.0, std::min(width, height) * 0.5, direction);
    cairo_fill(cr);
}

void ButtonPainter::statusIcon(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit,
                               bool issue) const
{
    const double cx = width / 2.0;
    const double cy = height / 2.0;
    const double r = std::min(width, height) / 2.0 - 0.5;
    if (!issue)
    {
        cairo_arc(cr, cx, cy, r * 0.35, 0, 2 * M_PI);
        PanelStyle::setColour(cr, PanelStyle::kDimText, 0.7);
        cairo_fill(cr);
        return;
    }
    cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
    if (image.legends[0] == "?")
        cairo_set_source_rgb(cr, 0.72, 0.24, 0.14);
    else
        PanelStyle::setColour(cr, PanelStyle::kAmber);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.08, 0.06, 0.04);
    m_fonts.drawText(cr, image.legends[0], cx, cy, ArtworkFonts::kSansBold, std::max(9.0, 4.8 * unit),
                     ArtworkFonts::kCentre);
}

void ButtonPainter::dropDown(cairo_t* cr, double width, double height, double unit, bool down) const
{
    cap(cr, width, height, unit, down);
    PanelStyle::setColour(cr, down ? PanelStyle::kAmber : PanelStyle::kBrightText);
    triangle(cr, width / 2.0, height / 2.0 + (down ? 0.5 : 0.0), height * 0.45, 3);
    cairo_fill(cr);
}

void ButtonPainter::menuBox(cairo_t* cr, double width, double height, double unit) const
{
    PanelStyle::well(cr, 0.5, 0.5, width - 1.0, height - 1.5, unit * 0.8, PanelStyle::kGlass);
    cairo_set_line_width(cr, 1.0);
    PanelStyle::roundedRectangle(cr, 0.5, 0.5, width - 1.0, height - 1.5, unit * 0.8);
    PanelStyle::setColour(cr, PanelStyle::kRule, 0.8);
    cairo_stroke(cr);
    // The drop-down mark at the right end leaves the middle to the text.
    PanelStyle::setColour(cr, PanelStyle::kNormalText);
    triangle(cr, width - 3.0 * unit, height / 2.0, height * 0.35, 3);
    cairo_fill(cr);
}

void ButtonPainter::wordmark(cairo_t* cr, double width, double height, double unit, bool on) const
{
    const double size = 6.5 * unit;
    const double tracking = unit * 0.9;
    const std::string name = "ZENTROVA";
    const double nameWidth = m_fonts.measure(cr, name, ArtworkFonts::kSerifBold, size, tracking);
    const double digitWidth = m_fonts.measure(cr, "2", ArtworkFonts::kSerifBold, size * 1.1);
    const double left = (width - nameWidth - unit * 2.0 - digitWidth) / 2.0;
    if (on)
    {
        PanelStyle::roundedRectangle(cr, 0, 0, width, height, unit);
        PanelStyle::setColour(cr, PanelStyle::kAmber, 0.12);
        cairo_fill(cr);
    }
    PanelStyle::setColour(cr, on ? PanelStyle::kAmber : PanelStyle::kBrightText);
    m_fonts.drawText(cr, name, left, height / 2.0, ArtworkFonts::kSerifBold, size, ArtworkFonts::kLeft, tracking);
    PanelStyle::setColour(cr, PanelStyle::kAmber);
    m_fonts.drawText(cr, "2", left + nameWidth + unit * 2.0, height / 2.0, ArtworkFonts::kSerifBold, size * 1.1,
                     ArtworkFonts::kLeft);
}
