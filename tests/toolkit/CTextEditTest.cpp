#include "toolkit/CTextEdit.h"

#include "support/EditorHarness.h"
#include "support/RecordingListener.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// An open editor with a text edit (tag 7) inside a container at (10, 10).
struct OpenEdit
{
    explicit OpenEdit(std::int64_t style = 0)
    {
        box = new CViewContainer(CRect(10, 10, 190, 90), open.frame());
        open.frame()->addView(box);
        edit = new CTextEdit(CRect(5, 5, 85, 25), &listener, 7, "Init", nullptr, style);
        box->addView(edit);
    }
    CMouseEventResult click(CButtonState buttons = kButtonLeft)
    {
        CPoint where(20, 20);
        return open.frame()->onMouseDown(where, buttons);
    }
    FakeTextField* field() const { return open.window->textFields.empty() ? nullptr : open.window->textFields.back(); }
    bool command(PlatformTextFieldListener::Command what) { return field()->listener->onTextFieldCommand(what); }

    EditorHarness open;
    RecordingListener listener;
    CViewContainer* box;
    CTextEdit* edit;
};
} // namespace

TEST(CTextEdit, AClickEditsInAFieldAndReturnCommitsTheTypedText)
{
    OpenEdit e;
    EXPECT_EQ(e.click(), kMouseResultHandledNoTracking);
    ASSERT_NE(e.field(), nullptr);
    EXPECT_EQ(e.field()->text, "Init");
    EXPECT_EQ(e.field()->rect, CRect(15, 15, 95, 35));
    EXPECT_EQ(e.open.frame()->getFocusView(), e.edit);
    EXPECT_EQ(e.open.hostEdits(), "begin 7");

    e.field()->text = "Typed";
    EXPECT_STREQ(e.edit->getTextPointer(), "Init");
    EXPECT_TRUE(e.command(PlatformTextFieldListener::kReturn));
    EXPECT_EQ(e.field(), nullptr);
    EXPECT_STREQ(e.edit->getTextPointer(), "Typed");
    EXPECT_TRUE(e.edit->getReturnPressed());
    EXPECT_FALSE(e.edit->isEditing());
    EXPECT_EQ(e.open.frame()->getFocusView(), nullptr);
    EXPECT_EQ(e.open.hostEdits(), "begin 7 end 7");
    EXPECT_EQ(e.listener.log, (std::vector<std::string>{"begin 7", "end 7", "changed 7 0"}));
}

TEST(CTextEdit, LosingTheFocusCommitsAndAnUnchangedTextIsNotReported)
{
    OpenEdit e;
    e.click();
    CPoint elsewhere(150, 80);
    e.open.frame()->onMouseDown(elsewhere, kButtonLeft);
    EXPECT_EQ(e.field(), nullptr);
    EXPECT_EQ(e.open.hostEdits(), "begin 7 end 7");
    EXPECT_EQ(e.listener.log, (std::vector<std::string>{"begin 7", "end 7"}));

    // Escape ends the edit too, keeping what was typed.
    e.click();
    e.field()->text = "Escaped";
    EXPECT_TRUE(e.command(PlatformTextFieldListener::kCancel));
    EXPECT_EQ(e.field(), nullptr);
    EXPECT_FALSE(e.edit->getReturnPressed());
    EXPECT_STREQ(e.edit->getTextPointer(), "Escaped");
}

TEST(CTextEdit, TabEndsThisEditAndStartsTheNextOne)
{
    OpenEdit e;
    auto* next = new CTextEdit(CRect(5, 40, 85, 60), &e.listener, 8, "Next");
    e.box->addView(next);
    e.click();
    e.field()->text = "First";
    EXPECT_TRUE(e.command(PlatformTextFieldListener::kTab));
    EXPECT_STREQ(e.edit->getTextPointer(), "First");
    ASSERT_EQ(e.open.window->textFields.size(), 1u);
    EXPECT_EQ(e.field()->text, "Next");
    EXPECT_EQ(e.open.frame()->getFocusView(), next);
    EXPECT_TRUE(e.command(PlatformTextFieldListener::kBackTab));
    EXPECT_EQ(e.field()->text, "First");
}

