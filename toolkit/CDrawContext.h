#pragma once

#include <cstdint>

#include <cairo.h>

#include "toolkit/BaseTypes.h"
#include "toolkit/CBaseObject.h"

class CFontDesc;
class CFrame;

enum CDrawStyle : std::int32_t
{
    kDrawStroked = 0,
    kDrawFilled = 1,
    kDrawFilledAndStroked = 2,
};

enum CLineStyle : std::int32_t
{
    kLineSolid = 0,
    kLineOnOffDash = 1,
};

// Only kAntialias switches antialiasing on.
enum CDrawMode : std::int32_t
{
    kCopyMode = 0,
    kOrMode = 1,
    kXorMode = 2,
    kAntialias = 3,
};

// The surface every view draws on: a Cairo context plus the toolkit's
// drawing state. Coordinates are integer pixels, y down, moved by the
// offset; every operation is clipped to the clip rectangle. Without a Cairo
// context every operation does nothing.
class CDrawContext : public CBaseObject
{
public:
    // Takes a reference of cairo, which may be null.
    CDrawContext(CFrame* frame, cairo_t* cairo);
    ~CDrawContext() override;

    // A new reference of the pixels drawn, for contexts that own them.
    virtual cairo_surface_t* getImage() { return nullptr; }

    void moveTo(const CPoint& point);
    // The pen, without the offset.
    CPoint getPenPosition() const { return m_pen - m_offset; }
    void lineTo(const CPoint& point);
    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    // An elliptic arc inside rect; degrees, 0 at twelve o'clock, counting
    // anticlockwise.
    void drawArc(const CRect& rect, CDrawStyle style, float startAngle, float endAngle);

    void setLineStyle(CLineStyle style) { m_lineStyle = style; }
    CLineStyle getLineStyle() const { return m_lineStyle; }
    void setLineWidth(CCoord width) { m_lineWidth = width; }
    CCoord getLineWidth() const { return m_lineWidth; }
    void setDrawMode(CDrawMode mode) { m_drawMode = mode; }
    CDrawMode getDrawMode() const { return m_drawMode; }

    // The clip, given and answered without the offset.
    void setClipRect(const CRect& clip);
    CRect& getClipRect(CRect& clip) const;
    void resetClipRect();

    void setFillColor(const CColor& color) { m_fillColor = color; }
    const CColor& getFillColor() const { return m_fillColor; }
    void setFrameColor(const CColor& color) { m_frameColor = color; }
    const CColor& getFrameColor() const { return m_frameColor; }
    void setFontColor(const CColor& color) { m_fontColor = color; }
    const CColor& getFontColor() const { return m_fontColor; }

    // A size below 1 or a style of -1 keep the font's own.
    void setFont(CFontDesc* font, CCoord size = 0, std::int32_t style = -1);
    CFontDesc* getFont() const { return m_font; }
    // -1 when there is no font, string or Cairo context.
    CCoord getStringWidth(const char* string);
    void drawString(const char* string, const CRect& rect, bool opaque = false, CHoriTxtAlign align = kCenterText);
    void drawString(const char* string, const CRect& rect, CHoriTxtAlign align, bool antialias);

    void setOffset(const CPoint& offset) { m_offset = offset; }
    const CPoint& getOffset() const { return m_offset; }
    // Adds origin to the offset and answers the offset it replaced.
    CPoint pushOrigin(const CPoint& origin);

    // Paints image so that its pixel offset lands on the top-left corner of
    // rect, clipped to rect; alpha 0-255.
    void drawImage(cairo_surface_t* image, const CRect& rect, const CPoint& offset, std::uint8_t alpha = 255);

    CFrame* getFrame() const { return m_frame; }
    cairo_t* getCairo() const { return m_cairo; }

    // The options every context measures and draws text with.
    static void applyFontOptions(cairo_t* cairo);

protected:
    // Sets the context up for drawing with cairo (taking a reference).
    void setCairo(cairo_t* cairo);
    // Called after every operation that drew.
    virtual void didDraw() {}

private:
    class DrawScope;
    void setSourceColor(const CColor& color);
    void applyLineStyle();

    CFrame* m_frame;
    cairo_t* m_cairo = nullptr;
    CPoint m_offset;
    CPoint m_pen;
    CRect m_clip;
    CFontDesc* m_font = nullptr;
    CColor m_fontColor{255, 255, 255, 255};
    CColor m_frameColor{255, 255, 255, 255};
    CColor m_fillColor{0, 0, 0, 255};
    CCoord m_lineWidth = 1;
    CLineStyle m_lineStyle = kLineSolid;
    CDrawMode m_drawMode = kCopyMode;
};
