#include "toolkit/TextFieldEngine.h"

#include <algorithm>

#include "Source/shared/Utf8.h"

namespace
{
bool isContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The UTF-8 bytes of one code point (a valid, non-surrogate one).
std::string encode(std::uint32_t codePoint)
{
    std::string out;
    if (codePoint < 0x80)
        out += static_cast<char>(codePoint);
    else if (codePoint < 0x800)
    {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    else if (codePoint < 0x10000)
    {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return out;
}
} // namespace

TextFieldEngine::TextFieldEngine(std::size_t maxBytes) : m_maxBytes(maxBytes) {}

std::string TextFieldEngine::withoutControls(const std::string& text)
{
    // The bytes of a multi-byte character are all 0x80 or above.
    std::string clean;
    clean.reserve(text.size());
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            clean += c;
    return clean;
}

void TextFieldEngine::setText(const std::string& text)
{
    std::string valid = withoutControls(Utf8::makeValid(text));
    valid.resize(Utf8::cutLength(valid.data(), valid.size(), m_maxBytes));
    m_text = std::move(valid);
    selectAll();
}

std::size_t TextFieldEngine::getSelectionStart() const
{
    return std::min(m_anchor, m_caret);
}

std::size_t TextFieldEngine::getSelectionEnd() const
{
    return std::max(m_anchor, m_caret);
}

std::string TextFieldEngine::getSelectedText() const
{
    return m_text.substr(getSelectionStart(), getSelectionEnd() - getSelectionStart());
}

std::size_t TextFieldEngine::previousBoundary(std::size_t offset) const
{
    if (offset == 0)
        return 0;
    --offset;
    while (offset > 0 && isContinuation(m_text[offset]))
        --offset;
    return offset;
}

std::size_t TextFieldEngine::nextBoundary(std::size_t offset) const
{
    if (offset >= m_text.size())
        return m_text.size();
    ++offset;
    while (offset < m_text.size() && isContinuation(m_text[offset]))
        ++offset;
    return offset;
}

void TextFieldEngine::setCaret(std::size_t offset, bool extend)
{
    offset = std::min(offset, m_text.size());
    while (offset > 0 && offset < m_text.size() && isContinuation(m_text[offset]))
        --offset;
    m_caret = offset;
    if (!extend)
        m_anchor = offset;
}

void TextFieldEngine::selectAll()
{
    m_anchor = 0;
    m_caret = m_text.size();
}

void TextFieldEngine::deleteSelection()
{
    std::size_t start = getSelectionStart();
    m_text.erase(start, getSelectionEnd() - start);
    m_caret = m_anchor = start;
}

bool TextFieldEngine::insert(const std::string& text)
{
    std::string clean = withoutControls(Utf8::makeValid(text));
    std::size_t room = m_maxBytes - (m_text.size() - (getSelectionEnd() - getSelectionStart()));
    clean.resize(Utf8::cutLength(clean.data(), clean.size(), room));
    if (clean.empty() && !hasSelection())
        return false;
    deleteSelection();
    m_text.insert(m_caret, clean);
    m_caret += clean.size();
    m_anchor = m_caret;
    return true;
}

bool TextFieldEngine::deleteBackward()
{
    if (!hasSelection())
        m_anchor = previousBoundary(m_caret);
    if (!hasSelection())
        return false;
    deleteSelection();
    return true;
}

bool TextFieldEngine::deleteForward()
{
    if (!hasSelection())
        m_anchor = nextBoundary(m_caret);
    if (!hasSelection())
        return false;
    deleteSelection();
    return true;
}

TextFieldEngine::Action TextFieldEngine::onKeyDown(const VstKeyCode& key)
{
    const bool shift = (key.modifier & kKeyModShift) != 0;
    const bool command = (key.modifier & kKeyModCommand) != 0;
    auto moveTo = [&](std::size_t offset) {
        setCaret(offset, shift);
        return kChanged;
    };
    switch (key.virt)
    {
    case VKEY_RETURN:
    case VKEY_ENTER:
        return kReturn;
    case VKEY_ESCAPE:
        return kCancel;
    case VKEY_TAB:
        return shift ? kBackTab : kTab;
    case VKEY_BACK:
        deleteBackward();
        return kChanged;
    case VKEY_DELETE:
        deleteForward();
        return kChanged;
    case VKEY_LEFT:
        // Without Shift a selection collapses to its near end.
        if (hasSelection() && !shift)
            return moveTo(getSelectionStart());
        return moveTo(previousBoundary(m_caret));
    case VKEY_RIGHT:
        if (hasSelection() && !shift)
            return moveTo(getSelectionEnd());
        return moveTo(nextBoundary(m_caret));
    case VKEY_HOME:
    case VKEY_UP:
        return moveTo(0);
    case VKEY_END:
    case VKEY_DOWN:
        return moveTo(m_text.size());
    case VKEY_SPACE:
        if (command)
            return kNotHandled;
        insert(" ");
        return kChanged;
    case 0:
        break;
    default:
        return kNotHandled;
    }
    const std::int32_t character = key.character;
    if (command)
    {
        switch (character)
        {
        case 'a':
        case 'A':
            selectAll();
            return kChanged;
        case 'c':
        case 'C':
        case 'x':
        case 'X':
            if (!hasSelection())
                return kChanged;
            m_copied = getSelectedText();
            if (character == 'x' || character == 'X')
                deleteSelection();
            return kCopy;
        case 'v':
        case 'V':
            return kPaste;
        default:
            return kNotHandled;
        }
    }
    if (character < 0x20 || character == 0x7F || character > 0x10FFFF || (character >= 0xD800 && character < 0xE000))
        return kNotHandled;
    insert(encode(static_cast<std::uint32_t>(character)));
    return kChanged;
}
