#include "toolkit/COffscreenContext.h"

#include <cstdlib>

#include "toolkit/CBitmap.h"
#include "toolkit/CView.h"

COffscreenContext::COffscreenContext(CFrame* frame, CCoord width, CCoord height, const CColor& background)
    : CDrawContext(frame, nullptr), m_width(width), m_height(height)
{
    createSurface();
    setClipRect(CRect(0, 0, width, height).normalize());
    setFillColor(background);
    setFrameColor(background);
    drawRect(CRect(0, 0, width, height), kDrawFilledAndStroked);
}

COffscreenContext::COffscreenContext(CView* view, CBitmap* bitmap, bool drawInBitmap)
    : CDrawContext(view ? view->getFrame() : nullptr, nullptr), m_bitmap(bitmap), m_drawInBitmap(drawInBitmap)
{
    if (m_bitmap)
    {
        m_bitmap->retain();
        m_width = m_bitmap->getWidth();
        m_height = m_bitmap->getHeight();
    }
    else
    {
        m_width = 20;
        m_height = 20;
    }
    if (m_drawInBitmap && m_bitmap && m_bitmap->getSurface())
        m_surface = cairo_surface_reference(m_bitmap->getSurface());
    else
        createSurface();
    if (m_surface)
    {
        cairo_t* cairo = cairo_create(m_surface);
        setCairo(cairo);
        cairo_destroy(cairo);
    }
    setClipRect(CRect(0, 0, m_width, m_height));
    if (!m_drawInBitmap)
    {
        if (m_bitmap)
            m_bitmap->draw(this, CRect(0, 0, m_width, m_height));
        else
        {
            setFillColor(kColorBlack);
            drawRect(CRect(0, 0, m_width, m_height), kDrawFilled);
        }
    }
}

COffscreenContext::~COffscreenContext()
{
    if (m_bitmap)
        m_bitmap->release();
    if (m_surface)
        cairo_surface_destroy(m_surface);
}

void COffscreenContext::createSurface()
{
    // Cairo refuses surfaces past 32767 pixels a side.
    if (m_width <= 0 || m_height <= 0 || m_width > 32767 || m_height > 32767)
        return;
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(m_width), static_cast<int>(m_height));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(surface);
        return;
    }
    m_surface = surface;
    cairo_t* cairo = cairo_create(m_surface);
    setCairo(cairo);
    cairo_destroy(cairo);
}

cairo_surface_t* COffscreenContext::getImage()
{
    if (!m_surface)
        return nullptr;
    cairo_surface_flush(m_surface);
    return cairo_surface_reference(m_surface);
}

void COffscreenContext::copyFrom(CDrawContext* destination, const CRect& destRect, const CPoint& srcOffset)
{
    if (!destination || !m_surface)
        return;
    cairo_surface_flush(m_surface);
    destination->drawImage(m_surface, destRect, srcOffset);
}

void COffscreenContext::didDraw()
{
    // The bitmap's keyed copy no longer matches its pixels.
    if (m_drawInBitmap && m_bitmap)
        m_bitmap->dropCachedImage();
}
