// Composes each window size from the bundle's images as the editor would
// show it, with sample texts, for people to look at the artwork.
//
//   zentrova-artwork-preview RESOURCES_FOLDER OUTPUT_FOLDER
//
// Writes preview-<Size>-<state>.png for the states: panel (as opened),
// effects (effects panel shown), browser, wave (harmonic editor), setup
// (controller setup with the MIDI edit parts) and about (splash shown).
// Knobs and switches show their first frame.

#include "editor/layout/Bitmaps.h"
#include "editor/layout/GuiLayout.h"
#include "tools/ArtworkFonts.h"
#include "tools/ImageCatalogue.h"
#include "tools/LayoutModel.h"
#include "tools/PanelStyle.h"

#include <boost/filesystem.hpp>

#include <cairo.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{
class Images
{
public:
    explicit Images(std::string folder) : m_folder(std::move(folder)) {}
    ~Images()
    {
        for (auto& [name, surface] : m_surfaces)
            if (surface)
                cairo_surface_destroy(surface);
    }
    cairo_surface_t* get(const std::string& name)
    {
        const auto found = m_surfaces.find(name);
        if (found != m_surfaces.end())
            return found->second;
        cairo_surface_t* surface = nullptr;
        const int number = m_table.resourceNumber(name);
        if (number >= 0)
        {
            char file[32];
            std::snprintf(file, sizeof file, "/bmp%05d.png", number);
            surface = cairo_image_surface_create_from_png((m_folder + file).c_str());
            if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
            {
                cairo_surface_destroy(surface);
                surface = nullptr;
            }
        }
        m_surfaces[name] = surface;
        return surface;
    }
    bool size(const std::string& name, int& width, int& height)
    {
        cairo_surface_t* surface = get(name);
        if (!surface)
            return false;
        width = cairo_image_surface_get_width(surface);
        height = cairo_image_surface_get_height(surface);
        return true;
    }

private:
    std::string m_folder;
    Bitmaps m_table;
    std::map<std::string, cairo_surface_t*> m_surfaces;
};

double fontSize(const std::string& font)
{
    const std::string name = font.substr(0, font.find(':'));
    if (name == "NormalFontVeryBig")
        return 18;
    if (name == "NormalFontBig")
        return 14;
    if (name == "NormalFontSmall")
        return 11;
    if (name == "NormalFontSmaller")
        return 10;
    if (name == "NormalFontVerySmall")
        return 9;
    return 12;
}

class Composer
{
public:
    Composer(const LayoutModel& model, Images& images, const ArtworkFonts& fonts, std::set<std::string> shown,
             std::set<std::string> hidden, bool midiEdit)
        : m_model(model), m_images(images), m_fonts(fonts), m_shown(std::move(shown)), m_hidden(std::move(hidden)),
          m_midiEdit(midiEdit)
    {
    }

    void compose(cairo_t* cr)
    {
        cairo_surface_t* background = m_images.get(m_model.frame()->GetAttribute("bitmap"));
        if (background)
        {
            cairo_set_source_surface(cr, background, 0, 0);
            cairo_paint(cr);
        }
        drawChildren(cr, -1);
        if (m_midiEdit)
            drawMidiEdit(cr);
    }

private:
    bool visible(const LayoutItem& item) const
    {
        if (m_shown.count(item.key()))
            return true;
        if (m_hidden.count(item.key()))
            return false;
        return item.visible;
    }

    void drawImage(cairo_t* cr, cairo_surface_t* image, double x, double y, double width, double height,
                   double sourceX, double sourceY)
    {
        if (!image)
            return;
        cairo_save(cr);
        cairo_rectangle(cr, x, y, width, height);
        cairo_clip(cr);
        cairo_set_source_surface(cr, image, x - sourceX, y - sourceY);
        cairo_paint(cr);
        cairo_restore(cr);
    }

    void text(cairo_t* cr, const LayoutItem& item, const std::string& value, bool left = false)
    {
        const std::string font = item.element->GetAttribute("font");
        PanelStyle::setColour(cr, PanelStyle::kBrightText);
        m_fonts.drawText(cr, value, left ? item.windowX + 3 : item.windowX + item.width / 2.0,
                         item.windowY + item.height / 2.0, font.find(":1") != std::string::npos ? ArtworkFonts::kSansBold : ArtworkFonts::kSans,
                         fontSize(font.empty() ? "NormalFont" : font), left ? ArtworkFonts::kLeft : ArtworkFonts::kCentre);
    }

