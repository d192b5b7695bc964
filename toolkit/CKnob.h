#pragma once

#include "toolkit/CControl.h"

// A rotary control: a background and a handle (a bitmap, or a line in two
// colours) at an angle that follows the value. It is dragged around its
// centre, or by straight movement when the frame's knob mode asks for it;
// the value grows clockwise from the lower left to the lower right.
class CKnob : public CControl
{
public:
    CKnob(const CRect& size, CControlListener* listener, std::int64_t tag, CBitmap* background, CBitmap* handleBitmap,
          const CPoint& offset = CPoint());
    CKnob(const CKnob& knob);
    ~CKnob() override;

    // Angles in radians, anticlockwise from three o'clock.
    virtual void setStartAngle(float angle);
    virtual float getStartAngle() const { return m_startAngle; }
    virtual void setRangeAngle(float angle);
    virtual float getRangeAngle() const { return m_rangeAngle; }
    // The handle's end for the value, in knob-local coordinates.
    virtual void valueToPoint(CPoint& point) const;
    // The value for a knob-local point; the dead zone below the knob gives
    // the nearer end.
    virtual float valueFromPoint(CPoint& point) const;
    virtual CCoord getInsetValue() const { return m_inset; }
    virtual void setInsetValue(CCoord inset) { m_inset = inset; }
    virtual const CColor& getColorShadowHandle() const { return m_colorShadowHandle; }
    virtual void setColorShadowHandle(const CColor& color);
    virtual const CColor& getColorHandle() const { return m_colorHandle; }
    virtual void setColorHandle(const CColor& color);
    virtual CBitmap* getHandleBitmap() const { return m_handleBitmap; }
    virtual void setHandleBitmap(CBitmap* bitmap);
    // How much finer a linear drag gets with the zoom modifier.
    virtual void setZoomFactor(float factor) { m_zoomFactor = factor; }
    virtual float getZoomFactor() const { return m_zoomFactor; }
    virtual void drawHandle(CDrawContext* context);

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    using CControl::onWheel;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;
    CKeyResult onKeyDown(VstKeyCode& keyCode) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    void compute();

    CPoint m_offset;
    CColor m_colorHandle = kColorWhite;
    CColor m_colorShadowHandle = kColorGrey;
    CBitmap* m_handleBitmap;
    CCoord m_inset = 3;
    float m_startAngle;
    float m_rangeAngle;
    float m_halfAngle = 0.0f;
    float m_aCoef = 0.0f;
    float m_bCoef = 0.0f;
    float m_radius;
    float m_zoomFactor = 1.5f;

    // Drag state.
    CPoint m_restorePoint;
    bool m_cursorToken = false;
    CPoint m_firstPoint;
    CPoint m_lastPoint;
    float m_startValue = 0.0f;
    float m_entryState = 0.0f;
    float m_range = 0.0f;
    float m_coef = 0.0f;
    CButtonState m_oldButton = 0;
    bool m_modeLinear = false;
};
