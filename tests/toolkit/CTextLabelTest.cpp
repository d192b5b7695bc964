#include "toolkit/CTextLabel.h"

#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <string>

TEST(CTextLabel, KeepsItsOwnCopyAndIsDirtyOnlyWhenItChanges)
{
    std::string source = "Cutoff";
    CTextLabel label(CRect(0, 0, 60, 20), source.c_str());
    source = "Other";
    EXPECT_STREQ(label.getText(), "Cutoff");
    label.setDirty(false);
    label.setText("Cutoff");
    EXPECT_FALSE(label.isDirty());
    label.setText(nullptr);
    EXPECT_EQ(label.getText(), nullptr);
    EXPECT_TRUE(label.isDirty());
    label.setDirty(false);
    label.setText(nullptr);
    EXPECT_FALSE(label.isDirty());

    label.setText("Resonance");
    TestCanvas canvas(60, 20);
    label.draw(canvas.context());
    EXPECT_FALSE(label.isDirty());
    std::unique_ptr<CView, void (*)(CView*)> copy(label.newCopy(), [](CView* v) { v->forget(); });
    EXPECT_STREQ(static_cast<CTextLabel*>(copy.get())->getText(), "Resonance");
}
