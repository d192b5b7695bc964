#pragma once

#include <cstdint>
#include <string>

#include <cairo.h>

#include "toolkit/BaseTypes.h"
#include "toolkit/CBaseObject.h"

class CDrawContext;

// Where a bitmap comes from: a number (the bundle's "bmpNNNNN" image), a
// name (a path below the bundle's resources, without extension), or
// nowhere.
struct CResourceDescription
{
    enum Type : std::int32_t
    {
        kIntegerType = 0,
        kStringType = 1,
        kUnknownType = 2,
    };

    CResourceDescription() = default;
    CResourceDescription(std::int32_t id) : type(kIntegerType), id(id) {}
    CResourceDescription(const char* name) : type(name ? kStringType : kUnknownType), name(name ? name : "") {}

    Type type = kUnknownType;
    std::int32_t id = 0;
    std::string name;
};

// An image that views draw: loaded from the bundle's resources or made from
// pixels of its own. Pixels are premultiplied ARGB32 throughout. A bitmap
// without an alpha channel of its own can key out one colour when drawn
// transparently.
class CBitmap : public CBaseObject
{
public:
    explicit CBitmap(const CResourceDescription& description);
    // width by height transparent pixels.
    CBitmap(CCoord width, CCoord height);
    // Takes a reference of image (converted to ARGB32 when it is not).
    explicit CBitmap(cairo_surface_t* image);
    ~CBitmap() override;

    virtual void draw(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    virtual void drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint());
    // Draws the whole image with its pixel offset on rect's top-left corner,
    // clipped to rect; alpha 0-255.
    virtual void drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint(),
                                std::uint8_t alpha = 128);
    // A new reference of the pixels, with the transparent colour keyed out
    // when asked; null for an empty bitmap.
    virtual cairo_surface_t* createImage(bool transparent);
    // Forgets the keyed copy (the pixels changed).
    virtual void dropCachedImage();
    virtual void dispose();
    virtual bool loadFromResource(const CResourceDescription& description);
    virtual bool loadFromPath(const std::string& path);

    CCoord getWidth() const { return m_width; }
    CCoord getHeight() const { return m_height; }
    bool isLoaded() const { return m_surface != nullptr; }
    const CResourceDescription& getResourceDescription() const { return m_resourceDescription; }
    // The pixels, or null when the bitmap is empty.
    cairo_surface_t* getSurface() const { return m_surface; }

    void setTransparentColor(const CColor& color);
    const CColor& getTransparentColor() const { return m_transparentColor; }
    void setNoAlpha(bool state) { m_noAlpha = state; }
    bool getNoAlpha() const { return m_noAlpha; }

    // The file a resource is read from, or an empty string: the first of
    // the known image types that exists below the bundle's resources.
    static std::string findResource(const CResourceDescription& description);

private:
    void adopt(cairo_surface_t* image);

    CResourceDescription m_resourceDescription;
    CCoord m_width = 0;
    CCoord m_height = 0;
    CColor m_transparentColor = kColorTransparent;
    bool m_noAlpha = true;
    cairo_surface_t* m_surface = nullptr;
    cairo_surface_t* m_keyedImage = nullptr;
};
