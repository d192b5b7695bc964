#include "tools/DisplayPainter.h"

#include "Source/parameters/ParameterTable.h"
#include "tools/PanelStyle.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cmath>
#include <functional>
#include <vector>

namespace
{
// Strokes y = f(phase) for phase 0..1 across the plot, f in -1..1, with a
// soft glow beneath the line.
void trace(cairo_t* cr, double x, double y, double w, double h, const std::function<double(double)>& f,
           double unit, int samples = 240)
{
    cairo_new_path(cr);
    for (int i = 0; i <= samples; ++i)
    {
        const double phase = static_cast<double>(i) / samples;
        const double value = std::clamp(f(phase), -1.0, 1.0);
        const double px = x + w * phase;
        const double py = y + h / 2.0 - value * h / 2.0;
        if (i == 0)
            cairo_move_to(cr, px, py);
        else
            cairo_line_to(cr, px, py);
    }
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, std::max(2.5, unit * 1.6));
    PanelStyle::setColour(cr, PanelStyle::kAmber, 0.22);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, std::max(1.1, unit * 0.6));
    PanelStyle::setColour(cr, PanelStyle::kAmber);
    cairo_stroke(cr);
}

double saw(double p)
{
    return 1.0 - 2.0 * (p - std::floor(p));
}

double tri(double p)
{
    p -= std::floor(p);
    return p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
}

double square(double p, double width = 0.5)
{
    p -= std::floor(p);
    return p < width ? 0.85 : -0.85;
}

double quantised(double value, int steps)
{
    return std::round((value + 1.0) / 2.0 * steps) / steps * 2.0 - 1.0;
}

// A fixed pseudo-random sequence, the same on every build.
double randomAt(int index)
{
    std::uint32_t state = static_cast<std::uint32_t>(index) * 2654435761u + 12345u;
    state ^= state >> 13;
    state *= 1274126177u;
    state ^= state >> 16;
    return (state % 2001) / 1000.0 - 1.0;
}
}

void DisplayPainter::glass(cairo_t* cr, double x, double y, double width, double height, double unit)
{
    const double radius = unit * 0.9;
    PanelStyle::roundedRectangle(cr, x, y, width, height, radius);
    PanelStyle::setColour(cr, PanelStyle::kGlass);
    cairo_fill(cr);
    // Light falls across the glass from above; the rim is dark.
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0, y, 0, y + height);
    cairo_pattern_add_color_stop_rgba(sheen, 0.0, 1, 0.85, 0.6, 0.06);
    cairo_pattern_add_color_stop_rgba(sheen, 0.45, 1, 0.85, 0.6, 0.0);
    cairo_pattern_add_color_stop_rgba(sheen, 1.0, 0, 0, 0, 0.25);
    PanelStyle::roundedRectangle(cr, x, y, width, height, radius);
    cairo_set_source(cr, sheen);
    cairo_fill(cr);
    cairo_pattern_destroy(sheen);
    cairo_set_line_width(cr, 1.0);
    PanelStyle::roundedRectangle(cr, x + 0.5, y + 0.5, width - 1.0, height - 1.0, radius);
    PanelStyle::setColour(cr, PanelStyle::kShadow);
    cairo_stroke(cr);
}

