#include "toolkit/CDrawContext.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "Source/shared/Utf8.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CFrame.h"

namespace
{
constexpr double kPi = 3.14159265358979323846;

CRect defaultClip(CFrame* frame)
{
    return frame ? frame->getViewSize() : CRect(0, 0, 1000, 1000);
}
} // namespace

// Brackets one drawing operation: clipped to the clip rectangle, with the
// context's state restored afterwards. False when there is nothing to draw
// on or the clip is empty.
class CDrawContext::DrawScope
{
public:
    explicit DrawScope(CDrawContext& context) : m_context(context)
    {
        // A context in error draws nothing more, and Cairo hands out new
        // objects for its state that nobody would free.
        if (!context.m_cairo || context.m_clip.isEmpty() || cairo_status(context.m_cairo) != CAIRO_STATUS_SUCCESS)
            return;
        m_cairo = context.m_cairo;
        cairo_save(m_cairo);
        cairo_new_path(m_cairo);
        const CRect& clip = context.m_clip;
        cairo_rectangle(m_cairo, static_cast<double>(clip.left), static_cast<double>(clip.top),
                        static_cast<double>(clip.width()), static_cast<double>(clip.height()));
        cairo_clip(m_cairo);
        cairo_set_antialias(m_cairo, context.m_drawMode == kAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    }
    ~DrawScope()
    {
        if (!m_cairo)
            return;
        cairo_new_path(m_cairo);
        cairo_restore(m_cairo);
        m_context.didDraw();
    }
    DrawScope(const DrawScope&) = delete;
    DrawScope& operator=(const DrawScope&) = delete;

    explicit operator bool() const { return m_cairo != nullptr; }
    cairo_t* cairo() const { return m_cairo; }

private:
    CDrawContext& m_context;
    cairo_t* m_cairo = nullptr;
};

CDrawContext::CDrawContext(CFrame* frame, cairo_t* cairo) : m_frame(frame), m_clip(defaultClip(frame))
{
    setFont(kFontSystem);
    setCairo(cairo);
}

CDrawContext::~CDrawContext()
{
    if (m_font)
        m_font->release();
    if (m_cairo)
    {
        cairo_restore(m_cairo);
        cairo_surface_flush(cairo_get_target(m_cairo));
        cairo_destroy(m_cairo);
    }
}

void CDrawContext::applyFontOptions(cairo_t* cairo)
{
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cairo, options);
    cairo_font_options_destroy(options);
}

void CDrawContext::setCairo(cairo_t* cairo)
{
    if (m_cairo)
    {
        cairo_restore(m_cairo);
        cairo_destroy(m_cairo);
        m_cairo = nullptr;
    }
    if (!cairo || cairo_status(cairo) != CAIRO_STATUS_SUCCESS)
        return;
    m_cairo = cairo_reference(cairo);
    cairo_save(m_cairo);
    cairo_set_antialias(m_cairo, CAIRO_ANTIALIAS_NONE);
    applyFontOptions(m_cairo);
}

