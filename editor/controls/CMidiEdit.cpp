#include "editor/controls/CMidiEdit.h"

#include "toolkit/CFontDesc.h"
#include "toolkit/SharedPointer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
const CColor kMidiEditBack{242, 210, 158, 255};
} // namespace

CMidiEdit::CMidiEdit(const CRect& size, CControlListener* listener, std::int64_t tag, CFontDesc* font)
    : CTextEdit(size, listener, tag)
{
    setFont(font ? font : kFontHelvetica10);
    setFontColor(kColorBlack);
    setFrameColor(kColorBlack);
    setBackColor(kMidiEditBack);
    setMin(static_cast<float>(kNone));
    setMax(static_cast<float>(kHighest));
    m_value = static_cast<float>(kNone);
}

void CMidiEdit::setMidiNumber(std::int64_t n)
{
    if (n == m_number)
        return;
    m_number = n;
    char text[16];
    if (n < 0)
        std::snprintf(text, sizeof text, "---");
    else
        std::snprintf(text, sizeof text, "%3d", static_cast<int>(n));
    setText(text);
    m_value = static_cast<float>(n < 0 ? kNone : n);
    setDirty(true);
}

std::int64_t CMidiEdit::takeText(const char* text)
{
    std::string typed = text ? text : "";
    const auto first = typed.find_first_not_of(' ');
    const auto last = typed.find_last_not_of(' ');
    typed = first == std::string::npos ? std::string() : typed.substr(first, last - first + 1);

    std::int64_t number = m_number;
    const auto isDash = [](char c) { return c == '-'; };
    const auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    if (!typed.empty() && std::all_of(typed.begin(), typed.end(), isDash))
        number = kNone;
    else if (!typed.empty() && typed.size() <= 3 && std::all_of(typed.begin(), typed.end(), isDigit) &&
             std::stoi(typed) <= kHighest)
        number = std::stoi(typed);
    // The box shows the number again whatever was typed.
    m_number = kUnset;
    setMidiNumber(number);
    return number;
}

void CMidiEdit::looseFocus()
{
    if (!isEditing())
    {
        CTextEdit::looseFocus();
        return;
    }
    SharedPointer<CMidiEdit> self(this);
    const std::int64_t before = m_number;
    CControlListener* listener = m_listener;
    m_listener = nullptr;
    CTextEdit::looseFocus();
    m_listener = listener;
    char typed[kTextBufferSize];
    getText(typed);
    if (takeText(typed) != before && m_listener)
        m_listener->valueChanged(this);
}

bool CMidiEdit::isTypeOf(const char* className) const
{
    return std::strcmp(className, "CMidiEdit") == 0 || CTextEdit::isTypeOf(className);
}

CView* CMidiEdit::newCopy() const
{
    return new CMidiEdit(*this);
}
