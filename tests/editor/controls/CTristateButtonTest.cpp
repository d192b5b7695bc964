#include "editor/controls/CTristateButton.h"
#include "editor/controls/CZentrovaTristateButton.h"

#include "support/RecordingListener.h"

#include <gtest/gtest.h>

namespace
{
float clickFrom(float value, CButtonState buttons)
{
    RecordingListener listener;
    CTristateButton button(CRect(0, 0, 10, 10), &listener, 52, nullptr);
    button.setValue(value);
    CPoint where(5, 5);
    EXPECT_EQ(button.onMouseDown(where, buttons), kMouseResultHandledNoTracking);
    EXPECT_EQ(listener.log.size(), 3u);
    return button.getValue();
}
} // namespace

TEST(CTristateButton, AClickGoesToOneAndBackAndOptionGoesThroughTheMiddle)
{
    EXPECT_EQ(clickFrom(0.0f, kButtonLeft), 1.0f);
    EXPECT_EQ(clickFrom(0.5f, kButtonLeft), 1.0f);
    EXPECT_EQ(clickFrom(1.0f, kButtonLeft), 0.0f);
    EXPECT_EQ(clickFrom(0.0f, kButtonLeft | kModOption), 0.5f);
    EXPECT_EQ(clickFrom(0.5f, kButtonLeft | kModOption), 0.0f);
    EXPECT_EQ(clickFrom(1.0f, kButtonLeft | kModOption), 0.5f);
}

TEST(CTristateButton, TheListenerMayTakeAModifiedClickAndOnlyTheLeftButtonCounts)
{
    RecordingListener listener;
    CZentrovaTristateButton button(CRect(0, 100, 10, 110), &listener, 52, nullptr);
    CPoint where(5, 105);
    EXPECT_EQ(button.onMouseDown(where, kButtonRight), kMouseResultNotHandled);
    listener.modifierAnswer = 1;
    button.onMouseDown(where, kButtonLeft | kModShift);
    EXPECT_EQ(listener.log, std::vector<std::string>{"modifier 52"});
    EXPECT_EQ(button.getValue(), 0.0f);
    listener.modifierAnswer = 0;
    button.onMouseDown(where, kButtonLeft | kModCommand);
    EXPECT_EQ(button.getValue(), 1.0f);

    CRect box;
    button.getMidiEditRect(box);
    EXPECT_EQ(box, CRect(-7, 82, 17, 94));
    EXPECT_TRUE(button.isTypeOf("CTristateButton"));
}