void CDrawContext::setSourceColor(const CColor& color)
{
    cairo_set_source_rgba(m_cairo, color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
}

void CDrawContext::applyLineStyle()
{
    cairo_set_line_width(m_cairo, static_cast<double>(m_lineWidth));
    cairo_set_line_cap(m_cairo, CAIRO_LINE_CAP_BUTT);
    if (m_lineStyle == kLineOnOffDash)
    {
        double dash = static_cast<double>(m_lineWidth);
        cairo_set_dash(m_cairo, &dash, 1, 0.0);
    }
    else
        cairo_set_dash(m_cairo, nullptr, 0, 0.0);
}

// --- State ---------------------------------------------------------------------------

void CDrawContext::setClipRect(const CRect& clip)
{
    m_clip = clip;
    m_clip.offset(m_offset);
}

CRect& CDrawContext::getClipRect(CRect& clip) const
{
    clip = m_clip;
    return clip.offset(-m_offset.h, -m_offset.v);
}

void CDrawContext::resetClipRect()
{
    m_clip = defaultClip(m_frame);
}

void CDrawContext::setFont(CFontDesc* font, CCoord size, std::int32_t style)
{
    if (!font)
        return;
    CFontDesc* chosen = font;
    bool sameSize = size < 1 || size == font->getSize();
    bool sameStyle = style == -1 || style == font->getStyle();
    if (sameSize && sameStyle)
        chosen->retain();
    else
        chosen = new CFontDesc(font->getName(), size < 1 ? font->getSize() : size,
                               style == -1 ? font->getStyle() : style);
    // The new font holds its reference before the old one is let go, so
    // setting the font already set cannot free it.
    if (m_font)
        m_font->release();
    m_font = chosen;
}

CPoint CDrawContext::pushOrigin(const CPoint& origin)
{
    CPoint previous = m_offset;
    m_offset += origin;
    return previous;
}

// --- Lines and shapes ----------------------------------------------------------------------

void CDrawContext::moveTo(const CPoint& point)
{
    m_pen = point + m_offset;
}

void CDrawContext::lineTo(const CPoint& point)
{
    CPoint end = point + m_offset;
    DrawScope scope(*this);
    if (scope)
    {
        // An odd width would straddle two pixel rows; the shift puts it on one.
        double shift = (m_lineWidth % 2) ? 0.5 : 0.0;
        cairo_t* cr = scope.cairo();
        applyLineStyle();
        setSourceColor(m_frameColor);
        cairo_move_to(cr, static_cast<double>(m_pen.h) + shift, static_cast<double>(m_pen.v) - shift);
        cairo_line_to(cr, static_cast<double>(end.h) + shift, static_cast<double>(end.v) - shift);
        cairo_stroke(cr);
    }
    m_pen = end;
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style)
{
    DrawScope scope(*this);
    if (!scope)
        return;
    cairo_t* cr = scope.cairo();
    CRect r(rect);
    r.offset(m_offset);
    if (style == kDrawFilled || style == kDrawFilledAndStroked)
    {
        // The whole rectangle, right and bottom edges excluded.
        setSourceColor(m_fillColor);
        cairo_rectangle(cr, static_cast<double>(r.left), static_cast<double>(r.top), static_cast<double>(r.width()),
                        static_cast<double>(r.height()));
        cairo_fill(cr);
    }
    if (style == kDrawStroked || style == kDrawFilledAndStroked)
    {
        // The outline runs over the pixels just inside the rectangle.
        double shift = (m_lineWidth % 2) ? 0.5 : 0.0;
        double left = static_cast<double>(r.left) + shift;
        double right = static_cast<double>(r.right - 1) + shift;
        double top = static_cast<double>(r.top + 1) - shift;
        double bottom = static_cast<double>(r.bottom) - shift;
        applyLineStyle();
        setSourceColor(m_frameColor);
        cairo_move_to(cr, left, top);
        cairo_line_to(cr, right, top);
        cairo_line_to(cr, right, bottom);
        cairo_line_to(cr, left, bottom);
        cairo_close_path(cr);
        cairo_stroke(cr);
    }
}

void CDrawContext::drawArc(const CRect& rect, CDrawStyle style, float startAngle, float endAngle)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    DrawScope scope(*this);
    if (!scope)
        return;
    cairo_t* cr = scope.cairo();
    CRect r(rect);
    r.offset(m_offset);
    cairo_save(cr);
    cairo_translate(cr, static_cast<double>(r.left) + r.width() / 2.0, static_cast<double>(r.top) + r.height() / 2.0);
    cairo_scale(cr, r.width() / 2.0, r.height() / 2.0);
    cairo_rotate(cr, -kPi / 2.0);
    cairo_arc_negative(cr, 0.0, 0.0, 1.0, -startAngle * kPi / 180.0, -endAngle * kPi / 180.0);
    // The path stays, drawn with an unscaled pen.
    cairo_restore(cr);
    if (style == kDrawFilled || style == kDrawFilledAndStroked)
    {
        setSourceColor(m_fillColor);
        cairo_fill_preserve(cr);
    }
    if (style == kDrawStroked || style == kDrawFilledAndStroked)
    {
        applyLineStyle();
        setSourceColor(m_frameColor);
        cairo_stroke_preserve(cr);
    }
}

