#include "tools/PanelPainter.h"

#include "tools/DisplayPainter.h"
#include "tools/PanelStyle.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace
{
// Position of an item inside the image of its parent.
double leftOf(const LayoutItem& item)
{
    return item.x;
}

double topOf(const LayoutItem& item)
{
    return item.y;
}

constexpr double kLabelCondensed = 0.9;
constexpr double kMostCondensed = 0.7;

bool isTransparentMenu(const LayoutItem& item)
{
    return item.type == "OptionMenu" && item.bitmap.empty();
}
}

void PanelPainter::panelBase(cairo_t* cr, double width, double height, unsigned seed)
{
    cairo_rectangle(cr, 0, 0, width, height);
    PanelStyle::setColour(cr, PanelStyle::kPanel);
    cairo_fill(cr);
    PanelStyle::grain(cr, 0, 0, static_cast<int>(width), static_cast<int>(height), seed, 0.05);
}

void PanelPainter::paintBackground(cairo_t* cr, const LayoutModel& model) const
{
    const double width = model.configuration().width;
    const double height = model.configuration().height;
    panelBase(cr, width, height, 7);
    // A slight vignette keeps the eye on the controls.
    cairo_pattern_t* vignette = cairo_pattern_create_radial(width / 2, height / 2, std::min(width, height) * 0.3,
                                                            width / 2, height / 2, std::max(width, height) * 0.75);
    cairo_pattern_add_color_stop_rgba(vignette, 0.0, 0, 0, 0, 0.0);
    cairo_pattern_add_color_stop_rgba(vignette, 1.0, 0, 0, 0, 0.35);
    cairo_rectangle(cr, 0, 0, width, height);
    cairo_set_source(cr, vignette);
    cairo_fill(cr);
    cairo_pattern_destroy(vignette);
    paintContents(cr, model, -1);
    // The frame of the window.
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, 0.5, 0.5, width - 1.0, height - 1.0);
    PanelStyle::setColour(cr, PanelStyle::kHighlight, 0.8);
    cairo_stroke(cr);
}

void PanelPainter::paintContainer(cairo_t* cr, const LayoutModel& model, const ImageRecipe& image, int owner,
                                  double width, double height) const
{
    const double unit = model.unit();
    const std::string& base = image.base;
    if (base == "splashscreen")
    {
        paintSplash(cr, width, height, unit);
    }
    else if (base == "Browser_Converting" || base == "Browser_Refreshing")
    {
        paintIndicator(cr, image, width, height, unit);
        return;
    }
    else if (base == "Monitor_bkgd")
    {
        DisplayPainter::glass(cr, 0, 0, width, height, unit);
    }
    else if (base == "Memory_Button_bkgd" || base == "UserWave_Select_bkgd" || base == "MidiPrograms_bkgd" ||
             base == "PatchInfo_bkgd")
    {
        // Inset trays inside other panels.
        cairo_rectangle(cr, 0, 0, width, height);
        PanelStyle::setColour(cr, PanelStyle::kSectionTop);
        cairo_fill(cr);
        PanelStyle::well(cr, 0, 0, width, height - 1.0, unit, PanelStyle::Colour{0.105, 0.094, 0.082});
    }
    else if (base == "Bend_And_Mod_bkgd" || base == "UserWave_Edit_bkgd")
    {
        panelBase(cr, width, height, 11);
        PanelStyle::tile(cr, 0, 0, width - 1.0, height - 1.0, unit * 1.2, PanelStyle::kSectionTop,
                         PanelStyle::kSectionBottom);
    }
    else
    {
        // Panels shown over the others get a raised rim.
        panelBase(cr, width, height, 13);
        cairo_set_line_width(cr, 2.0);
        cairo_rectangle(cr, 1.0, 1.0, width - 2.0, height - 2.0);
        PanelStyle::setColour(cr, PanelStyle::kRule);
        cairo_stroke(cr);
    }
    if (owner >= 0)
        paintContents(cr, model, owner);
}