TEST(CTextEdit, RemovedOrDestroyedWhileEditingItTakesItsFieldAlongAndReportsNothing)
{
    OpenEdit removed;
    removed.click();
    removed.field()->text = "Lost";
    removed.box->removeView(removed.edit);
    EXPECT_TRUE(removed.open.window->textFields.empty());
    EXPECT_EQ(removed.open.hostEdits(), "begin 7 end 7");
    EXPECT_EQ(removed.listener.log, (std::vector<std::string>{"begin 7"}));

    // Closing the editor while typing.
    OpenEdit closed;
    closed.click();
    closed.field()->text = "Lost";
    closed.open.editor->close();
    EXPECT_EQ(closed.listener.log, (std::vector<std::string>{"begin 7"}));

    // A detached edit that was given the focus by hand dies editing.
    auto* loose = new CTextEdit(CRect(0, 0, 10, 10), &removed.listener, 9, "x");
    loose->takeFocus();
    EXPECT_TRUE(loose->isEditing());
    loose->forget();
}

TEST(CTextEdit, EveryCopyOfTheTextIsCutAtACharacterBoundaryWithin255Bytes)
{
    std::string longText(300, 'a');
    CTextEdit edit(CRect(0, 0, 10, 10), nullptr, 0, longText.c_str());
    EXPECT_EQ(std::string(edit.getTextPointer()), std::string(255, 'a'));

    // A two-byte character that would straddle the limit is left out.
    std::string accented = std::string(254, 'b') + "\xC3\xA9" + "c";
    edit.setText(accented.c_str());
    EXPECT_EQ(std::string(edit.getTextPointer()), std::string(254, 'b'));
    char out[256];
    edit.getText(out);
    EXPECT_STREQ(out, edit.getTextPointer());

    OpenEdit e;
    e.click();
    e.field()->text = std::string(253, 'd') + "\xE2\x82\xAC";
    e.command(PlatformTextFieldListener::kReturn);
    EXPECT_EQ(std::string(e.edit->getTextPointer()), std::string(253, 'd'));
}

TEST(CTextEdit, ControlCharactersTypedPastedOrSetNeverEnterTheText)
{
    OpenEdit e;
    e.click();
    // As a field would hold them after a paste.
    e.field()->text = "Sa\x1B" "ved\t\x7F";
    e.command(PlatformTextFieldListener::kReturn);
    EXPECT_STREQ(e.edit->getTextPointer(), "Saved");
    e.edit->setText("New\x1B" "er\n");
    EXPECT_STREQ(e.edit->getTextPointer(), "Newer");
    e.click();
    EXPECT_EQ(e.field()->text, "Newer");
}

TEST(CTextEdit, ADoubleClickStyleIgnoresSingleClicks)
{
    OpenEdit e(kDoubleClickStyle);
    EXPECT_EQ(e.click(), kMouseResultNotHandled);
    EXPECT_EQ(e.field(), nullptr);
    EXPECT_EQ(e.click(kButtonLeft | kDoubleClick), kMouseResultHandledNoTracking);
    EXPECT_NE(e.field(), nullptr);
    EXPECT_EQ(e.click(kButtonRight), kMouseResultNotHandled);
}

TEST(CTextEdit, WithoutAWindowTheEditBeginsAndEndsWithoutAField)
{
    ToolkitHostEffect effect;
    auto* editor = new ToolkitTestEditor(&effect);
    CFrame frame(CRect(0, 0, 100, 100), editor);
    RecordingListener listener;
    auto* edit = new CTextEdit(CRect(0, 0, 50, 20), &listener, 3, "Same");
    frame.addView(edit);
    CPoint where(5, 5);
    EXPECT_EQ(frame.onMouseDown(where, kButtonLeft), kMouseResultHandledNoTracking);
    EXPECT_TRUE(edit->isEditing());
    frame.setFocusView(nullptr);
    EXPECT_FALSE(edit->isEditing());
    EXPECT_STREQ(edit->getTextPointer(), "Same");
    EXPECT_EQ(listener.log, (std::vector<std::string>{"begin 3", "end 3"}));
}

TEST(CTextEdit, ShowsItsTextThroughTheEditConversionAndNothingWhileEditing)
{
    OpenEdit e;
    e.edit->setTextEditConvert([](char* text, char* display) { std::snprintf(display, 256, "[%s]", text); });
    TestCanvas idle(200, 100);
    e.edit->draw(idle.context());
    EXPECT_FALSE(e.edit->isDirty());
    e.click();
    e.edit->setDirty(true);
    TestCanvas editing(200, 100);
    e.edit->draw(editing.context());
    EXPECT_FALSE(e.edit->isDirty());
    EXPECT_EQ(editing.pixel(10, 10), 0u);
    EXPECT_NE(idle.pixel(10, 10), 0u);
}
