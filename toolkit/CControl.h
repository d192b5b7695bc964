#pragma once

#include <cstdint>

#include "toolkit/CControlListener.h"
#include "toolkit/CView.h"

// A view that carries one editable value. It reports user edits to its
// listener and brackets each edit with a begin and an end that travel
// through the frame to the host. A control is dirty while the value
// differs from the one last drawn.
class CControl : public CView
{
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, std::int64_t tag = 0,
             CBitmap* background = nullptr);
    // The copy starts with no back offset.
    CControl(const CControl& control);

    virtual void processIdle();

    virtual void setValue(float value) { m_value = value; }
    virtual float getValue() const { return m_value; }
    virtual void setMin(float value) { m_vmin = value; }
    virtual float getMin() const { return m_vmin; }
    virtual void setMax(float value) { m_vmax = value; }
    virtual float getMax() const { return m_vmax; }
    virtual void setOldValue(float value)
    {
        m_oldValue = value;
        ViewChanges::note();
    }
    virtual float getOldValue() const { return m_oldValue; }
    virtual void setDefaultValue(float value) { m_defaultValue = value; }
    virtual float getDefaultValue() const { return m_defaultValue; }
    // Brings the value back into [min, max].
    virtual void bounceValue();
    // A click with exactly the default-value modifier and the left button
    // resets the value, as one edit; true when it did.
    virtual bool checkDefaultValue(CButtonState buttons);
    virtual void setTag(std::int64_t tag) { m_tag = tag; }
    virtual std::int64_t getTag() const { return m_tag; }
    virtual void beginEdit();
    virtual void endEdit();
    virtual CControlListener* getListener() const { return m_listener; }
    virtual void setListener(CControlListener* listener) { m_listener = listener; }
    virtual void setBackOffset(const CPoint& offset) { m_backOffset = offset; }
    // The back offset becomes the control's own top-left corner.
    virtual void copyBackOffset();
    const CPoint& getBackOffset() const { return m_backOffset; }
    virtual void setWheelInc(float increment) { m_wheelInc = increment; }
    virtual float getWheelInc() const { return m_wheelInc; }

    bool isDirty() const override;
    void setDirty(bool state = true) override;
    // Ends the edits the press began.
    void onMouseCancel() override;
    std::int32_t modifierClicked(const CButtonState& buttons) override;
    bool isTypeOf(const char* className) const override;
    void draw(CDrawContext* context) override = 0;
    CView* newCopy() const override = 0;

    // Held, the zoom modifier makes dragging and wheeling finer; a left
    // click with exactly the default-value modifier resets a control.
    static CButtonState getZoomModifier() { return s_zoomModifier; }
    static void setZoomModifier(CButtonState modifier) { s_zoomModifier = modifier; }
    static CButtonState getDefaultValueModifier() { return s_defaultValueModifier; }
    static void setDefaultValueModifier(CButtonState modifier) { s_defaultValueModifier = modifier; }
    // The toolkit's modifier bits of a key's modifier byte.
    static CButtonState modifiersOfKey(unsigned char keyModifier);

protected:
    // A click's one edit, heard by the listener before or after the frame's
    // idle has run.
    void reportClick(bool beforeIdle);
    // The wheel as knobs and sliders take it: wheelInc per unit of
    // distance, a tenth of it with the zoom modifier.
    bool wheelStep(float distance, CButtonState buttons);
    // The arrow keys as knobs and sliders take them: one wheel step each.
    CKeyResult arrowKeyStep(const VstKeyCode& keyCode);
    // Draws the background from source into the control's rectangle,
    // keyed when the control is transparent.
    void drawBackground(CDrawContext* context, const CPoint& source, const CRect& rect);
    void drawBackground(CDrawContext* context, const CPoint& source) { drawBackground(context, source, m_size); }
    // A pixel coordinate from arithmetic that may overflow or not be a
    // number (0 then).
    static CCoord toCoord(double value);

    CControlListener* m_listener;
    std::int64_t m_tag;
    float m_oldValue = 1.0f;
    float m_defaultValue = 0.5f;
    ViewChanges::Tracked<float> m_value = 0.0f;
    float m_vmin = 0.0f;
    float m_vmax = 1.0f;
    float m_wheelInc = 0.1f;
    CPoint m_backOffset;

private:
    // Begun and not yet ended: a cut-off gesture ends them.
    std::int32_t m_openEdits = 0;
    static CButtonState s_zoomModifier;
    static CButtonState s_defaultValueModifier;
};
