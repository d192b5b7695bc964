#include "toolkit/CAlertPanel.h"

#include <algorithm>

#include "Source/shared/Utf8.h"
#include "toolkit/CDialogFrame.h"
#include "toolkit/CDrawContext.h"
#include "toolkit/CFontDesc.h"
#include "toolkit/CTextButton.h"
#include "toolkit/SharedPointer.h"

namespace
{
constexpr CCoord kMessageLineHeight = 18;
constexpr CCoord kInformativeLineHeight = 16;
constexpr CCoord kParagraphGap = 8;
constexpr CCoord kButtonHeight = 24;
constexpr CCoord kButtonMinWidth = 80;
constexpr CCoord kButtonPadding = 24;
constexpr CCoord kButtonGap = 8;
constexpr CColor kBackground{236, 236, 236, 255};
constexpr CColor kText{0, 0, 0, 255};

// A context that only measures text.
class Measure
{
public:
    Measure() : m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1))
    {
        cairo_t* cr = cairo_create(m_surface);
        m_context = new CDrawContext(nullptr, cr);
        cairo_destroy(cr);
    }
    ~Measure()
    {
        m_context->release();
        cairo_surface_destroy(m_surface);
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;

    CCoord width(const std::string& text, std::int32_t style)
    {
        m_context->setFont(kFontSystem, 0, style);
        return std::max<CCoord>(0, m_context->getStringWidth(text.c_str()));
    }

private:
    cairo_surface_t* m_surface;
    CDrawContext* m_context;
};

// The length of the longest head of word that fits width, cut just after a
// path separator where one allows it, else between characters; one
// character at least.
std::size_t fittingHead(Measure& measure, const std::string& word, CCoord width, std::int32_t style)
{
    std::size_t head = 0;
    for (std::size_t slash = word.find('/'); slash != std::string::npos && slash + 1 < word.size();
         slash = word.find('/', slash + 1))
    {
        if (measure.width(word.substr(0, slash + 1), style) > width)
            break;
        head = slash + 1;
    }
    if (head > 0)
        return head;
    auto nextCharacter = [&word](std::size_t at) {
        ++at;
        while (at < word.size() && (static_cast<unsigned char>(word[at]) & 0xC0) == 0x80)
            ++at;
        return at;
    };
    head = nextCharacter(0);
    for (std::size_t next = nextCharacter(head); head < word.size(); next = nextCharacter(head))
    {
        if (measure.width(word.substr(0, next), style) > width)
            break;
        head = next;
    }
    return head;
}

// Breaks text into lines no wider than width at spaces and line breaks; a
// word wider than a line (a long path) starts a line and is cut, so that
// every character can be read.
std::vector<std::string> wrap(Measure& measure, const std::string& text, CCoord width, std::int32_t style)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size())
    {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string paragraph = text.substr(start, end - start);
        std::string line;
        std::size_t position = 0;
        while (position <= paragraph.size())
        {
            std::size_t space = paragraph.find(' ', position);
            if (space == std::string::npos)
                space = paragraph.size();
            const std::string word = paragraph.substr(position, space - position);
            const std::string candidate = line.empty() ? word : line + " " + word;
            if (!line.empty() && measure.width(candidate, style) > width)
            {
                lines.push_back(line);
                line = word;
            }
            else
                line = candidate;
            while (line.size() > 1 && measure.width(line, style) > width)
            {
                const std::size_t head = fittingHead(measure, line, width, style);
                lines.push_back(line.substr(0, head));
                line.erase(0, head);
            }
            position = space + 1;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}
} // namespace

CAlertPanel::Layout CAlertPanel::layout(const std::string& message, const std::string& informative,
                                        const std::vector<std::string>& buttons)
{
    Measure measure;
    Layout result;
    const CCoord textWidth = kWidth - 2 * kMargin;
    result.messageLines = wrap(measure, Utf8::makeValid(message), textWidth, kBoldFace);
    if (!informative.empty())
        result.informativeLines = wrap(measure, Utf8::makeValid(informative), textWidth, kNormalFace);
    CCoord y = kMargin + static_cast<CCoord>(result.messageLines.size()) * kMessageLineHeight;
    if (!result.informativeLines.empty())
        y += kParagraphGap + static_cast<CCoord>(result.informativeLines.size()) * kInformativeLineHeight;
    const CCoord buttonTop = y + kMargin;
    CCoord right = kWidth - kMargin;
    for (const std::string& title : buttons)
    {
        const CCoord width =
            std::max(kButtonMinWidth, measure.width(Utf8::makeValid(title), kNormalFace) + kButtonPadding);
        result.buttons.emplace_back(right - width, buttonTop, right, buttonTop + kButtonHeight);
        right -= width + kButtonGap;
    }
    result.size = CRect(0, 0, kWidth, buttonTop + kButtonHeight + kMargin);
    return result;
}

int CAlertPanel::run(PlatformWindow* owner, const std::string& windowTitle, const std::string& message,
                     const std::string& informative, const std::vector<std::string>& buttons, int defaultButton,
                     int cancelButton)
{
    if (!owner || buttons.empty())
        return -1;
    Layout where = layout(message, informative, buttons);
    SharedPointer<CDialogFrame> dialog(new CDialogFrame(where.size));
    dialog->release();
    auto* panel = new CAlertPanel(dialog.get(), where, buttons, defaultButton);
    dialog->addView(panel);
    CDialogFrame* frame = dialog.get();
    const int count = static_cast<int>(buttons.size());
    if (defaultButton >= 0 && defaultButton < count)
        dialog->onReturn = [frame, defaultButton] { frame->end(defaultButton + 1); };
    if (cancelButton >= 0 && cancelButton < count)
        dialog->onEscape = [frame, cancelButton] { frame->end(cancelButton + 1); };
    const std::int32_t result = dialog->runModal(owner, windowTitle);
    return result >= 1 && result <= count ? result - 1 : -1;
}

CAlertPanel::CAlertPanel(CDialogFrame* dialog, Layout layout, const std::vector<std::string>& buttons,
                         int defaultButton)
    : CViewContainer(layout.size, dialog), m_dialog(dialog), m_layout(std::move(layout))
{
    setBackgroundColor(kBackground);
    for (std::size_t i = 0; i < buttons.size(); ++i)
    {
        auto* button = new CTextButton(m_layout.buttons[i], this, static_cast<std::int64_t>(i), buttons[i].c_str());
        button->setDefault(static_cast<int>(i) == defaultButton);
        addView(button);
    }
}

void CAlertPanel::valueChanged(CControl* control)
{
    if (control->getValue() != 0.0f)
        m_dialog->end(static_cast<std::int32_t>(control->getTag()) + 1);
}

void CAlertPanel::drawBackgroundRect(CDrawContext* context, const CRect& updateRect)
{
    CViewContainer::drawBackgroundRect(context, updateRect);
    context->setFontColor(kText);
    CCoord y = kMargin;
    context->setFont(kFontSystem, 0, kBoldFace);
    for (const std::string& line : m_layout.messageLines)
    {
        context->drawString(line.c_str(), CRect(kMargin, y, kWidth - kMargin, y + kMessageLineHeight), kLeftText,
                            true);
        y += kMessageLineHeight;
    }
    y += kParagraphGap;
    context->setFont(kFontSystem, 0, kNormalFace);
    for (const std::string& line : m_layout.informativeLines)
    {
        context->drawString(line.c_str(), CRect(kMargin, y, kWidth - kMargin, y + kInformativeLineHeight),
                            kLeftText, true);
        y += kInformativeLineHeight;
    }
}