void PanelPainter::paintContents(cairo_t* cr, const LayoutModel& model, int parent) const
{
    const double unit = model.unit();
    const auto children = model.childrenOf(parent);
    // Sections first, then the seats of the controls, then print.
    for (int index : children)
        if (model.items()[index].kind == LayoutItem::Kind::kSection)
            paintSection(cr, model, model.items()[index], unit);
    for (int index : children)
        if (model.items()[index].kind == LayoutItem::Kind::kWidget)
            paintSeat(cr, model, model.items()[index], unit);
    for (int index : children)
    {
        const LayoutItem& item = model.items()[index];
        if (item.kind == LayoutItem::Kind::kWidget && !item.text.empty())
            paintLabel(cr, item, unit);
        else if (item.kind == LayoutItem::Kind::kPanelText)
            paintCaption(cr, item, unit);
    }
}

void PanelPainter::paintSection(cairo_t* cr, const LayoutModel& model, const LayoutItem& section, double unit) const
{
    const double x = leftOf(section);
    const double y = topOf(section);
    PanelStyle::tile(cr, x, y, section.width, section.height, unit * 1.2, PanelStyle::kSectionTop,
                     PanelStyle::kSectionBottom);
    if (section.text.empty())
        return;
    const double titleY = y + 4.5 * unit;
    const double size = 5.0 * unit;
    const double tracking = unit * 0.7;
    // A title wider than a narrow section is narrowed to keep clear of its
    // edges.
    const double natural = m_fonts.measure(cr, section.text, ArtworkFonts::kSansBold, size, tracking);
    const double condense = std::min(1.0, (section.width - 8.0 * unit) / natural);
    const double textWidth = natural * condense;
    const double centre = x + section.width / 2.0;
    PanelStyle::setColour(cr, PanelStyle::kBrightText);
    m_fonts.drawText(cr, section.text, centre, titleY, ArtworkFonts::kSansBold, size, ArtworkFonts::kCentre,
                     tracking, condense);
    // Rules run from the title to the section's edges.
    cairo_set_line_width(cr, std::max(1.0, unit * 0.5));
    PanelStyle::setColour(cr, PanelStyle::kRule);
    const double gap = 2.5 * unit;
    const double lineY = std::floor(titleY) + 0.5;
    if (centre - textWidth / 2.0 - gap > x + 3.0 * unit)
    {
        // Controls standing on the title's line interrupt the rules.
        std::vector<std::pair<double, double>> blocked;
        for (int index : model.childrenOf(section.parent))
        {
            const LayoutItem& item = model.items()[index];
            if (item.kind == LayoutItem::Kind::kWidget && item.visible && item.type != "Text" &&
                topOf(item) <= lineY && lineY <= topOf(item) + item.height)
                blocked.emplace_back(leftOf(item) - gap, leftOf(item) + item.width + gap);
        }
        std::sort(blocked.begin(), blocked.end());
        const auto rule = [&](double from, double to) {
            for (const auto& [left, right] : blocked)
            {
                if (right <= from || left >= to)
                    continue;
                if (left > from)
                {
                    cairo_move_to(cr, from, lineY);
                    cairo_line_to(cr, left, lineY);
                }
                from = std::max(from, right);
            }
            if (to > from)
            {
                cairo_move_to(cr, from, lineY);
                cairo_line_to(cr, to, lineY);
            }
        };
        rule(x + 3.0 * unit, centre - textWidth / 2.0 - gap);
        rule(centre + textWidth / 2.0 + gap, x + section.width - 3.0 * unit);
        cairo_stroke(cr);
    }
}

void PanelPainter::paintSeat(cairo_t* cr, const LayoutModel& model, const LayoutItem& item, double unit) const
{
    const double x = leftOf(item);
    const double y = topOf(item);
    const double w = item.width;
    const double h = item.height;
    const bool glassDisplay = item.type == "Display" && (item.bitmap.find("_Waveform_display") != std::string::npos ||
                                                         item.bitmap.find("_Filter_display") != std::string::npos ||
                                                         item.bitmap.find("_Lfo_display") != std::string::npos);
    if (glassDisplay || (item.isContainer() && item.bitmap.find("Monitor_bkgd") != std::string::npos))
    {
        // A bezel: the display sits in a dark frame one unit wide.
        PanelStyle::roundedRectangle(cr, x - unit, y - unit, w + 2 * unit, h + 2 * unit, unit * 1.6);
        PanelStyle::setColour(cr, PanelStyle::kShadow);
        cairo_fill(cr);
        DisplayPainter::glass(cr, x, y, w, h, unit);
    }
    else if (item.type == "TextList" || item.type == "TextLabel" || item.type == "TextEdit" ||
             isTransparentMenu(item))
    {
        PanelStyle::well(cr, x, y, w, h, unit * 0.8, PanelStyle::kGlass);
    }
    else if (item.type == "Wheel")
    {
        PanelStyle::well(cr, x - unit, y - unit, w + 2 * unit, h + 2 * unit, unit, PanelStyle::kShadow);
    }
    else if (item.type == "BarGraph")
    {
        PanelStyle::well(cr, x - unit, y - unit, w + 2 * unit, h + 2 * unit, unit, PanelStyle::kGlass);
    }
    else if (item.type == "Keyboard")
    {
        // The key bed: a dark recess the keys stand in.
        cairo_rectangle(cr, x - unit, y - unit, w + 2 * unit, h + unit);
        PanelStyle::setColour(cr, PanelStyle::kShadow);
        cairo_fill(cr);
    }
    (void)model;
}

