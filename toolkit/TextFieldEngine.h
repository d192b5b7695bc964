#pragma once

#include <cstddef>
#include <string>

#include "toolkit/BaseTypes.h"

// The editing state of a single-line text field, apart from any window: a
// UTF-8 buffer of bounded size, the caret and the selection as byte offsets
// that always sit on character boundaries, and the keys that edit them.
// Keys that end or move the editing come back as commands for the owner.
class TextFieldEngine
{
public:
    enum Action
    {
        kNotHandled,
        kChanged,
        kReturn,
        kTab,
        kBackTab,
        kCancel,
        // The selection was copied (and, for a cut, removed): copiedText().
        kCopy,
        // The owner inserts the clipboard's text.
        kPaste,
    };

    explicit TextFieldEngine(std::size_t maxBytes = 255);

    // Text without control characters (below 0x20, and 0x7F): a single
    // line never holds them, however they came (typed, pasted, set).
    static std::string withoutControls(const std::string& text);

    // Made valid UTF-8 without control characters, cut to the limit at a
    // character boundary; every character is selected, as when a field
    // starts editing.
    void setText(const std::string& text);
    const std::string& getText() const { return m_text; }
    std::size_t getMaxBytes() const { return m_maxBytes; }

    std::size_t getCaret() const { return m_caret; }
    std::size_t getSelectionStart() const;
    std::size_t getSelectionEnd() const;
    bool hasSelection() const { return m_anchor != m_caret; }
    std::string getSelectedText() const;

    // Moves the caret to the character boundary at or before offset; with
    // extend the selection grows from its anchor instead of collapsing.
    void setCaret(std::size_t offset, bool extend = false);
    void selectAll();
    // Replaces the selection with text (control characters dropped, cut to
    // what still fits); false when nothing changed.
    bool insert(const std::string& text);
    bool deleteBackward();
    bool deleteForward();

    // Editing keys with the toolkit's virtual keys and modifier bits:
    // arrows (Shift extends), Home and End, Up and Down as Home and End,
    // Backspace, Delete, Command-A/C/X/V, a plain character, and the
    // commands Return, Enter, Escape, Tab and Shift-Tab.
    Action onKeyDown(const VstKeyCode& key);

    const std::string& copiedText() const { return m_copied; }

private:
    std::size_t previousBoundary(std::size_t offset) const;
    std::size_t nextBoundary(std::size_t offset) const;
    void deleteSelection();

    std::size_t m_maxBytes;
    std::string m_text;
    std::size_t m_caret = 0;
    std::size_t m_anchor = 0;
    std::string m_copied;
};
