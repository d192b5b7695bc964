#pragma once

#include "toolkit/CControl.h"

// A handle bitmap that moves along one axis over a background.
class CSlider : public CControl
{
public:
    // Style bits.
    enum : std::int64_t
    {
        kHorizontal = 0x1,
        kVertical = 0x2,
        // The handle moves from the left or top as the value grows...
        kLeft = 0x08,
        kTop = 0x20,
        // ...or from the right or bottom.
        kRight = 0x10,
        kBottom = 0x40,
    };

    // The handle travels rangeHandle pixels (its own extent included) from
    // offsetHandle, in the slider's coordinates.
    CSlider(const CRect& size, CControlListener* listener, std::int64_t tag, const CPoint& offsetHandle,
            CCoord rangeHandle, CBitmap* handle, CBitmap* background, const CPoint& offset = CPoint(),
            std::int64_t style = kLeft | kHorizontal);
    // The handle travels from minPos to maxPos, in the parent's
    // coordinates.
    CSlider(const CRect& size, CControlListener* listener, std::int64_t tag, CCoord minPos, CCoord maxPos,
            CBitmap* handle, CBitmap* background, const CPoint& offset = CPoint(),
            std::int64_t style = kLeft | kHorizontal);
    CSlider(const CSlider& slider);
    ~CSlider() override;

    virtual void setDrawTransparentHandle(bool state) { m_drawTransparentHandle = state; }
    // With a free click the handle jumps to the mouse; without, only a
    // click on the handle moves it, and it does not jump.
    virtual void setFreeClick(bool state) { m_freeClick = state; }
    virtual bool getFreeClick() const { return m_freeClick; }
    virtual void setOffsetHandle(const CPoint& offset);
    virtual const CPoint& getOffsetHandle() const { return m_offsetHandle; }
    virtual void setOffset(const CPoint& offset) { m_offset = offset; }
    virtual const CPoint& getOffset() const { return m_offset; }
    virtual std::int64_t getStyle() const { return m_style; }
    virtual void setHandle(CBitmap* handle);
    virtual CBitmap* getHandle() const { return m_handle; }
    // How much finer a drag gets with the zoom modifier.
    virtual void setZoomFactor(float factor) { m_zoomFactor = factor; }
    virtual float getZoomFactor() const { return m_zoomFactor; }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    using CControl::onWheel;
    bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons) override;
    CKeyResult onKeyDown(VstKeyCode& keyCode) override;
    void setViewSize(const CRect& rect, bool invalidate = true) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    bool isHorizontal() const { return (m_style & kHorizontal) != 0; }
    // The handle's rectangle in the slider's own coordinates.
    CRect handleRect() const;
    void computeLimits();

    CPoint m_offset;
    CPoint m_offsetHandle;
    CBitmap* m_handle;
    std::int64_t m_style;
    CCoord m_widthOfSlider = 1;
    CCoord m_heightOfSlider = 1;
    CCoord m_rangeHandle = 0;
    CCoord m_minTmp = 0;
    CCoord m_maxTmp = 0;
    CCoord m_minPos = 0;
    CCoord m_widthControl;
    CCoord m_heightControl;
    float m_zoomFactor = 10.0f;
    bool m_drawTransparentHandle = true;
    bool m_freeClick = true;

    // Drag state.
    CCoord m_delta = 0;
    float m_oldVal = 0.0f;
    CButtonState m_oldButton = 0;
};
