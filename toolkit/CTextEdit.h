#pragma once

#include <memory>

#include "toolkit/CParamDisplay.h"
#include "toolkit/Platform.h"

// A display of an editable text. While it edits, a platform text field
// over it takes the typing; the text reaches the control, and its listener,
// only when the edit ends.
class CTextEdit : public CParamDisplay, private PlatformTextFieldListener
{
public:
    using EditConvert = void (*)(char* text, char* display);
    using EditConvert2 = void (*)(char* text, char* display, void* userData);

    // The text holds at most this many bytes, cut at a character boundary.
    static constexpr std::size_t kMaxTextBytes = kTextBufferSize - 1;

    CTextEdit(const CRect& size, CControlListener* listener, std::int64_t tag, const char* text = nullptr,
              CBitmap* background = nullptr, std::int64_t style = 0);
    // The copy does not edit.
    CTextEdit(const CTextEdit& edit);
    ~CTextEdit() override;

    // Null empties the text.
    virtual void setText(const char* text);
    // Copies the text into out, which holds kTextBufferSize bytes.
    virtual void getText(char* out) const;
    const char* getTextPointer() const { return m_text; }
    virtual void setTextEditConvert(EditConvert convert);
    virtual void setTextEditConvert(EditConvert2 convert, void* userData);

    bool isEditing() const { return m_editing; }
    // Whether the last edit ended with Return.
    bool getReturnPressed() const { return m_returnPressed; }
    // The field of the running edit, or null.
    PlatformTextField* getPlatformControl() const { return m_platformControl.get(); }

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    void takeFocus() override;
    void looseFocus() override;
    void setViewSize(const CRect& rect, bool invalidate = true) override;
    void parentSizeChanged() override;
    bool removed(CView* parent) override;
    bool isTypeOf(const char* className) const override;
    CView* newCopy() const override;

protected:
    void copyText(const char* text, std::size_t size);

    char m_text[kTextBufferSize] = {};
    EditConvert m_editConvert = nullptr;
    EditConvert2 m_editConvert2 = nullptr;

    // What the field reports besides typing (Return, Tab, Escape).
    bool onTextFieldCommand(Command command) override;

private:
    // Ends a running edit without the field's text, the listener or the
    // parents hearing of it: the edit leaves the tree or dies.
    void abandonEdit();
    CRect toFrame(const CRect& rect) const;
    void placeField();

    std::unique_ptr<PlatformTextField> m_platformControl;
    bool m_editing = false;
    // Whether this edit was begun with the host (a click), so that it is
    // ended with it.
    bool m_editBegun = false;
    bool m_returnPressed = false;
};