std::string DisplayPainter::valueName(int parameter, int frame, int frames)
{
    auto object = createParameterObject(parameter);
    if (!object || frames < 2)
        return {};
    object->setValue(static_cast<float>(frame) / static_cast<float>(frames - 1));
    char text[ZentrovaParameter::kTextSize] = {};
    object->getDisplay(text);
    std::string name(text);
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

void DisplayPainter::caption(cairo_t* cr, const std::string& text, double width, double height, double unit) const
{
    PanelStyle::setColour(cr, PanelStyle::kAmber, 0.9);
    m_fonts.drawText(cr, text, width / 2.0, height - 3.0 * unit, ArtworkFonts::kSansBold, 4.5 * unit,
                     ArtworkFonts::kCentre, unit * 0.1);
}

void DisplayPainter::paint(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit,
                           int frame) const
{
    using Kind = ImageRecipe::Kind;
    switch (image.kind)
    {
    case Kind::kWaveDisplay: waveDisplay(cr, width, height, unit, frame); break;
    case Kind::kLfoDisplay: lfoDisplay(cr, width, height, unit, frame); break;
    case Kind::kFilterDisplay: filterDisplay(cr, width, height, unit, frame); break;
    case Kind::kHeaderDisplay: header(cr, image, width, height, unit, frame); break;
    case Kind::kModifiedDisplay: modified(cr, image, width, height, unit, frame == 1); break;
    case Kind::kLedSegment: segment(cr, width, height, frame == 1); break;
    default: break;
    }
}

void DisplayPainter::waveDisplay(cairo_t* cr, double width, double height, double unit, int frame) const
{
    glass(cr, 0, 0, width, height, unit);
    const double px = 2.0 * unit;
    const double py = 1.5 * unit;
    const double pw = width - 4.0 * unit;
    const double ph = height - 7.5 * unit;
    // Two cycles of each oscillator wave.
    std::function<double(double)> shape;
    switch (frame)
    {
    case 0: shape = [](double p) { return tri(2 * p) * 0.9; }; break;
    case 1: shape = [](double p) { return saw(2 * p) * 0.9; }; break;
    case 2: shape = [](double p) { return square(2 * p); }; break;
    case 3: shape = [](double p) { return square(2 * p, 0.18); }; break;
    case 4: shape = [](double p) { return square(2 * p, p < 0.5 ? 0.3 : 0.7); }; break;
    case 5:
        shape = [](double p) {
            const double a = 2 * M_PI * 2 * p;
            return 0.5 * std::sin(a) + 0.3 * std::sin(2 * a) + 0.2 * std::sin(3 * a) + 0.15 * std::sin(4 * a);
        };
        break;
    case 6:
        shape = [](double p) {
            double v = 0.0;
            for (int k = 1; k <= 9; ++k)
                v += std::sin(2 * M_PI * 2 * p * k) / k * (k % 2 ? 1.0 : 0.6);
            return v * 0.55;
        };
        break;
    case 7: shape = [](double p) { return 0.55 * saw(2 * p) + 0.4 * square(4 * p); }; break;
    case 8:
        shape = [](double p) {
            const double q = 2 * p - std::floor(2 * p);
            return (q < 0.15 || (q > 0.4 && q < 0.55)) ? 0.85 : -0.85;
        };
        break;
    case 9:
        shape = [](double p) { return 0.75 * saw(2 * p) + 0.2 * randomAt(static_cast<int>(p * 120)); };
        break;
    case 10:
    case 11:
    {
        // A user wave: its harmonic bars stand for the drawn spectrum.
        const int wave = frame - 10;
        const int bars = 12;
        const double barWidth = pw / bars;
        for (int bar = 0; bar < bars; ++bar)
        {
            const double level = wave == 0 ? 1.0 / (bar + 1) : (bar % 2 == 0 ? 1.0 / (bar / 2 + 1) : 0.15);
            const double h = std::max(1.0, ph * level);
            cairo_rectangle(cr, px + bar * barWidth + barWidth * 0.2, py + ph - h, barWidth * 0.6, h);
        }
        PanelStyle::setColour(cr, PanelStyle::kAmber);
        cairo_fill(cr);
        break;
    }
    default:
        shape = [](double p) {
            return 0.6 * std::sin(2 * M_PI * 3 * p) * (0.6 + 0.4 * std::sin(2 * M_PI * 0.7 * p)) +
                   0.2 * std::sin(2 * M_PI * 11 * p);
        };
        break;
    }
    if (shape)
        trace(cr, px, py, pw, ph, shape, unit);
    caption(cr, valueName(Param::Osc1Waveform, frame, 13), width, height, unit);
}

void DisplayPainter::lfoDisplay(cairo_t* cr, double width, double height, double unit, int frame) const
{
    glass(cr, 0, 0, width, height, unit);
    const double px = 2.0 * unit;
    const double py = 1.5 * unit;
    const double pw = width - 4.0 * unit;
    const double ph = height - 7.5 * unit;
    std::function<double(double)> shape;
    switch (frame)
    {
    case 0: shape = [](double p) { return tri(2 * p + 0.25) * 0.9; }; break;
    case 1: shape = [](double p) { return quantised(tri(2 * p + 0.25), 2) * 0.9; }; break;
    case 2: shape = [](double p) { return quantised(tri(2 * p + 0.25), 4) * 0.9; }; break;
    case 3: shape = [](double p) { return saw(2 * p) * 0.9; }; break;
    case 4: shape = [](double p) { return quantised(saw(2 * p), 3) * 0.9; }; break;
    case 5: shape = [](double p) { return quantised(saw(2 * p), 7) * 0.9; }; break;
    case 6: shape = [](double p) { return square(2 * p); }; break;
    case 7:
        shape = [](double p) {
            static const double steps[] = {0.9, -0.3, 0.4, -0.9, 0.9, -0.3, 0.4, -0.9};
            return steps[std::min(7, static_cast<int>(p * 8))];
        };
        break;
    case 8:
        shape = [](double p) {
            static const double steps[] = {-0.9, 0.2, 0.9, 0.2, -0.5, 0.6, -0.9, 0.6};
            return steps[std::min(7, static_cast<int>(p * 8))];
        };
        break;
    case 9: shape = [](double p) { return 0.9 * std::exp(-2.5 * p) * std::sin(2 * M_PI * 6 * p); }; break;
    case 10:
        shape = [](double p) {
            // Attack, decay to sustain, release.
            if (p < 0.15)
                return -0.9 + 1.8 * p / 0.15;
            if (p < 0.35)
                return 0.9 - 0.8 * (p - 0.15) / 0.2;
            if (p < 0.7)
                return 0.1;
            return 0.1 - 1.0 * std::min(1.0, (p - 0.7) / 0.25);
        };
        break;
    default:
        shape = [](double p) { return 0.85 * randomAt(static_cast<int>(p * 9) + 40); };
        break;
    }
    trace(cr, px, py, pw, ph, shape, unit);
    caption(cr, valueName(Param::LFO1Waveform, frame, 12), width, height, unit);
}

void DisplayPainter::filterDisplay(cairo_t* cr, double width, double height, double unit, int frame) const
{
    glass(cr, 0, 0, width, height, unit);
    const double px = 2.0 * unit;
    const double py = 1.5 * unit;
    const double pw = width - 4.0 * unit;
    const double ph = height - 7.5 * unit;
    // Magnitude over log frequency: octaves from the cutoff, two peaks for
    // the dual modes (the second filter a little higher).
    auto lowPass = [](double octaves, int poles) { return -poles * 6.0 * std::max(0.0, octaves) / 24.0; };
    auto highPass = [](double octaves, int poles) { return -poles * 6.0 * std::max(0.0, -octaves) / 24.0; };
    auto bandPass = [](double octaves, int poles) { return -poles * 3.0 * std::fabs(octaves) / 24.0; };
    auto response = [&](int kind, double octaves) {
        const int poles = kind < 3 ? 4 : 2;
        switch (kind % 3)
        {
        case 0: return lowPass(octaves, poles);
        case 1: return bandPass(octaves, poles);
        default: return highPass(octaves, poles);
        }
    };
    const int first[] = {0, 1, 2, 3, 4, 5, 0, 0, 1};
    const int second[] = {-1, -1, -1, -1, -1, -1, 1, 2, 2};
    auto shape = [&](double p) {
        const double octaves = (p - 0.5) * 8.0;
        double level = response(first[frame], octaves + 1.0);
        if (second[frame] >= 0)
            level = std::max(level, response(second[frame] + (frame >= 6 ? 3 : 0), octaves - 1.0));
        // A resonant bump at the cutoff.
        level += 0.25 * std::exp(-std::pow((octaves + (second[frame] >= 0 ? 1.0 : 0.0)) * 1.6, 2.0)) *
                 (first[frame] == 1 ? 0.0 : 1.0);
        return std::clamp(0.55 + level * 1.5, -0.95, 0.95);
    };
    trace(cr, px, py, pw, ph, shape, unit);
    caption(cr, valueName(Param::FilterType, frame, 9), width, height, unit);
}

void DisplayPainter::header(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit,
                            int frame) const
{
    // Cross-fades from the program's caption to the parameter's as the
    // monitor fades in.
    const double mix = frame / 10.0;
    PanelStyle::setColour(cr, PanelStyle::kNormalText, 1.0 - mix);
    m_fonts.drawText(cr, image.legends[0], width / 2.0, height / 2.0, ArtworkFonts::kSansBold, 4.5 * unit,
                     ArtworkFonts::kCentre, unit * 0.6);
    PanelStyle::setColour(cr, PanelStyle::kNormalText, mix);
    m_fonts.drawText(cr, image.legends[1], width / 2.0, height / 2.0, ArtworkFonts::kSansBold, 4.5 * unit,
                     ArtworkFonts::kCentre, unit * 0.6);
}

void DisplayPainter::modified(cairo_t* cr, const ImageRecipe& image, double width, double height, double unit,
                              bool on) const
{
    PanelStyle::lamp(cr, unit * 1.8, height / 2.0, unit * 1.2, on);
    PanelStyle::setColour(cr, on ? PanelStyle::kBrightText : PanelStyle::kNormalText);
    m_fonts.drawText(cr, image.legends[0], unit * 4.0, height / 2.0, on ? ArtworkFonts::kSansBold : ArtworkFonts::kSans,
                     4.5 * unit, ArtworkFonts::kLeft, unit * 0.2);
    (void)width;
}

void DisplayPainter::segment(cairo_t* cr, double width, double height, bool lit) const
{
    cairo_rectangle(cr, 0, 0, width, height);
    PanelStyle::setColour(cr, PanelStyle::kGlass);
    cairo_fill(cr);
    // One pixel of glass between segments and between bars.
    const double x = 1.0;
    const double w = width - 2.0;
    const double h = height - 1.0;
    cairo_rectangle(cr, x, 0, w, h);
    if (lit)
    {
        cairo_pattern_t* light = cairo_pattern_create_linear(x, 0, x + w, 0);
        cairo_pattern_add_color_stop_rgb(light, 0.0, 0.95, 0.58, 0.2);
        cairo_pattern_add_color_stop_rgb(light, 0.5, 1.0, 0.85, 0.55);
        cairo_pattern_add_color_stop_rgb(light, 1.0, 0.95, 0.58, 0.2);
        cairo_set_source(cr, light);
        cairo_fill(cr);
        cairo_pattern_destroy(light);
    }
    else
    {
        PanelStyle::setColour(cr, PanelStyle::kLampOff);
        cairo_fill(cr);
    }
}
