#include "toolkit/CSplashScreen.h"

#include "support/EditorHarness.h"
#include "support/RecordingListener.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Log = std::vector<std::string>;

TEST(CSplashScreen, AClickShowsTheViewAndAClickOnTheViewTakesItAway)
{
    EditorHarness open;
    RecordingListener listener;
    auto* splash = new CSplashScreen(CRect(0, 0, 20, 20), &listener, 1, nullptr, CRect(50, 20, 150, 80));
    open.frame()->addView(splash);
    CPoint onSplash(10, 10);
    EXPECT_EQ(open.frame()->onMouseDown(onSplash, kButtonLeft), kMouseResultHandledNoTracking);
    EXPECT_EQ(open.frame()->getModalView(), splash->getModalView());

    CPoint elsewhere(10, 10);
    open.frame()->onMouseDown(elsewhere, kButtonLeft);
    EXPECT_EQ(splash->getValue(), 1.0f);
    CPoint onView(60, 30);
    open.frame()->onMouseDown(onView, kButtonLeft);
    EXPECT_EQ(open.frame()->getModalView(), nullptr);
    EXPECT_EQ(splash->getValue(), 0.0f);
    EXPECT_EQ(listener.log, (Log{"changed 1 1", "changed 1 0"}));
}

TEST(CSplashScreen, ASecondClickWhileNothingCouldBeShownTurnsItBackOff)
{
    EditorHarness open;
    RecordingListener listener;
    auto* splash = new CSplashScreen(CRect(0, 0, 20, 20), &listener, 1, nullptr, CRect(50, 20, 150, 80));
    open.frame()->addView(splash);
    auto* other = new CView(CRect(100, 0, 110, 10));
    open.frame()->setModalView(other);
    CPoint where(10, 10);
    splash->onMouseDown(where, kButtonLeft);
    EXPECT_EQ(splash->getValue(), 1.0f);
    splash->onMouseDown(where, kButtonLeft);
    EXPECT_EQ(splash->getValue(), 0.0f);
    EXPECT_TRUE(listener.log.empty());
    EXPECT_FALSE(splash->hitTest(where, kButtonRight));
    open.frame()->setModalView(nullptr);
    other->release();
}

TEST(CSplashScreen, LeavingTheFrameTakesTheShownViewAlong)
{
    EditorHarness open;
    auto* splash = new CSplashScreen(CRect(0, 0, 20, 20), nullptr, 1, nullptr, CRect(50, 20, 150, 80));
    open.frame()->addView(splash);
    CPoint where(10, 10);
    splash->onMouseDown(where, kButtonLeft);
    splash->retain();
    open.frame()->removeView(splash);
    EXPECT_EQ(open.frame()->getModalView(), nullptr);
    EXPECT_FALSE(splash->getModalView()->isAttached());

    // Emptying the frame leaves the shown view to the splash screen.
    splash->retain();
    open.frame()->addView(splash);
    splash->onMouseDown(where, kButtonLeft);
    open.frame()->removeAll();
    EXPECT_EQ(splash->getModalView()->getNbReference(), 1);
    splash->release();
}
