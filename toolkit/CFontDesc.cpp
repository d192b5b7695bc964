#include "toolkit/CFontDesc.h"

#include "dsp/Lasting.h"

#include <cstring>

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

namespace
{
constexpr const char* kDefaultFamily = "Liberation Sans";

struct FamilyAlias
{
    const char* name;
    const char* family;
};

// Fontconfig alone would pick whatever the machine offers for these names.
constexpr FamilyAlias kFamilyTable[] = {
    {"Helvetica", kDefaultFamily},
    {"Lucida Grande", kDefaultFamily},
};

// Keeps only what names the font file, so that the rendering options come
// from the drawing context alone and not from the user's fontconfig setup.
FcPattern* fileOnlyPattern(FcPattern* match)
{
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch)
        return nullptr;
    int index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FILE, file);
    FcPatternAddInteger(pattern, FC_INDEX, index);
    FcBool embolden = FcFalse;
    if (FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden) == FcResultMatch && embolden)
        FcPatternAddBool(pattern, FC_EMBOLDEN, FcTrue);
    return pattern;
}

Lasting<CFontDesc> fontSystem("Lucida Grande", 12);
Lasting<CFontDesc> fontHelvetica18("Helvetica", 18);
Lasting<CFontDesc> fontHelvetica14("Helvetica", 14);
Lasting<CFontDesc> fontHelvetica12("Helvetica", 12);
Lasting<CFontDesc> fontHelvetica11("Helvetica", 11);
Lasting<CFontDesc> fontHelvetica10("Helvetica", 10);
Lasting<CFontDesc> fontHelvetica9("Helvetica", 9);
Lasting<CFontDesc> fontHelvetica12Alt("Helvetica", 12);
} // namespace

CFontDesc* const kFontSystem = fontSystem.get();
CFontDesc* const kFontHelvetica18 = fontHelvetica18.get();
CFontDesc* const kFontHelvetica14 = fontHelvetica14.get();
CFontDesc* const kFontHelvetica12 = fontHelvetica12.get();
CFontDesc* const kFontHelvetica11 = fontHelvetica11.get();
CFontDesc* const kFontHelvetica10 = fontHelvetica10.get();
CFontDesc* const kFontHelvetica9 = fontHelvetica9.get();
CFontDesc* const kFontHelvetica12Alt = fontHelvetica12Alt.get();

CFontDesc::CFontDesc(const char* name, CCoord size, std::int32_t style)
    : m_name(name ? name : ""), m_hasName(name != nullptr), m_size(size), m_style(style)
{
}

CFontDesc::CFontDesc(const CFontDesc& font)
    : CBaseObject(), m_name(font.m_name), m_hasName(font.m_hasName), m_size(font.m_size), m_style(font.m_style)
{
}

CFontDesc& CFontDesc::operator=(const CFontDesc& font)
{
    if (this != &font)
    {
        m_name = font.m_name;
        m_hasName = font.m_hasName;
        m_size = font.m_size;
        m_style = font.m_style;
        dropPlatformFont();
    }
    return *this;
}

CFontDesc::~CFontDesc()
{
    dropPlatformFont();
}

void CFontDesc::dropPlatformFont()
{
    if (m_platformFont)
    {
        cairo_font_face_destroy(m_platformFont);
        m_platformFont = nullptr;
    }
}

void CFontDesc::setName(const char* name)
{
    if ((name == nullptr && !m_hasName) || (name && m_hasName && m_name == name))
        return;
    m_name = name ? name : "";
    m_hasName = name != nullptr;
    dropPlatformFont();
}

void CFontDesc::setSize(CCoord size)
{
    m_size = size;
    dropPlatformFont();
}

void CFontDesc::setStyle(std::int32_t style)
{
    m_style = style;
    dropPlatformFont();
}

std::string CFontDesc::familyFor(const char* name)
{
    if (!name || !*name)
        return kDefaultFamily;
    for (const FamilyAlias& alias : kFamilyTable)
        if (std::strcmp(alias.name, name) == 0)
            return alias.family;
    return name;
}

cairo_font_face_t* CFontDesc::getPlatformFont()
{
    if (m_platformFont)
        return m_platformFont;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return nullptr;
    std::string family = familyFor(getName());
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, (m_style & kBoldFace) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, (m_style & kItalicFace) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    if (m_size > 0)
        FcPatternAddDouble(pattern, FC_PIXEL_SIZE, static_cast<double>(m_size));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return nullptr;
    FcPattern* filePattern = fileOnlyPattern(match);
    FcPatternDestroy(match);
    if (!filePattern)
        return nullptr;
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(filePattern);
    FcPatternDestroy(filePattern);
    if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS)
    {
        cairo_font_face_destroy(face);
        return nullptr;
    }
    m_platformFont = face;
    return m_platformFont;
}