namespace
{
constexpr double kLabelSize = 5.0;
constexpr double kLabelTracking = 0.15;

// Captions are printed narrow, narrower still where a long one would reach
// its neighbour's: controls stand 20 units apart, captions keep 2.5 clear.
double condensingOf(const ArtworkFonts& fonts, cairo_t* cr, const LayoutItem& item, double unit)
{
    const double room = item.labelPosition == "left" ? 30.0 * unit : std::max<double>(item.width, 17.5 * unit);
    const double natural =
        fonts.measure(cr, item.text, ArtworkFonts::kSansBold, kLabelSize * unit, kLabelTracking * unit);
    return std::clamp(room / natural, kMostCondensed, kLabelCondensed);
}
}

bool PanelPainter::labelBounds(cairo_t* cr, const LayoutItem& item, double unit, double bounds[4]) const
{
    if (item.kind != LayoutItem::Kind::kWidget || item.text.empty())
        return false;
    const double width = m_fonts.measure(cr, item.text, ArtworkFonts::kSansBold, kLabelSize * unit,
                                         kLabelTracking * unit, condensingOf(m_fonts, cr, item, unit));
    // Capitals are about 0.73 of the size high.
    const double height = kLabelSize * unit * 0.73;
    if (item.labelPosition == "left")
    {
        bounds[0] = leftOf(item) - 1.5 * unit - width;
        bounds[1] = topOf(item) + item.height / 2.0 - height / 2.0;
    }
    else
    {
        bounds[0] = leftOf(item) + item.width / 2.0 - width / 2.0;
        bounds[1] = topOf(item) + item.height + 3.5 * unit - height / 2.0;
    }
    bounds[2] = width;
    bounds[3] = height;
    return true;
}

void PanelPainter::paintLabel(cairo_t* cr, const LayoutItem& item, double unit) const
{
    const double size = kLabelSize * unit;
    const double tracking = kLabelTracking * unit;
    const double condense = condensingOf(m_fonts, cr, item, unit);
    PanelStyle::setColour(cr, PanelStyle::kNormalText);
    if (item.labelPosition == "left")
    {
        m_fonts.drawText(cr, item.text, leftOf(item) - 1.5 * unit, topOf(item) + item.height / 2.0,
                         ArtworkFonts::kSansBold, size, ArtworkFonts::kRight, tracking, condense);
        return;
    }
    m_fonts.drawText(cr, item.text, leftOf(item) + item.width / 2.0, topOf(item) + item.height + 3.5 * unit,
                     ArtworkFonts::kSansBold, size, ArtworkFonts::kCentre, tracking, condense);
}

void PanelPainter::paintCaption(cairo_t* cr, const LayoutItem& text, double unit) const
{
    const double size = 4.5 * unit;
    const ArtworkFonts::Align align = text.align == "left" ? ArtworkFonts::kLeft : ArtworkFonts::kCentre;
    cairo_save(cr);
    cairo_translate(cr, leftOf(text), topOf(text));
    cairo_rotate(cr, text.rotate * M_PI / 180.0);
    PanelStyle::setColour(cr, PanelStyle::kNormalText);
    m_fonts.drawText(cr, text.text, 0, 0, ArtworkFonts::kSansBold, size, align, unit * 0.5);
    cairo_restore(cr);
}

