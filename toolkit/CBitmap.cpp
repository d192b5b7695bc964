#include "toolkit/CBitmap.h"

#include <cstdio>

#include <sys/stat.h>

#include "toolkit/BundleLocation.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/ImageCache.h"

namespace
{
// The order a resource's image types are looked for; only PNG is read.
constexpr const char* kResourceExtensions[] = {"png", "bmp", "jpg", "pict"};

bool isRegularFile(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}
} // namespace

CBitmap::CBitmap(const CResourceDescription& description)
{
    // Key colour and flag first: the image decides whether it has alpha.
    setTransparentColor(kColorTransparent);
    m_noAlpha = true;
    loadFromResource(description);
}

CBitmap::CBitmap(CCoord width, CCoord height)
{
    setTransparentColor(kColorTransparent);
    m_noAlpha = true;
    if (width > 0 && height > 0 && width <= 32767 && height <= 32767)
    {
        cairo_surface_t* surface =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height));
        adopt(surface);
        cairo_surface_destroy(surface);
    }
}

CBitmap::CBitmap(cairo_surface_t* image)
{
    setTransparentColor(kColorTransparent);
    m_noAlpha = true;
    adopt(image);
}

CBitmap::~CBitmap()
{
    dispose();
}

void CBitmap::adopt(cairo_surface_t* image)
{
    if (!image || cairo_surface_status(image) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(image) != CAIRO_SURFACE_TYPE_IMAGE)
        return;
    if (cairo_image_surface_get_format(image) == CAIRO_FORMAT_ARGB32)
        m_surface = cairo_surface_reference(image);
    else
        m_surface = ImageCache::toArgb32(image);
    m_width = cairo_image_surface_get_width(m_surface);
    m_height = cairo_image_surface_get_height(m_surface);
}

void CBitmap::dispose()
{
    dropCachedImage();
    if (m_surface)
    {
        cairo_surface_destroy(m_surface);
        m_surface = nullptr;
    }
    m_width = 0;
    m_height = 0;
}

void CBitmap::dropCachedImage()
{
    if (m_keyedImage)
    {
        cairo_surface_destroy(m_keyedImage);
        m_keyedImage = nullptr;
    }
}

void CBitmap::setTransparentColor(const CColor& color)
{
    m_transparentColor = color;
    if (m_noAlpha)
        dropCachedImage();
}

std::string CBitmap::findResource(const CResourceDescription& description)
{
    std::string resources = BundleLocation::resourcesPath();
    if (resources.empty())
        return std::string();
    std::string name;
    std::string folder;
    if (description.type == CResourceDescription::kIntegerType)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof(buffer), "bmp%05d", static_cast<int>(description.id));
        name = buffer;
    }
    else if (description.type == CResourceDescription::kStringType)
    {
        std::string::size_type slash = description.name.rfind('/');
        if (slash == std::string::npos)
            name = description.name;
        else
        {
            folder = description.name.substr(0, slash);
            name = description.name.substr(slash + 1);
        }
    }
    if (name.empty())
        return std::string();
    std::string base = resources + "/" + (folder.empty() ? std::string() : folder + "/") + name + ".";
    for (const char* extension : kResourceExtensions)
    {
        std::string path = base + extension;
        if (isRegularFile(path))
            return path;
    }
    return std::string();
}

bool CBitmap::loadFromResource(const CResourceDescription& description)
{
    dispose();
    m_resourceDescription = description;
    std::string path = findResource(description);
    return !path.empty() && loadFromPath(path);
}

bool CBitmap::loadFromPath(const std::string& path)
{
    dispose();
    // Cairo reads PNG only; an image of another type stays unreadable.
    bool hasAlpha = false;
    cairo_surface_t* image = ImageCache::load(path, hasAlpha);
    if (!image)
        return false;
    if (hasAlpha)
        m_noAlpha = false;
    adopt(image);
    cairo_surface_destroy(image);
    return m_surface != nullptr;
}

cairo_surface_t* CBitmap::createImage(bool transparent)
{
    if (!m_surface)
        return nullptr;
    if (!transparent)
        return cairo_surface_reference(m_surface);
    if (!m_keyedImage)
    {
        cairo_surface_flush(m_surface);
        cairo_surface_t* keyed =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(m_width), static_cast<int>(m_height));
        if (cairo_surface_status(keyed) != CAIRO_STATUS_SUCCESS)
        {
            cairo_surface_destroy(keyed);
            return nullptr;
        }
        cairo_surface_flush(keyed);
        const unsigned char* source = cairo_image_surface_get_data(m_surface);
        unsigned char* target = cairo_image_surface_get_data(keyed);
        int sourceStride = cairo_image_surface_get_stride(m_surface);
        int targetStride = cairo_image_surface_get_stride(keyed);
        const CColor& key = m_transparentColor;
        for (CCoord y = 0; y < m_height; ++y)
        {
            const auto* in = reinterpret_cast<const std::uint32_t*>(source + y * sourceStride);
            auto* out = reinterpret_cast<std::uint32_t*>(target + y * targetStride);
            for (CCoord x = 0; x < m_width; ++x)
            {
                std::uint32_t pixel = in[x];
                std::uint32_t alpha = pixel >> 24;
                auto straight = [alpha](std::uint32_t premultiplied) {
                    return alpha ? (premultiplied * 255 + alpha / 2) / alpha : 0;
                };
                bool isKey = alpha != 0 && straight((pixel >> 16) & 0xFF) == key.red &&
                             straight((pixel >> 8) & 0xFF) == key.green && straight(pixel & 0xFF) == key.blue;
                // Premultiplied transparency is all four bytes zero.
                out[x] = isKey ? 0 : pixel;
            }
        }
        cairo_surface_mark_dirty(keyed);
        m_keyedImage = keyed;
    }
    return cairo_surface_reference(m_keyedImage);
}

void CBitmap::draw(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    drawAlphaBlend(context, rect, offset, 255);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& rect, const CPoint& offset)
{
    if (!context || !m_surface)
        return;
    cairo_surface_t* image = createImage(m_noAlpha);
    context->drawImage(image, rect, offset, 255);
    if (image)
        cairo_surface_destroy(image);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& rect, const CPoint& offset, std::uint8_t alpha)
{
    if (!context || !m_surface)
        return;
    cairo_surface_flush(m_surface);
    context->drawImage(m_surface, rect, offset, alpha);
}
