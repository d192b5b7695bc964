#pragma once

#include <string>

#include <cairo.h>

// The decoded images of the process: each file is decoded once while the
// cache has users and shared read-only by every bitmap made from it (Cairo
// image surfaces are client-side and reference-counted, so editors on other
// display connections share them too). The last user's leave drops the
// cache's references; a bitmap still holding an image keeps it alive. Any
// thread.
class ImageCache
{
public:
    static void enter();
    static void leave();

    // A new reference of the PNG file's pixels as ARGB32, or null when it
    // does not read; hasAlpha tells whether the file has an alpha channel.
    // Without users the file is decoded and not kept.
    static cairo_surface_t* load(const std::string& path, bool& hasAlpha);

    // A new ARGB32 image of the same pixels.
    static cairo_surface_t* toArgb32(cairo_surface_t* image);
};