    void drawKeyboard(cairo_t* cr, const LayoutItem& item)
    {
        cairo_surface_t* white = m_images.get(item.bitmaps.at("whitebitmap"));
        cairo_surface_t* black = m_images.get(item.bitmaps.at("blackbitmap"));
        if (!white || !black)
            return;
        const int w = cairo_image_surface_get_width(white);
        const int hw = cairo_image_surface_get_height(white) / 2;
        const int bw = cairo_image_surface_get_width(black);
        const int hb = cairo_image_surface_get_height(black) / 2;
        const int whiteKeys = std::stoi(item.element->GetAttribute("numwhitekeys"));
        // Slices of the white image for each pitch class's upper part.
        const int a = 3 * w - 2 * bw;
        const int b = 4 * w - 3 * bw;
        const int g = b / 4;
        const int f = (b - 2 * g) / 2;
        const int d = a - 2 * (a / 3);
        const int sliceStart[12] = {0, -1, (w - d) / 2, -1, w - a / 3, 0, -1, bw - w + f, -1, bw - w + f, -1,
                                    w + f + 2 * g - b};
        const int sliceEnd[12] = {a / 3, -1, (w - d) / 2 + d, -1, w, f, -1, bw - w + f + g, -1, bw - w + f + g, -1,
                                  w};
        const int whiteClasses[7] = {0, 2, 4, 5, 7, 9, 11};
        const int lastNote = 36 + 12 * ((whiteKeys - 1) / 7) + whiteClasses[(whiteKeys - 1) % 7];
        double x = item.windowX;
        for (int note = 36; note <= lastNote; ++note)
        {
            const int pitch = note % 12;
            if (sliceStart[pitch] < 0)
            {
                drawImage(cr, black, x, item.windowY, bw, hb, 0, 0);
                x += bw;
                continue;
            }
            int start = sliceStart[pitch];
            int end = sliceEnd[pitch];
            if (note == 36)
                start = 0;
            if (note == lastNote)
                end = w;
            drawImage(cr, white, x, item.windowY, end - start, hb, start, 0);
            x += end - start;
        }
        for (int key = 0; key < whiteKeys; ++key)
            drawImage(cr, white, item.windowX + key * w, item.windowY + hb, w, hw - hb, 0, hb);
    }

    void drawBars(cairo_t* cr, const LayoutItem& item)
    {
        cairo_surface_t* led = m_images.get(item.bitmaps.at("barbitmap"));
        if (!led)
            return;
        const int bw = cairo_image_surface_get_width(led);
        const int sh = cairo_image_surface_get_height(led) / 2;
        const int segments = std::stoi(item.element->GetAttribute("barheight"));
        double x = item.windowX;
        for (int bar = 0; bar < 24; ++bar)
        {
            const int lit = std::max(0, segments - bar * 2 + (bar % 3));
            for (int segment = 0; segment < segments; ++segment)
                drawImage(cr, led, x, item.windowY + segment * sh, bw, sh, 0, segment >= segments - lit ? sh : 0);
            if (bar % 4 == 3)
                x += 3;
            x += bw;
        }
    }

    void drawWidget(cairo_t* cr, const LayoutItem& item, int index)
    {
        if (item.type == "Keyboard")
            return drawKeyboard(cr, item);
        if (item.type == "BarGraph")
            return drawBars(cr, item);
        cairo_surface_t* image = item.bitmap.empty() ? nullptr : m_images.get(item.bitmap);
        if (item.type == "Wheel")
        {
            const int frame = item.key() == "BendWheel" ? 32 : 0;
            drawImage(cr, image, item.windowX, item.windowY, item.width, item.height, frame * item.width, 0);
            return;
        }
        if (item.type == "ParamMonitor")
        {
            drawImage(cr, image, item.windowX, item.windowY, item.width, item.height, item.x, item.y);
            return;
        }
        drawImage(cr, image, item.windowX, item.windowY, item.width, item.height, 0, 0);
        if (item.type == "PatchSelector")
            text(cr, item, "Warm Analogue Brass");
        else if (item.type == "OptionMenu")
            text(cr, item, item.key() == "KnobMode" ? "Relative Circular" : item.key() == "LayoutSelector" ? "Regular"
                                                        : item.key() == "MidiBankSelect" ? "0" : item.key() == "HarmonicEditNameMenu" ? "" : "--Unnamed--");
        else if (item.type == "TextEdit")
            text(cr, item, "Hollow Organ", true);
        else if (item.type == "TextLabel")
            text(cr, item, "/home/user/Patches/Brass/Warm Analogue Brass.fxp", true);
        else if (item.type == "TextList")
            drawList(cr, item);
        if (item.isContainer())
            drawChildren(cr, index);
    }

