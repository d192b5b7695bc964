#pragma once

#include <cstdint>
#include <string>

#include <cairo.h>

#include "toolkit/BaseTypes.h"
#include "toolkit/CBaseObject.h"

// Style bits of a font.
enum CTxtFace : std::int32_t
{
    kNormalFace = 0,
    kBoldFace = 1,
    kItalicFace = 2,
    kUnderlineFace = 4,
};

// A font by name, pixel size and style. The Cairo face is made on first use
// (never at load time) through the toolkit's family table and fontconfig,
// and dropped whenever name, size or style change.
class CFontDesc : public CBaseObject
{
public:
    explicit CFontDesc(const char* name = nullptr, CCoord size = 0, std::int32_t style = kNormalFace);
    CFontDesc(const CFontDesc& font);
    CFontDesc& operator=(const CFontDesc& font);
    ~CFontDesc() override;

    // Null when the font has no name.
    const char* getName() const { return m_hasName ? m_name.c_str() : nullptr; }
    CCoord getSize() const { return m_size; }
    std::int32_t getStyle() const { return m_style; }
    virtual void setName(const char* name);
    virtual void setSize(CCoord size);
    virtual void setStyle(std::int32_t style);

    // The face, or null when fontconfig finds no font at all.
    cairo_font_face_t* getPlatformFont();

    // The family asked of fontconfig for a toolkit font name: the names the
    // layouts use map to one metric-compatible family that ships with the
    // product's dependencies, so text measures the same on every machine.
    static std::string familyFor(const char* name);

private:
    void dropPlatformFont();

    std::string m_name;
    bool m_hasName = false;
    CCoord m_size;
    std::int32_t m_style;
    cairo_font_face_t* m_platformFont = nullptr;
};

// The standard fonts: plain name and size records until first drawn with.
extern CFontDesc* const kFontSystem;
extern CFontDesc* const kFontHelvetica18;
extern CFontDesc* const kFontHelvetica14;
extern CFontDesc* const kFontHelvetica12;
extern CFontDesc* const kFontHelvetica11;
extern CFontDesc* const kFontHelvetica10;
extern CFontDesc* const kFontHelvetica9;
extern CFontDesc* const kFontHelvetica12Alt;