void PanelPainter::paintSplash(cairo_t* cr, double width, double height, double unit) const
{
    panelBase(cr, width, height, 17);
    PanelStyle::tile(cr, unit, unit, width - 2 * unit, height - 2 * unit, unit * 2, PanelStyle::kSectionTop,
                     PanelStyle::kSectionBottom);
    cairo_set_line_width(cr, std::max(1.0, unit * 0.5));
    PanelStyle::roundedRectangle(cr, 4 * unit, 4 * unit, width - 8 * unit, height - 8 * unit, unit * 1.5);
    PanelStyle::setColour(cr, PanelStyle::kRule);
    cairo_stroke(cr);
    // The name, large, and what the instrument is.
    const double nameSize = 16.0 * unit;
    const double tracking = unit * 2.0;
    const std::string name = "ZENTROVA";
    const double nameWidth = m_fonts.measure(cr, name, ArtworkFonts::kSerifBold, nameSize, tracking);
    const double digitWidth = m_fonts.measure(cr, "2", ArtworkFonts::kSerifBold, nameSize * 1.15);
    const double left = (width - nameWidth - 4 * unit - digitWidth) / 2.0;
    PanelStyle::setColour(cr, PanelStyle::kBrightText);
    m_fonts.drawText(cr, name, left, height * 0.30, ArtworkFonts::kSerifBold, nameSize, ArtworkFonts::kLeft, tracking);
    PanelStyle::setColour(cr, PanelStyle::kAmber);
    m_fonts.drawText(cr, "2", left + nameWidth + 4 * unit, height * 0.30, ArtworkFonts::kSerifBold, nameSize * 1.15,
                     ArtworkFonts::kLeft);
    PanelStyle::setColour(cr, PanelStyle::kNormalText);
    m_fonts.drawText(cr, "POLYPHONIC ANALOGUE-MODELLING SYNTHESIZER", width / 2.0, height * 0.47,
                     ArtworkFonts::kSansBold, 5.0 * unit, ArtworkFonts::kCentre, unit * 0.6);
    // A line of the waves it plays.
    const double traceTop = height * 0.56;
    const double traceHeight = height * 0.16;
    cairo_new_path(cr);
    const int samples = 400;
    for (int i = 0; i <= samples; ++i)
    {
        const double p = static_cast<double>(i) / samples;
        const double segment = std::floor(p * 4.0);
        const double q = p * 4.0 - segment;
        double v = 0.0;
        if (segment == 0)
            v = q < 0.5 ? 4 * q - 1 : 3 - 4 * q;
        else if (segment == 1)
            v = 1 - 2 * q;
        else if (segment == 2)
            v = q < 0.5 ? 0.85 : -0.85;
        else
            v = std::sin(2 * M_PI * q);
        const double x = 10 * unit + (width - 20 * unit) * p;
        const double y = traceTop + traceHeight / 2.0 - v * traceHeight / 2.0 * 0.9;
        if (i == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_set_line_width(cr, std::max(2.0, unit * 1.4));
    PanelStyle::setColour(cr, PanelStyle::kAmber, 0.2);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, std::max(1.0, unit * 0.5));
    PanelStyle::setColour(cr, PanelStyle::kAmber);
    cairo_stroke(cr);
    PanelStyle::setColour(cr, PanelStyle::kNormalText);
    m_fonts.drawText(cr, "VERSION 2.0", 10 * unit, height - 11.5 * unit, ArtworkFonts::kSans, 4.5 * unit,
                     ArtworkFonts::kLeft, unit * 0.3);
    m_fonts.drawText(cr, "VORLIX", 10 * unit, height - 17 * unit, ArtworkFonts::kSansBold, 5.0 * unit,
                     ArtworkFonts::kLeft, unit * 1.2);
}

void PanelPainter::paintIndicator(cairo_t* cr, const ImageRecipe& image, double width, double height,
                                  double unit) const
{
    DisplayPainter::glass(cr, 0, 0, width, height, unit);
    PanelStyle::lamp(cr, 3.5 * unit, height / 2.0, unit * 1.3, true);
    PanelStyle::setColour(cr, PanelStyle::kAmber);
    m_fonts.drawText(cr, image.legends.empty() ? std::string() : image.legends[0] + " ...", 7 * unit, height / 2.0,
                     ArtworkFonts::kSansBold, 4.5 * unit, ArtworkFonts::kLeft, unit * 0.4);
}
