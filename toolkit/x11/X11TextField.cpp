#include "toolkit/x11/X11TextField.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <vector>

#include "toolkit/CFrame.h"
#include "toolkit/x11/X11ErrorTrap.h"
#include "toolkit/x11/X11Keyboard.h"
#include "toolkit/x11/X11Window.h"

namespace
{
// Room between the field's edges and its text.
constexpr CCoord kInset = 3;
constexpr CColor kSelectionColor{181, 213, 255, 255};

// A keypad key types its character even when Num Lock is off.
const char* keypadText(unsigned char virt)
{
    static const char* const digits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
    if (virt >= VKEY_NUMPAD0 && virt <= VKEY_NUMPAD9)
        return digits[virt - VKEY_NUMPAD0];
    switch (virt)
    {
    case VKEY_DECIMAL:
        return ".";
    case VKEY_MULTIPLY:
        return "*";
    case VKEY_ADD:
        return "+";
    case VKEY_SUBTRACT:
        return "-";
    case VKEY_DIVIDE:
        return "/";
    default:
        return nullptr;
    }
}

XIMStyle chooseStyle(XIM inputMethod)
{
    XIMStyles* styles = nullptr;
    if (XGetIMValues(inputMethod, XNQueryInputStyle, &styles, nullptr) || !styles)
        return 0;
    XIMStyle chosen = 0;
    // The input method shows its own pre-edit and status windows, or none.
    for (XIMStyle wanted : {XIMStyle(XIMPreeditNothing | XIMStatusNothing), XIMStyle(XIMPreeditNone | XIMStatusNone)})
    {
        for (unsigned short i = 0; i < styles->count_styles && !chosen; ++i)
            if (styles->supported_styles[i] == wanted)
                chosen = wanted;
        if (chosen)
            break;
    }
    XFree(styles);
    return chosen;
}
} // namespace

X11TextField::X11TextField(X11Window& window, const PlatformTextFieldOptions& options,
                           PlatformTextFieldListener* listener)
    : m_window(&window), m_options(options), m_listener(listener), m_engine(options.maxBytes),
      m_font(options.font ? options.font : SharedPointer<CFontDesc>(kFontSystem)),
      m_measureSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1))
{
    cairo_t* cr = cairo_create(m_measureSurface);
    m_measure = new CDrawContext(nullptr, cr);
    cairo_destroy(cr);
    m_measure->setFont(m_font.get());
    m_engine.setText(options.text);

    if (window.usable())
    {
        X11Display& display = window.getDisplay();
        if (XIM inputMethod = display.inputMethod())
        {
            X11ErrorTrap trap(display);
            if (XIMStyle style = chooseStyle(inputMethod))
                m_inputContext = XCreateIC(inputMethod, XNInputStyle, style, XNClientWindow, window.getWindow(),
                                           XNFocusWindow, window.getWindow(), nullptr);
            if (m_inputContext)
            {
                XGetICValues(m_inputContext, XNFilterEvents, &m_eventMask, nullptr);
                XSetICFocus(m_inputContext);
            }
        }
    }
    window.attachTextField(this);
    changed();
}

X11TextField::~X11TextField()
{
    if (X11Window* window = m_window)
    {
        window->invalidRect(visibleArea());
        destroyInputContext();
        m_window = nullptr;
        window->detachTextField(this);
    }
    m_measure->release();
    cairo_surface_destroy(m_measureSurface);
}

void X11TextField::detach()
{
    destroyInputContext();
    m_window = nullptr;
}

void X11TextField::destroyInputContext()
{
    if (!m_inputContext)
        return;
    if (m_window && m_window->getDisplay().get())
    {
        X11ErrorTrap trap(m_window->getDisplay());
        XDestroyIC(m_inputContext);
    }
    m_inputContext = nullptr;
}

void X11TextField::setText(const std::string& text)
{
    m_engine.setText(text);
    changed();
}

void X11TextField::setBounds(const CRect& rect, const CRect& visibleRect)
{
    if (m_window)
        m_window->invalidRect(visibleArea());
    m_options.rect = rect;
    m_options.visibleRect = visibleRect;
    changed();
}

CRect X11TextField::visibleArea() const
{
    CRect area(m_options.rect);
    area.bound(m_options.visibleRect);
    return area;
}

bool X11TextField::contains(const CPoint& where) const
{
    return visibleArea().pointInside(where);
}

void X11TextField::changed()
{
    if (m_window)
        m_window->invalidRect(visibleArea());
}

void X11TextField::command(PlatformTextFieldListener::Command command)
{
    // The listener may end the editing and delete this field.
    if (PlatformTextFieldListener* listener = m_listener)
        listener->onTextFieldCommand(command);
}

// --- Mouse and keys --------------------------------------------------------------------------------

void X11TextField::onMouseDown(const CPoint& where, bool extend, int clickCount)
{
    if (!m_focused && m_window)
        m_window->attachTextField(this);
    if (clickCount >= 2)
        m_engine.selectAll();
    else
        m_engine.setCaret(offsetAt(where.h), extend);
    changed();
}

void X11TextField::onMouseDrag(const CPoint& where)
{
    m_engine.setCaret(offsetAt(where.h), true);
    changed();
}

void X11TextField::onFocusChange(bool focused)
{
    m_focused = focused;
    if (m_inputContext)
    {
        X11ErrorTrap trap(m_window->getDisplay());
        if (focused)
            XSetICFocus(m_inputContext);
        else
            XUnsetICFocus(m_inputContext);
    }
    changed();
}

