#include "toolkit/TextFieldEngine.h"

#include "Source/shared/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
VstKeyCode virtualKey(unsigned char virt, unsigned char modifier = 0)
{
    return VstKeyCode{0, virt, modifier};
}

VstKeyCode character(char32_t c, unsigned char modifier = 0)
{
    return VstKeyCode{static_cast<VstInt32>(c), 0, modifier};
}

// A field holding text with the caret at its end.
TextFieldEngine fieldWith(const std::string& text, std::size_t maxBytes = 255)
{
    TextFieldEngine engine(maxBytes);
    engine.setText(text);
    engine.setCaret(engine.getText().size());
    return engine;
}
} // namespace

TEST(TextFieldEngine, StartsWithEverythingSelectedAndTypingReplacesIt)
{
    TextFieldEngine engine;
    engine.setText("old");
    EXPECT_EQ(engine.getSelectedText(), "old");
    EXPECT_EQ(engine.onKeyDown(character('n')), TextFieldEngine::kChanged);
    EXPECT_EQ(engine.getText(), "n");
    EXPECT_EQ(engine.getCaret(), 1u);
    EXPECT_FALSE(engine.hasSelection());
}

TEST(TextFieldEngine, EditsStepOverWholeMultiByteCharacters)
{
    // "a", e-acute (2 bytes), euro sign (3 bytes), a musical G clef (4 bytes).
    TextFieldEngine engine = fieldWith("a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E");
    engine.onKeyDown(virtualKey(VKEY_LEFT));
    EXPECT_EQ(engine.getCaret(), 6u);
    engine.onKeyDown(virtualKey(VKEY_BACK));
    EXPECT_EQ(engine.getText(), "a\xC3\xA9\xF0\x9D\x84\x9E");
    engine.onKeyDown(virtualKey(VKEY_HOME));
    engine.onKeyDown(virtualKey(VKEY_RIGHT));
    engine.onKeyDown(virtualKey(VKEY_DELETE));
    EXPECT_EQ(engine.getText(), "a\xF0\x9D\x84\x9E");
    // Shift extends the selection by characters too.
    engine.onKeyDown(virtualKey(VKEY_RIGHT, kKeyModShift));
    EXPECT_EQ(engine.getSelectedText(), "\xF0\x9D\x84\x9E");
    // A caret put inside a character lands on its start.
    engine.setCaret(3);
    EXPECT_EQ(engine.getCaret(), 1u);
    EXPECT_TRUE(Utf8::isValid(engine.getText().data(), engine.getText().size()));
}

TEST(TextFieldEngine, NeverHoldsMoreThanItsLimitAndCutsAtACharacterBoundary)
{
    std::string long_(254, 'x');
    TextFieldEngine engine = fieldWith(long_ + "\xE2\x82\xAC"); // 257 bytes offered
    EXPECT_EQ(engine.getText(), long_);                          // the euro sign does not fit whole
    EXPECT_FALSE(engine.insert("\xC3\xA9"));                     // 256 would be one too many
    EXPECT_TRUE(engine.insert("y"));
    EXPECT_EQ(engine.getText().size(), 255u);
    EXPECT_EQ(engine.onKeyDown(character(U'z')), TextFieldEngine::kChanged);
    EXPECT_EQ(engine.getText().size(), 255u);
    // A replacement may use the room its selection frees.
    engine.selectAll();
    engine.insert(std::string(300, 'q'));
    EXPECT_EQ(engine.getText(), std::string(255, 'q'));
    // Bad bytes are made valid before they are cut.
    engine.setText("ab\xFF");
    EXPECT_EQ(engine.getText(), "ab\xEF\xBF\xBD");
}

TEST(TextFieldEngine, ControlCharactersNeverEnterTheText)
{
    TextFieldEngine engine = fieldWith("");
    engine.insert("one\ttwo\nthree\x7F");
    EXPECT_EQ(engine.getText(), "onetwothree");
    EXPECT_EQ(engine.onKeyDown(character(0x1B)), TextFieldEngine::kNotHandled);
    engine.setText("a\x1B" "b\x7F");
    EXPECT_EQ(engine.getText(), "ab");
}

TEST(TextFieldEngine, ArrowsCollapseASelectionAndHomeEndMove)
{
    TextFieldEngine engine;
    engine.setText("hello");
    engine.onKeyDown(virtualKey(VKEY_LEFT));
    EXPECT_EQ(engine.getCaret(), 0u);
    EXPECT_FALSE(engine.hasSelection());
    engine.onKeyDown(virtualKey(VKEY_END, kKeyModShift));
    EXPECT_EQ(engine.getSelectedText(), "hello");
    engine.onKeyDown(virtualKey(VKEY_RIGHT));
    EXPECT_EQ(engine.getCaret(), 5u);
    engine.onKeyDown(virtualKey(VKEY_UP));
    EXPECT_EQ(engine.getCaret(), 0u);
    engine.onKeyDown(virtualKey(VKEY_DOWN));
    EXPECT_EQ(engine.getCaret(), 5u);
}

TEST(TextFieldEngine, CommandsGoBackToTheOwner)
{
    TextFieldEngine engine = fieldWith("abc");
    EXPECT_EQ(engine.onKeyDown(virtualKey(VKEY_RETURN)), TextFieldEngine::kReturn);
    EXPECT_EQ(engine.onKeyDown(virtualKey(VKEY_ENTER)), TextFieldEngine::kReturn);
    EXPECT_EQ(engine.onKeyDown(virtualKey(VKEY_ESCAPE)), TextFieldEngine::kCancel);
    EXPECT_EQ(engine.onKeyDown(virtualKey(VKEY_TAB)), TextFieldEngine::kTab);
    EXPECT_EQ(engine.onKeyDown(virtualKey(VKEY_TAB, kKeyModShift)), TextFieldEngine::kBackTab);
    EXPECT_EQ(engine.onKeyDown(virtualKey(VKEY_F1)), TextFieldEngine::kNotHandled);
    EXPECT_EQ(engine.getText(), "abc");
}

TEST(TextFieldEngine, CommandKeysSelectCopyCutAndAskToPaste)
{
    TextFieldEngine engine = fieldWith("abc");
    EXPECT_EQ(engine.onKeyDown(character('a', kKeyModCommand)), TextFieldEngine::kChanged);
    EXPECT_EQ(engine.getSelectedText(), "abc");
    EXPECT_EQ(engine.onKeyDown(character('c', kKeyModCommand)), TextFieldEngine::kCopy);
    EXPECT_EQ(engine.copiedText(), "abc");
    EXPECT_EQ(engine.getText(), "abc");
    engine.onKeyDown(virtualKey(VKEY_LEFT, kKeyModShift));
    EXPECT_EQ(engine.onKeyDown(character('x', kKeyModCommand)), TextFieldEngine::kCopy);
    EXPECT_EQ(engine.copiedText(), "ab");
    EXPECT_EQ(engine.getText(), "c");
    EXPECT_EQ(engine.onKeyDown(character('v', kKeyModCommand)), TextFieldEngine::kPaste);
    // A Command key that means nothing here types nothing either.
    EXPECT_EQ(engine.onKeyDown(character('q', kKeyModCommand)), TextFieldEngine::kNotHandled);
    EXPECT_EQ(engine.getText(), "c");
}