    void drawList(cairo_t* cr, const LayoutItem& item)
    {
        const int rowHeight = std::stoi(item.element->GetAttribute("rowheight"));
        const double size = fontSize(item.element->FirstChildElement("text")->FirstChildElement("fonts")->GetAttribute("normal"));
        cairo_surface_t* status = item.bitmaps.count("statusbitmap") ? m_images.get(item.bitmaps.at("statusbitmap")) : nullptr;
        for (int row = 0; row * rowHeight + rowHeight <= item.height && row < 40; ++row)
        {
            const double y = item.windowY + row * rowHeight;
            if (row == 2)
            {
                cairo_rectangle(cr, item.windowX, y, item.width, rowHeight);
                PanelStyle::setColour(cr, PanelStyle::kAmberDim, 0.6);
                cairo_fill(cr);
            }
            PanelStyle::setColour(cr, row == 2 ? PanelStyle::kBrightText : PanelStyle::kNormalText);
            char label[64];
            std::snprintf(label, sizeof label, item.key() == "ProgramList" ? "%03d: Patch name %d" : "Row of the list %d", row, row);
            m_fonts.drawText(cr, label, item.windowX + 3, y + rowHeight / 2.0, ArtworkFonts::kSans, size, ArtworkFonts::kLeft);
            if (status)
            {
                const int sw = cairo_image_surface_get_width(status);
                const int sh = cairo_image_surface_get_height(status) / 2;
                drawImage(cr, status, item.windowX + item.width - sw - 2, y + (rowHeight - sh) / 2, sw, sh, 0, row == 4 ? sh : 0);
            }
        }
    }

    void drawChildren(cairo_t* cr, int parent)
    {
        cairo_save(cr);
        if (parent >= 0)
        {
            const LayoutItem& container = m_model.items()[parent];
            cairo_rectangle(cr, container.windowX, container.windowY, container.width, container.height);
            cairo_clip(cr);
        }
        for (int index : m_model.childrenOf(parent))
        {
            const LayoutItem& item = m_model.items()[index];
            if (item.kind == LayoutItem::Kind::kWidget && visible(item))
                drawWidget(cr, item, index);
        }
        cairo_restore(cr);
    }

    void drawMidiEdit(cairo_t* cr)
    {
        ticpp::Element* learn = m_model.midiedit()->FirstChildElement("learnbutton");
        cairo_surface_t* button = m_images.get(learn->GetAttribute("bitmap"));
        const int lw = button ? cairo_image_surface_get_width(button) : 0;
        const int lh = button ? cairo_image_surface_get_height(button) / 2 : 0;
        for (const LayoutItem& item : m_model.items())
        {
            if (item.kind != LayoutItem::Kind::kWidget || !item.midi || !shownInWindow(item))
                continue;
            const double ax = item.windowX + item.midiX;
            const double ay = item.windowY + item.midiY;
            cairo_rectangle(cr, ax - 12, ay - 12, 24, 12);
            cairo_set_source_rgb(cr, 242 / 255.0, 210 / 255.0, 158 / 255.0);
            cairo_fill(cr);
            cairo_set_source_rgb(cr, 0, 0, 0);
            m_fonts.drawText(cr, "---", ax, ay - 6, ArtworkFonts::kSans, 11, ArtworkFonts::kCentre);
            drawImage(cr, button, ax - lw / 2, ay, lw, lh, 0, 0);
        }
    }

    bool shownInWindow(const LayoutItem& item) const
    {
        for (const LayoutItem* at = &item;; at = &m_model.items()[at->parent])
        {
            if (!visible(*at))
                return false;
            if (at->parent < 0)
                return true;
        }
    }

    const LayoutModel& m_model;
    Images& m_images;
    const ArtworkFonts& m_fonts;
    std::set<std::string> m_shown;
    std::set<std::string> m_hidden;
    bool m_midiEdit;
};

struct State
{
    const char* name;
    std::set<std::string> shown;
    std::set<std::string> hidden;
    bool midiEdit;
};
}

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s RESOURCES_FOLDER OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    try
    {
        boost::filesystem::create_directories(argv[2]);
        Images images(argv[1]);
        ArtworkFonts fonts;
        GuiLayout layout;
        if (layout.load() != 1)
            throw std::runtime_error("the layout does not load");
        const std::vector<State> states = {
            {"panel", {}, {}, false},
            {"effects", {"EffectsPanel"}, {}, false},
            {"browser", {"Browser", "BrowserClose2"}, {"PatchAndParameter", "BrowserOpen"}, false},
            {"wave", {"HarmonicEditPanel"}, {"BendAndMod"}, false},
            {"setup", {"ConfigPanel"}, {"PatchMemoryButtons"}, true},
            {"about", {"SplashScreen"}, {"PatchAndParameter"}, false},
        };
        for (const LayoutConfiguration& configuration : layout.getConfigurations())
        {
            LayoutModel model(layout, configuration,
                              [&images](const std::string& name, int& w, int& h) { return images.size(name, w, h); });
            for (const State& state : states)
            {
                cairo_surface_t* surface =
                    cairo_image_surface_create(CAIRO_FORMAT_ARGB32, configuration.width, configuration.height);
                cairo_t* cr = cairo_create(surface);
                Composer(model, images, fonts, state.shown, state.hidden, state.midiEdit).compose(cr);
                cairo_destroy(cr);
                const std::string file =
                    std::string(argv[2]) + "/preview-" + configuration.name + "-" + state.name + ".png";
                cairo_surface_write_to_png(surface, file.c_str());
                cairo_surface_destroy(surface);
            }
        }
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
