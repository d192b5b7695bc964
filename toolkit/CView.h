#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/BaseTypes.h"
#include "toolkit/CBaseObject.h"
#include "toolkit/ViewChanges.h"

class CBitmap;
class CDragContainer;
class CDrawContext;
class CFrame;
class CViewContainer;
class VSTGUIEditorInterface;

// Autosize bits: which edges follow the parent, and how a container shares
// its change of size among its children.
enum : std::int64_t
{
    kAutosizeNone = 0,
    kAutosizeLeft = 1,
    kAutosizeTop = 2,
    kAutosizeRight = 4,
    kAutosizeBottom = 8,
    kAutosizeColumn = 16,
    kAutosizeRow = 32,
    kAutosizeAll = kAutosizeLeft | kAutosizeTop | kAutosizeRight | kAutosizeBottom,
};

// A rectangle in its parent's coordinates that draws itself, takes mouse,
// wheel, key and drag events and marks itself dirty for the next redraw.
class CView : public CBaseObject
{
public:
    explicit CView(const CRect& size);
    CView(const CView& view);
    ~CView() override;

    virtual void draw(CDrawContext* context);
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);
    virtual bool checkUpdate(const CRect& updateRect) const;

    virtual bool isDirty() const { return m_dirty; }
    virtual void setDirty(bool state = true) { m_dirty = state; }
    virtual void invalidRect(const CRect& rect);
    virtual void invalid();

    virtual void setVisible(bool state);
    bool isVisible() const { return m_visible; }

    virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons);
    // The gesture that a handled mouse-down started ends without its
    // mouse-up (window destroyed, editor closed, grab lost): whatever the
    // press holds is let go, as no release will come.
    virtual void onMouseCancel() {}

    virtual bool hitTest(const CPoint& where, const CButtonState& buttons = -1);

    virtual bool onWheel(const CPoint& where, const float& distance, const CButtonState& buttons);
    virtual bool onWheel(const CPoint& where, const CMouseWheelAxis& axis, const float& distance,
                         const CButtonState& buttons);

    virtual void setMouseEnabled(bool state) { m_mouseEnabled = state; }
    bool getMouseEnabled() const { return m_mouseEnabled; }
    virtual void setMouseableArea(const CRect& rect) { m_mouseableArea = rect; }
    CRect& getMouseableArea(CRect& rect) const { return rect = m_mouseableArea; }
    const CRect& getMouseableArea() const { return m_mouseableArea; }

    virtual bool onDrop(CDragContainer* drag, const CPoint& where);
    virtual void onDragEnter(CDragContainer* drag, const CPoint& where);
    virtual void onDragLeave(CDragContainer* drag, const CPoint& where);
    virtual void onDragMove(CDragContainer* drag, const CPoint& where);

    virtual CKeyResult onKeyDown(VstKeyCode& keyCode);
    virtual CKeyResult onKeyUp(VstKeyCode& keyCode);

    virtual void setViewSize(const CRect& rect, bool invalidate = true);
    CRect& getViewSize(CRect& rect) const { return rect = m_size; }
    const CRect& getViewSize() const { return m_size; }
    CCoord getWidth() const { return m_size.width(); }
    CCoord getHeight() const { return m_size.height(); }
    // The part of the view's rectangle that its ancestors leave visible.
    virtual CRect getVisibleSize() const;
    virtual void parentSizeChanged() {}

    // A plain view converts between frame coordinates and its parent's.
    virtual CPoint& frameToLocal(CPoint& point) const;
    virtual CPoint& localToFrame(CPoint& point) const;

    virtual void setAutosizeFlags(std::int64_t flags) { m_autosizeFlags = flags; }
    std::int64_t getAutosizeFlags() const { return m_autosizeFlags; }

    virtual void looseFocus() {}
    virtual void takeFocus() {}
    virtual bool getWantsFocus() const { return m_wantsFocus; }
    virtual void setWantsFocus(bool state) { m_wantsFocus = state; }

    virtual void setBackground(CBitmap* background);
    CBitmap* getBackground() const { return m_background; }
    virtual void setTransparency(bool state) { m_transparency = state; }
    bool getTransparency() const { return m_transparency; }

    virtual bool removed(CView* parent);
    virtual bool attached(CView* parent);
    bool isAttached() const { return m_attached; }
    CView* getParentView() const { return m_parentView; }
    CFrame* getFrame() const { return m_frame; }
    virtual VSTGUIEditorInterface* getEditor() const;

    // A control with a listener lets the listener take a right or modified
    // click before the control sees it; any other view declines (0).
    virtual std::int32_t modifierClicked(const CButtonState& buttons);

    virtual bool isTypeOf(const char* className) const;
    virtual CView* newCopy() const;

    // Attributes: byte strings kept under four-character ids.
    bool setAttribute(std::uint32_t id, std::int64_t size, const void* data);
    bool getAttributeSize(std::uint32_t id, std::int64_t& size) const;
    bool getAttribute(std::uint32_t id, std::int64_t capacity, void* buffer, std::int64_t& size) const;
    bool removeAttribute(std::uint32_t id);

protected:
    CViewContainer* getParentContainer() const;

    CRect m_size;
    CRect m_mouseableArea;
    CFrame* m_frame = nullptr;
    CView* m_parentView = nullptr;
    ViewChanges::Tracked<bool> m_dirty = false;
    bool m_mouseEnabled = true;
    bool m_transparency = false;
    bool m_wantsFocus = false;
    bool m_attached = false;
    bool m_visible = true;
    std::int64_t m_autosizeFlags = kAutosizeNone;
    CBitmap* m_background = nullptr;

private:
    struct Attribute
    {
        std::uint32_t id;
        std::vector<std::uint8_t> data;
    };
    const Attribute* findAttribute(std::uint32_t id) const;

    std::vector<Attribute> m_attributes;
};

// A four-character attribute id read as a big-endian integer.
constexpr std::uint32_t attributeId(const char (&text)[5])
{
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(text[0])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(text[1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(text[2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(text[3]));
}
