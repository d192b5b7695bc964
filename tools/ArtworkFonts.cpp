#include "tools/ArtworkFonts.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <stdexcept>
#include <vector>

namespace
{
struct FaceName
{
    const char* family;
    const char* style;
};
const FaceName kFaceNames[ArtworkFonts::kFaceCount] = {
    {"Liberation Sans", "Regular"}, {"Liberation Sans", "Bold"}, {"Liberation Serif", "Bold"}};

// A listing matches family and style exactly; unlike a font match it never
// falls back to another family.
std::string fileOf(FcConfig* config, const FaceName& name)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.family));
    FcPatternAddString(pattern, FC_STYLE, reinterpret_cast<const FcChar8*>(name.style));
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* fonts = FcFontList(config, pattern, objects);
    std::string file;
    for (int i = 0; fonts && i < fonts->nfont && file.empty(); ++i)
    {
        FcChar8* path = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &path) == FcResultMatch && path)
            file = reinterpret_cast<const char*>(path);
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return file;
}

std::vector<std::string> charactersOf(const std::string& text)
{
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < text.size();)
    {
        std::size_t length = 1;
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead >= 0xF0)
            length = 4;
        else if (lead >= 0xE0)
            length = 3;
        else if (lead >= 0xC0)
            length = 2;
        characters.push_back(text.substr(i, length));
        i += length;
    }
    return characters;
}

// Letters are spaced out on the panel, so a plain space would read as one
// more gap between letters: words get a wider one.
double advanceOf(cairo_t* cr, const std::string& character, double size, double tracking)
{
    cairo_text_extents_t extents;
    cairo_text_extents(cr, character.c_str(), &extents);
    const double word = character == " " ? 0.08 * size : 0.0;
    return extents.x_advance + tracking + word;
}
}

struct ArtworkFonts::Loaded
{
    FT_Library library = nullptr;
    FT_Face faces[kFaceCount] = {};
    cairo_font_face_t* cairoFaces[kFaceCount] = {};
    cairo_font_options_t* options = nullptr;
};

ArtworkFonts::ArtworkFonts() : m_loaded(new Loaded)
{
    if (FT_Init_FreeType(&m_loaded->library) != 0)
        throw std::runtime_error("FreeType does not start");
    // A configuration of our own, gone once the files are found, so the
    // process keeps no font state of ours and no font settings of the
    // machine's reach the artwork.
    FcConfig* config = FcInitLoadConfigAndFonts();
    std::string files[kFaceCount];
    for (int face = 0; face < kFaceCount; ++face)
        files[face] = config ? fileOf(config, kFaceNames[face]) : std::string();
    if (config)
        FcConfigDestroy(config);
    for (int face = 0; face < kFaceCount; ++face)
    {
        const std::string& file = files[face];
        if (file.empty() || FT_New_Face(m_loaded->library, file.c_str(), 0, &m_loaded->faces[face]) != 0)
            throw std::runtime_error(std::string("font missing (install fonts-liberation2): ") +
                                     kFaceNames[face].family + " " + kFaceNames[face].style);
        m_loaded->cairoFaces[face] = cairo_ft_font_face_create_for_ft_face(m_loaded->faces[face], 0);
        // Cairo may hold the face in its caches after we let it go: the
        // FreeType face goes when cairo's last reference does.
        static cairo_user_data_key_t key;
        cairo_font_face_set_user_data(m_loaded->cairoFaces[face], &key, m_loaded->faces[face],
                                      [](void* ftFace) { FT_Done_Face(static_cast<FT_Face>(ftFace)); });
    }
    m_loaded->options = cairo_font_options_create();
    cairo_font_options_set_antialias(m_loaded->options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(m_loaded->options, CAIRO_HINT_STYLE_SLIGHT);
    // Letters are placed one by one; rounded advances would add up to
    // uneven gaps.
    cairo_font_options_set_hint_metrics(m_loaded->options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_subpixel_order(m_loaded->options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
}

ArtworkFonts::~ArtworkFonts()
{
    cairo_font_options_destroy(m_loaded->options);
    for (cairo_font_face_t* face : m_loaded->cairoFaces)
        cairo_font_face_destroy(face);
    // Empties cairo's font caches, which releases the faces, before the
    // library they come from goes.
    cairo_debug_reset_static_data();
    FT_Done_FreeType(m_loaded->library);
    delete m_loaded;
}

void ArtworkFonts::select(cairo_t* cr, Face face, double size) const
{
    cairo_set_font_face(cr, m_loaded->cairoFaces[face]);
    cairo_set_font_size(cr, size);
    cairo_set_font_options(cr, m_loaded->options);
}

double ArtworkFonts::measure(cairo_t* cr, const std::string& text, Face face, double size, double tracking,
                             double condense) const
{
    cairo_save(cr);
    select(cr, face, size);
    double width = 0.0;
    const auto characters = charactersOf(text);
    for (const std::string& character : characters)
        width += advanceOf(cr, character, size, tracking);
    if (!characters.empty())
        width -= tracking;
    cairo_restore(cr);
    return width * condense;
}

void ArtworkFonts::drawText(cairo_t* cr, const std::string& text, double x, double y, Face face, double size,
                            Align align, double tracking, double condense) const
{
    const double width = measure(cr, text, face, size, tracking, condense);
    cairo_save(cr);
    // Narrowed letters: the glyphs are scaled across, the anchor stays put.
    cairo_translate(cr, x, 0);
    cairo_scale(cr, condense, 1.0);
    cairo_translate(cr, -x, 0);
    select(cr, face, size);
    cairo_text_extents_t capitals;
    cairo_text_extents(cr, "H", &capitals);
    double left = x;
    if (align == kCentre)
        left = x - width / condense / 2.0;
    else if (align == kRight)
        left = x - width / condense;
    const double baseline = y - capitals.y_bearing / 2.0;
    for (const std::string& character : charactersOf(text))
    {
        cairo_move_to(cr, left, baseline);
        cairo_show_text(cr, character.c_str());
        left += advanceOf(cr, character, size, tracking);
    }
    // Text leaves a current point; the next arc must not join it.
    cairo_new_path(cr);
    cairo_restore(cr);
}
