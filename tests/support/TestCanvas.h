#pragma once

// An image surface with a drawing context over it, for pixel probes.

#include "toolkit/CDrawContext.h"

#include <cairo.h>

#include <cstdint>

class TestCanvas
{
public:
    TestCanvas(int width, int height, CFrame* frame = nullptr)
        : m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height))
    {
        cairo_t* cairo = cairo_create(m_surface);
        m_context = new CDrawContext(frame, cairo);
        cairo_destroy(cairo);
        m_context->setClipRect(CRect(0, 0, width, height));
    }
    ~TestCanvas()
    {
        m_context->release();
        cairo_surface_destroy(m_surface);
    }
    TestCanvas(const TestCanvas&) = delete;
    TestCanvas& operator=(const TestCanvas&) = delete;

    CDrawContext* context() const { return m_context; }
    cairo_surface_t* surface() const { return m_surface; }

    // 0xAARRGGBB, premultiplied.
    std::uint32_t pixel(int x, int y) const
    {
        cairo_surface_flush(m_surface);
        const unsigned char* row = cairo_image_surface_get_data(m_surface) + y * cairo_image_surface_get_stride(m_surface);
        return reinterpret_cast<const std::uint32_t*>(row)[x];
    }
    bool isSet(int x, int y) const { return pixel(x, y) != 0; }

private:
    cairo_surface_t* m_surface;
    CDrawContext* m_context;
};

constexpr std::uint32_t argb(const CColor& color)
{
    return (std::uint32_t(color.alpha) << 24) | (std::uint32_t(color.red) << 16) | (std::uint32_t(color.green) << 8) |
           std::uint32_t(color.blue);
}