void X11TextField::onKeyPress(XKeyEvent& event)
{
    if (!m_window)
        return;
    X11Display& display = m_window->getDisplay();
    std::string typed;
    if (m_inputContext)
    {
        X11ErrorTrap trap(display);
        char buffer[64];
        KeySym sym = NoSymbol;
        Status status = XLookupNone;
        int length = Xutf8LookupString(m_inputContext, &event, buffer, sizeof buffer, &sym, &status);
        if (status == XBufferOverflow)
        {
            std::vector<char> large(static_cast<std::size_t>(length));
            length = Xutf8LookupString(m_inputContext, &event, large.data(), length, &sym, &status);
            if (status == XLookupChars || status == XLookupBoth)
                typed.assign(large.data(), static_cast<std::size_t>(length));
        }
        else if (status == XLookupChars || status == XLookupBoth)
            typed.assign(buffer, static_cast<std::size_t>(length));
    }
    const VstKeyCode key = X11Keyboard::translate(event, display);
    const bool commandKey = (key.modifier & (kKeyModCommand | kKeyModControl)) != 0;

    TextFieldEngine::Action action = TextFieldEngine::kNotHandled;
    // Without an input method the key's own character is typed.
    if (key.virt != 0 || commandKey || typed.empty())
        action = m_engine.onKeyDown(key);
    if (action == TextFieldEngine::kNotHandled && !commandKey)
    {
        const char* keypad = typed.empty() ? keypadText(key.virt) : nullptr;
        if ((!typed.empty() && m_engine.insert(typed)) || (keypad && m_engine.insert(keypad)))
            action = TextFieldEngine::kChanged;
    }
    switch (action)
    {
    case TextFieldEngine::kReturn:
        command(PlatformTextFieldListener::kReturn);
        return;
    case TextFieldEngine::kTab:
        command(PlatformTextFieldListener::kTab);
        return;
    case TextFieldEngine::kBackTab:
        command(PlatformTextFieldListener::kBackTab);
        return;
    case TextFieldEngine::kCancel:
        command(PlatformTextFieldListener::kCancel);
        return;
    case TextFieldEngine::kCopy:
        m_window->setClipboardText(m_engine.copiedText());
        changed();
        return;
    case TextFieldEngine::kPaste:
    {
        std::string text;
        if (m_window->getClipboardText(text))
            m_engine.insert(text);
        changed();
        return;
    }
    case TextFieldEngine::kChanged:
        changed();
        return;
    default:
        return;
    }
}

// --- Drawing ----------------------------------------------------------------------------------------

CCoord X11TextField::measure(std::size_t bytes)
{
    if (bytes == 0)
        return 0;
    std::string prefix = m_engine.getText().substr(0, bytes);
    return std::max<CCoord>(0, m_measure->getStringWidth(prefix.c_str()));
}

CCoord X11TextField::textOrigin()
{
    const CRect& rect = m_options.rect;
    const CCoord left = rect.left + kInset;
    const CCoord width = std::max<CCoord>(1, rect.width() - 2 * kInset);
    const CCoord total = measure(m_engine.getText().size());
    if (total <= width)
    {
        m_scroll = 0;
        if (m_options.alignment == kCenterText)
            return left + (width - total) / 2;
        if (m_options.alignment == kRightText)
            return left + width - total;
        return left;
    }
    const CCoord caret = measure(m_engine.getCaret());
    if (caret - m_scroll > width)
        m_scroll = caret - width;
    if (caret < m_scroll)
        m_scroll = caret;
    m_scroll = std::clamp<CCoord>(m_scroll, 0, total - width);
    return left - m_scroll;
}

std::size_t X11TextField::offsetAt(CCoord x)
{
    const std::string& text = m_engine.getText();
    const CCoord origin = textOrigin();
    std::size_t best = 0;
    CCoord bestDistance = -1;
    for (std::size_t offset = 0; offset <= text.size(); ++offset)
    {
        if (offset < text.size() && (static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80)
            continue;
        CCoord distance = std::abs(origin + measure(offset) - x);
        if (bestDistance < 0 || distance < bestDistance)
        {
            best = offset;
            bestDistance = distance;
        }
    }
    return best;
}

void X11TextField::draw(cairo_surface_t* target, cairo_region_t* region)
{
    if (!m_window)
        return;
    CRect area = visibleArea();
    cairo_rectangle_int_t extents;
    cairo_region_get_extents(region, &extents);
    area.bound(CRect(extents.x, extents.y, extents.x + extents.width, extents.y + extents.height));
    if (area.isEmpty())
        return;
    const CRect& rect = m_options.rect;
    cairo_t* cr = cairo_create(target);
    auto* context = new CDrawContext(&m_window->getFrame(), cr);
    cairo_destroy(cr);
    context->setClipRect(area);
    context->setFillColor(m_options.backColor);
    context->drawRect(rect, kDrawFilled);

    const CCoord origin = textOrigin();
    const std::string& text = m_engine.getText();
    if (m_focused && m_engine.hasSelection())
    {
        context->setFillColor(kSelectionColor);
        context->drawRect(CRect(origin + measure(m_engine.getSelectionStart()), rect.top + 2,
                                origin + measure(m_engine.getSelectionEnd()), rect.bottom - 2),
                          kDrawFilled);
    }
    context->setFont(m_font.get());
    context->setFontColor(m_options.fontColor);
    context->drawString(text.c_str(), CRect(origin, rect.top, origin + measure(text.size()) + 2, rect.bottom),
                        kLeftText, true);
    if (m_focused && !m_engine.hasSelection())
    {
        const CCoord x = origin + measure(m_engine.getCaret());
        context->setFillColor(m_options.fontColor);
        context->drawRect(CRect(x, rect.top + 3, x + 1, rect.bottom - 3), kDrawFilled);
    }
    context->release();
}
