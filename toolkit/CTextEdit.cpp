#include "toolkit/CTextEdit.h"

#include <cstring>

#include "Source/shared/Utf8.h"
#include "toolkit/CFrame.h"
#include "toolkit/SharedPointer.h"
#include "toolkit/TextFieldEngine.h"

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, std::int64_t tag, const char* text,
                     CBitmap* background, std::int64_t style)
    : CParamDisplay(size, background, style)
{
    m_listener = listener;
    m_tag = tag;
    if (text)
        copyText(text, std::strlen(text));
    m_wantsFocus = true;
}

CTextEdit::CTextEdit(const CTextEdit& edit)
    : CParamDisplay(edit), PlatformTextFieldListener(), m_editConvert(edit.m_editConvert),
      m_editConvert2(edit.m_editConvert2)
{
    std::memcpy(m_text, edit.m_text, sizeof(m_text));
}

CTextEdit::~CTextEdit()
{
    // Nobody hears of an edit that ends with its control: the listener and
    // the parents may be going too, and this object cannot be kept alive.
    m_listener = nullptr;
    abandonEdit();
}

void CTextEdit::copyText(const char* text, std::size_t size)
{
    // A name (or any one line) never wants a control character, not even
    // one pasted or set.
    const std::string clean = TextFieldEngine::withoutControls(std::string(text, size));
    std::size_t length = Utf8::cutLength(clean.data(), clean.size(), kMaxTextBytes);
    std::memcpy(m_text, clean.data(), length);
    m_text[length] = 0;
}

void CTextEdit::setText(const char* text)
{
    if (text)
    {
        const std::string clean = TextFieldEngine::withoutControls(text);
        if (clean == m_text)
            return;
        copyText(clean.data(), clean.size());
    }
    else
    {
        if (!m_text[0])
            return;
        m_text[0] = 0;
    }
    if (m_platformControl)
        m_platformControl->setText(Utf8::makeValid(m_text));
    setDirty(true);
}

void CTextEdit::getText(char* out) const
{
    if (out)
        std::memcpy(out, m_text, sizeof(m_text));
}

void CTextEdit::setTextEditConvert(EditConvert convert)
{
    m_editConvert = convert;
}

void CTextEdit::setTextEditConvert(EditConvert2 convert, void* userData)
{
    m_editConvert2 = convert;
    m_userData = userData;
}

void CTextEdit::draw(CDrawContext* context)
{
    // The field shows the text while it edits.
    if (m_platformControl)
    {
        setDirty(false);
        return;
    }
    char display[kTextBufferSize] = {};
    if (m_editConvert2)
        m_editConvert2(m_text, display, m_userData);
    else if (m_editConvert)
        m_editConvert(m_text, display);
    else if (m_stringConvert2 || m_stringConvert)
    {
        formatValue(display);
        copyText(display, std::strlen(display));
    }
    else
        std::memcpy(display, m_text, sizeof(display));
    display[kTextBufferSize - 1] = 0;
    m_text[kTextBufferSize - 1] = 0;
    drawText(context, display);
    setDirty(false);
}

CMouseEventResult CTextEdit::onMouseDown(CPoint&, const CButtonState& buttons)
{
    if (!(buttons & kButtonLeft))
        return kMouseResultNotHandled;
    if (m_frame && m_frame->getFocusView() == this)
        return kMouseResultNotHandled;
    if ((m_style & kDoubleClickStyle) && !(buttons & kDoubleClick))
        return kMouseResultNotHandled;
    SharedPointer<CTextEdit> self(this);
    beginEdit();
    m_editBegun = true;
    takeFocus();
    return kMouseResultHandledNoTracking;
}

CRect CTextEdit::toFrame(const CRect& rect) const
{
    CPoint topLeft = rect.getTopLeft();
    localToFrame(topLeft);
    return CRect(topLeft, rect.getSize());
}

void CTextEdit::takeFocus()
{
    if (m_editing)
        return;
    m_editing = true;
    m_returnPressed = false;
    PlatformWindow* window = m_frame ? m_frame->getPlatformWindow() : nullptr;
    if (!window)
        return;
    PlatformTextFieldOptions options;
    options.rect = toFrame(m_size);
    options.visibleRect = toFrame(getVisibleSize());
    options.text = Utf8::makeValid(m_text);
    options.font = SharedPointer<CFontDesc>(m_font);
    options.fontColor = m_fontColor;
    options.backColor = m_backColor;
    options.alignment = m_horiTxtAlign;
    options.maxBytes = kMaxTextBytes;
    m_platformControl = window->createTextField(options, this);
}

void CTextEdit::looseFocus()
{
    // A receiver of the message below may remove and release this edit.
    SharedPointer<CTextEdit> self(this);
    CFrame* frame = m_frame;
    bool wasEditing = m_editing;
    char oldText[kTextBufferSize];
    if (wasEditing)
    {
        // Finished before the focus moves, so the frame's own call back
        // into looseFocus finds nothing left to do.
        m_editing = false;
        std::memcpy(oldText, m_text, sizeof(oldText));
        if (m_platformControl)
        {
            std::string typed = m_platformControl->getText();
            copyText(typed.data(), typed.size());
            m_platformControl.reset();
        }
    }
    if (frame && frame->getFocusView() == this)
        frame->setFocusView(nullptr);
    if (!wasEditing)
        return;
    setDirty(true);
    if (m_editBegun)
    {
        m_editBegun = false;
        endEdit();
    }
    if (std::strcmp(oldText, m_text) != 0 && m_listener)
        m_listener->valueChanged(this);
    CView* target = m_parentView ? m_parentView : frame;
    while (target)
    {
        SharedPointer<CView> receiver(target);
        if (target->notify(this, kMsgLooseFocus) == 1)
            break;
        target = target->getParentView();
    }
}

void CTextEdit::abandonEdit()
{
    if (!m_editing)
        return;
    m_editing = false;
    m_platformControl.reset();
    // The host still hears the end of what it heard begin; the listener
    // may be torn down with the view tree.
    if (m_editBegun)
    {
        m_editBegun = false;
        if (m_frame)
            m_frame->endEdit(static_cast<std::int32_t>(m_tag));
    }
}

bool CTextEdit::onTextFieldCommand(Command command)
{
    SharedPointer<CTextEdit> self(this);
    switch (command)
    {
    case kReturn:
        m_returnPressed = true;
        looseFocus();
        return true;
    case kTab:
    case kBackTab:
        if (CFrame* frame = m_frame)
        {
            SharedPointer<CFrame> keep(frame);
            if (frame->advanceNextFocusView(this, command == kBackTab) && !m_editing)
                return true;
        }
        // Nowhere to go: the typing ends here all the same.
        looseFocus();
        return true;
    case kCancel:
        looseFocus();
        return true;
    }
    return false;
}

void CTextEdit::placeField()
{
    if (m_platformControl)
        m_platformControl->setBounds(toFrame(m_size), toFrame(getVisibleSize()));
}

void CTextEdit::setViewSize(const CRect& rect, bool invalidate)
{
    CParamDisplay::setViewSize(rect, invalidate);
    placeField();
}

void CTextEdit::parentSizeChanged()
{
    CParamDisplay::parentSizeChanged();
    placeField();
}

bool CTextEdit::removed(CView* parent)
{
    abandonEdit();
    return CParamDisplay::removed(parent);
}

bool CTextEdit::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CTextEdit") == 0 || CParamDisplay::isTypeOf(className);
}

CView* CTextEdit::newCopy() const
{
    return new CTextEdit(*this);
}
