#include "toolkit/ImageCache.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Source/shared/FileAccess.h"
#include "dsp/Lasting.h"

namespace
{
// Past any image the layouts draw; a larger one would cost seconds and
// gigabytes to decode.
constexpr std::uint32_t kMaxImageSide = 8192;

std::uint32_t bigEndian32(const unsigned char* bytes)
{
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) |
           std::uint32_t(bytes[3]);
}

cairo_status_t readPngBytes(void* closure, unsigned char* data, unsigned int length)
{
    return FileAccess::readFully(*static_cast<int*>(closure), data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_READ_ERROR;
}

// The PNG in a regular file, decoded only when its header gives a size within
// bounds. Non-blocking, so that a pipe under an image's name cannot stall.
cairo_surface_t* readPng(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    cairo_surface_t* image = nullptr;
    struct stat info;
    unsigned char header[24];
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && FileAccess::readFully(fd, header, sizeof header) &&
        std::memcmp(header, "\x89PNG\r\n\x1a\n", 8) == 0 && std::memcmp(header + 12, "IHDR", 4) == 0)
    {
        const std::uint32_t width = bigEndian32(header + 16);
        const std::uint32_t height = bigEndian32(header + 20);
        if (width > kMaxImageSide || height > kMaxImageSide)
            std::fprintf(stderr, "Zentrova: %s skipped: %ux%u pixels is beyond %u a side\n", path.c_str(),
                         static_cast<unsigned>(width), static_cast<unsigned>(height),
                         static_cast<unsigned>(kMaxImageSide));
        else if (::lseek(fd, 0, SEEK_SET) == 0)
            image = cairo_image_surface_create_from_png_stream(&readPngBytes, &fd);
    }
    ::close(fd);
    return image;
}

struct CachedImage
{
    cairo_surface_t* surface = nullptr;
    bool hasAlpha = false;
};

// Editors are opened on the host's user-interface thread, but closed with
// their instances on any thread.
std::mutex cacheMutex;
int users = 0;

// The images decoded last; what the last leave has not dropped goes with
// the library.
struct Images
{
    std::map<std::string, CachedImage> byPath;
    ~Images()
    {
        for (auto& [path, image] : byPath)
            cairo_surface_destroy(image.surface);
    }
};
Lasting<Images> kept;
std::map<std::string, CachedImage>& images = kept->byPath;

// The file as ARGB32, or null.
CachedImage decode(const std::string& path)
{
    CachedImage decoded;
    cairo_surface_t* image = readPng(path);
    if (!image)
        return decoded;
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS || cairo_surface_get_type(image) != CAIRO_SURFACE_TYPE_IMAGE)
    {
        cairo_surface_destroy(image);
        return decoded;
    }
    decoded.hasAlpha = cairo_image_surface_get_format(image) == CAIRO_FORMAT_ARGB32;
    if (decoded.hasAlpha)
    {
        decoded.surface = image;
        return decoded;
    }
    decoded.surface = ImageCache::toArgb32(image);
    cairo_surface_destroy(image);
    if (cairo_surface_status(decoded.surface) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(decoded.surface);
        decoded.surface = nullptr;
    }
    return decoded;
}
} // namespace

void ImageCache::enter()
{
    std::lock_guard<std::mutex> guard(cacheMutex);
    ++users;
}

void ImageCache::leave()
{
    std::map<std::string, CachedImage> dropped;
    {
        std::lock_guard<std::mutex> guard(cacheMutex);
        if (users == 0 || --users > 0)
            return;
        dropped.swap(images);
    }
    for (auto& [path, image] : dropped)
        cairo_surface_destroy(image.surface);
}

cairo_surface_t* ImageCache::load(const std::string& path, bool& hasAlpha)
{
    std::lock_guard<std::mutex> guard(cacheMutex);
    const auto found = images.find(path);
    if (found != images.end())
    {
        hasAlpha = found->second.hasAlpha;
        return cairo_surface_reference(found->second.surface);
    }
    const CachedImage decoded = decode(path);
    if (!decoded.surface)
        return nullptr;
    hasAlpha = decoded.hasAlpha;
    if (users > 0)
        images[path] = CachedImage{cairo_surface_reference(decoded.surface), decoded.hasAlpha};
    return decoded.surface;
}

cairo_surface_t* ImageCache::toArgb32(cairo_surface_t* image)
{
    int width = cairo_image_surface_get_width(image);
    int height = cairo_image_surface_get_height(image);
    cairo_surface_t* converted = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cairo = cairo_create(converted);
    cairo_set_source_surface(cairo, image, 0, 0);
    cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cairo);
    cairo_destroy(cairo);
    cairo_surface_flush(converted);
    return converted;
}