void CDrawContext::drawImage(cairo_surface_t* image, const CRect& rect, const CPoint& offset, std::uint8_t alpha)
{
    // An image that failed would put the context in error, and Cairo leaks
    // the pattern it makes for it.
    if (!image || alpha == 0 || cairo_surface_status(image) != CAIRO_STATUS_SUCCESS)
        return;
    DrawScope scope(*this);
    if (!scope)
        return;
    cairo_t* cr = scope.cairo();
    CRect r(rect);
    r.offset(m_offset);
    cairo_rectangle(cr, static_cast<double>(r.left), static_cast<double>(r.top), static_cast<double>(r.width()),
                    static_cast<double>(r.height()));
    cairo_clip(cr);
    // Our own pattern, set and let go: the context holds it only until the
    // scope restores its state.
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(image);
    cairo_matrix_t matrix;
    cairo_matrix_init_translate(&matrix, static_cast<double>(offset.h - r.left), static_cast<double>(offset.v - r.top));
    cairo_pattern_set_matrix(pattern, &matrix);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
    if (alpha == 255)
        cairo_paint(cr);
    else
        cairo_paint_with_alpha(cr, alpha / 255.0);
}

// --- Text ---------------------------------------------------------------------------------

CCoord CDrawContext::getStringWidth(const char* string)
{
    if (!m_font || !string || !m_cairo)
        return -1;
    cairo_font_face_t* face = m_font->getPlatformFont();
    if (!face)
        return -1;
    std::string text = Utf8::makeValid(string);
    cairo_save(m_cairo);
    cairo_set_font_face(m_cairo, face);
    cairo_set_font_size(m_cairo, static_cast<double>(m_font->getSize()));
    cairo_text_extents_t extents;
    cairo_text_extents(m_cairo, text.c_str(), &extents);
    cairo_restore(m_cairo);
    return static_cast<CCoord>(std::floor(extents.x_advance + 0.5));
}

void CDrawContext::drawString(const char* string, const CRect& rect, bool, CHoriTxtAlign align)
{
    drawString(string, rect, align, true);
}

void CDrawContext::drawString(const char* string, const CRect& rect, CHoriTxtAlign align, bool)
{
    if (!string || !m_font)
        return;
    cairo_font_face_t* face = m_font->getPlatformFont();
    if (!face)
        return;
    CCoord x = rect.left;
    if (align == kCenterText || align == kRightText)
    {
        CCoord width = getStringWidth(string);
        if (align == kCenterText)
            x = static_cast<CCoord>(static_cast<float>(rect.left) + static_cast<float>(rect.width()) * 0.5f -
                                    static_cast<float>(width) * 0.5f);
        else
            x = rect.right - width;
    }
    CCoord baseline = rect.bottom + m_font->getSize() / 2 - 1 - rect.height() / 2;

    CRect savedClip = m_clip;
    CRect bounded(rect);
    bounded.offset(m_offset);
    m_clip.bound(bounded);
    {
        // Text keeps the fixed font options whatever the antialias flag
        // says, so that it is drawn as wide as it was measured.
        DrawScope scope(*this);
        if (scope)
        {
            cairo_t* cr = scope.cairo();
            std::string text = Utf8::makeValid(string);
            cairo_set_font_face(cr, face);
            cairo_set_font_size(cr, static_cast<double>(m_font->getSize()));
            setSourceColor(m_fontColor);
            double originX = static_cast<double>(x + m_offset.h);
            double originY = static_cast<double>(baseline + m_offset.v);
            cairo_move_to(cr, originX, originY);
            cairo_show_text(cr, text.c_str());
            if (m_font->getStyle() & kUnderlineFace)
            {
                cairo_text_extents_t extents;
                cairo_text_extents(cr, text.c_str(), &extents);
                double thickness = std::max(1.0, std::round(m_font->getSize() / 14.0));
                double below = std::max(1.0, std::round(m_font->getSize() / 10.0));
                cairo_new_path(cr);
                cairo_rectangle(cr, originX, originY + below, extents.x_advance, thickness);
                cairo_fill(cr);
            }
        }
    }
    m_clip = savedClip;
}
