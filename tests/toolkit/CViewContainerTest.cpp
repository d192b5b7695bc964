#include "toolkit/CFrame.h"
#include "toolkit/CViewContainer.h"
#include "toolkit/CListDragContainer.h"

#include "support/FakePlatform.h"
#include "support/SpyView.h"
#include "support/TestCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Log = std::vector<std::string>;

namespace
{
int destroyedViews = 0;

struct CountedView : CView
{
    using CView::CView;
    ~CountedView() override { ++destroyedViews; }
};

// A frame without a window holding one container at (10, 10, 90, 90).
struct Tree
{
    Tree()
    {
        frame = new CFrame(CRect(0, 0, 100, 100), nullptr);
        container = new CViewContainer(CRect(10, 10, 90, 90), frame);
        frame->addView(container);
    }
    ~Tree() { frame->release(); }

    CFrame* frame;
    CViewContainer* container;
};
} // namespace

TEST(CViewContainer, AddTakesAReferenceAndRemovalDropsOneOrBoth)
{
    destroyedViews = 0;
    Tree tree;
    auto* view = new CountedView(CRect(0, 0, 10, 10));
    EXPECT_TRUE(tree.container->addView(view));
    EXPECT_EQ(view->getNbReference(), 2);
    EXPECT_FALSE(tree.container->addView(view)); // already attached
    EXPECT_FALSE(tree.container->addView(nullptr));

    EXPECT_TRUE(tree.container->removeView(view, false));
    EXPECT_EQ(view->getNbReference(), 1);
    EXPECT_FALSE(view->isAttached());
    EXPECT_FALSE(tree.container->removeView(view));

    tree.container->addView(view);
    tree.container->removeView(view, true);
    EXPECT_EQ(destroyedViews, 1);

    tree.container->addView(new CountedView(CRect(0, 0, 5, 5)));
    tree.container->addView(new CountedView(CRect(5, 5, 9, 9)));
    tree.frame->removeView(tree.container, true);
    EXPECT_EQ(destroyedViews, 3);
}

TEST(CViewContainer, InsertsBeforeAChildOrBeforeTheLastOne)
{
    Tree tree;
    CView* a = new CView(CRect());
    CView* b = new CView(CRect());
    CView* c = new CView(CRect());
    CView* d = new CView(CRect());
    tree.container->addView(a);
    tree.container->addView(b);
    tree.container->addView(c, a);
    auto* stranger = new CView(CRect());
    tree.container->addView(d, stranger);
    stranger->release();
    EXPECT_EQ(tree.container->getView(0), c);
    EXPECT_EQ(tree.container->getView(1), a);
    EXPECT_EQ(tree.container->getView(2), d);
    EXPECT_EQ(tree.container->getView(3), b);
    EXPECT_EQ(tree.container->getView(4), nullptr);
}

TEST(CViewContainer, TheChildAddedLastTakesTheClickAndNoTrackingIsNotFollowed)
{
    Log log;
    Tree tree;
    tree.container->addView(new SpyView(CRect(0, 0, 50, 50), log, "A"));
    tree.container->addView(new SpyView(CRect(20, 20, 60, 60), log, "B", kMouseResultHandledNoTracking));

    CPoint where(40, 40);
    EXPECT_EQ(tree.container->onMouseDown(where, kButtonLeft), kMouseResultHandledNoTracking);
    EXPECT_EQ(tree.container->getMouseDownView(), nullptr);
    EXPECT_EQ(tree.container->onMouseMoved(where, kButtonLeft), kMouseResultNotHandled);
    CPoint onlyA(15, 15);
    EXPECT_EQ(tree.container->onMouseDown(onlyA, kButtonLeft), kMouseResultHandled);
    tree.container->onMouseMoved(onlyA, kButtonLeft);
    tree.container->onMouseUp(onlyA, kButtonLeft);
    EXPECT_EQ(log, (Log{"B down 30,30", "A down 5,5", "A moved 5,5", "A up 5,5"}));
}

TEST(CViewContainer, AControlsListenerIsAskedFirstOnRightOrModifiedClicks)
{
    Log log;
    Tree tree;
    auto* control = new SpyView(CRect(0, 0, 20, 20), log, "control");
    control->isControl = true;
    control->modifierAnswer = 1;
    tree.container->addView(control);
    auto* plain = new SpyView(CRect(30, 0, 50, 20), log, "plain");
    tree.container->addView(plain);

    CPoint onControl(20, 20);
    EXPECT_EQ(tree.container->onMouseDown(onControl, kButtonRight), kMouseResultHandled);
    EXPECT_EQ(tree.container->getMouseDownView(), nullptr);
    tree.container->onMouseDown(onControl, kButtonLeft | kModCommand);
    control->modifierAnswer = 0;
    tree.container->onMouseDown(onControl, kButtonLeft | kModShift);
    tree.container->onMouseDown(onControl, kButtonLeft);
    CPoint onPlain(50, 20);
    tree.container->onMouseDown(onPlain, kButtonRight);
    EXPECT_EQ(log, (Log{"control modifierClicked", "control modifierClicked", "control modifierClicked",
                        "control down 10,10", "control down 10,10", "plain down 40,10"}));
}

TEST(CViewContainer, TheWheelReachesOnlyTheViewUnderThePointer)
{
    Log log;
    Tree tree;
    tree.container->addView(new SpyView(CRect(0, 0, 20, 20), log, "A"));
    tree.container->addView(new SpyView(CRect(40, 0, 60, 20), log, "B"));
    EXPECT_TRUE(tree.frame->onWheel(CPoint(55, 15), 3.0f, 0));
    EXPECT_FALSE(tree.frame->onWheel(CPoint(40, 60), 1.0f, 0));
    // A horizontal wheel turns the other way unless Shift is held.
    tree.frame->onWheel(CPoint(15, 15), kWheelAxisX, 2.0f, 0);
    tree.frame->onWheel(CPoint(15, 15), kWheelAxisX, 2.0f, kModShift);
    EXPECT_EQ(log, (Log{"B wheel 3 45,5", "A wheel -2 5,5", "A wheel 2 5,5"}));
}

TEST(CViewContainer, DragsEnterMoveLeaveAndDropOnTheChildUnderThePointer)
{
    Log log;
    Tree tree;
    tree.container->addView(new SpyView(CRect(0, 0, 20, 20), log, "A"));
    tree.container->addView(new SpyView(CRect(40, 0, 60, 20), log, "B"));
    CListDragContainer* drag = CListDragContainer::makeFiles({"/tmp/a.hrm", "/tmp/b.fxp"});

    tree.frame->onDragEnter(drag, CPoint(15, 15));
    tree.frame->onDragMove(drag, CPoint(16, 15));
    tree.frame->onDragMove(drag, CPoint(55, 15));
    tree.frame->onDragMove(drag, CPoint(32, 15));
    EXPECT_TRUE(tree.frame->onDrop(drag, CPoint(56, 16)));
    tree.frame->onDragLeave(drag, CPoint(56, 16));
    EXPECT_FALSE(tree.frame->onDrop(drag, CPoint(30, 60)));
    EXPECT_EQ(log, (Log{"A enter 5,5", "A move 6,5", "A leave 45,5", "B enter 45,5", "B leave 22,5", "B enter 46,6",
                        "B drop 46,6", "B leave 46,6"}));

    std::int64_t size = 0;
    std::int32_t type = 0;
    EXPECT_STREQ(static_cast<const char*>(drag->first(size, type)), "/tmp/a.hrm");
    EXPECT_EQ(type, kDragFile);
    drag->next(size, type);
    EXPECT_EQ(drag->next(size, type), nullptr);
    EXPECT_EQ(type, kDragError);
    drag->release();
}

TEST(CViewContainer, ResizingSharesColumnsAndMovesOrStretchesByTheAutosizeBits)
{
    Tree tree;
    CViewContainer* columns = tree.container;
    columns->setAutosizeFlags(kAutosizeColumn);
    for (int i = 0; i < 3; ++i)
        columns->addView(new CView(CRect(i * 10, 0, i * 10 + 10, 10)));
    columns->setViewSize(CRect(10, 10, 100, 90));
    EXPECT_EQ(columns->getView(0)->getViewSize(), CRect(0, 0, 13, 10));
    EXPECT_EQ(columns->getView(1)->getViewSize(), CRect(13, 0, 26, 10));
    EXPECT_EQ(columns->getView(2)->getViewSize(), CRect(26, 0, 39, 10));
    EXPECT_EQ(columns->getView(2)->getMouseableArea(), CRect(26, 0, 39, 10));

    auto* anchored = new CViewContainer(CRect(0, 0, 50, 50), tree.frame);
    CView* moving = new CView(CRect(5, 5, 15, 15));
    moving->setAutosizeFlags(kAutosizeRight | kAutosizeBottom);
    CView* stretching = new CView(CRect(5, 5, 15, 15));
    stretching->setAutosizeFlags(kAutosizeAll);
    CView* fixed = new CView(CRect(5, 5, 15, 15));
    anchored->addView(moving);
    anchored->addView(stretching);
    anchored->addView(fixed);
    anchored->setViewSize(CRect(0, 0, 60, 45));
    EXPECT_EQ(moving->getViewSize(), CRect(15, 0, 25, 10));
    EXPECT_EQ(stretching->getViewSize(), CRect(5, 5, 25, 10));
    EXPECT_EQ(fixed->getViewSize(), CRect(5, 5, 15, 15));
    anchored->release();
}

TEST(CViewContainer, InvalidationReachesThePlatformAsTheExactFrameRectangle)
{
    FakePlatform platform;
    auto* frame = new CFrame(CRect(0, 0, 200, 200), platform.parentWindow(), nullptr);
    FakePlatformWindow* window = FakePlatform::windowOf(frame);
    auto* container = new CViewContainer(CRect(100, 50, 180, 150), frame);
    frame->addView(container);
    CView* child = new CView(CRect(10, 10, 30, 30));
    CView* overhanging = new CView(CRect(70, 90, 100, 120));
    container->addView(child);
    container->addView(overhanging);
    window->invalidRects.clear();

    child->invalid();
    overhanging->invalid();
    EXPECT_EQ(window->invalidRects, (std::vector<CRect>{CRect(110, 60, 130, 80), CRect(170, 140, 180, 150)}));

    window->invalidRects.clear();
    child->setDirty(true);
    EXPECT_TRUE(container->isDirty());
    frame->idle();
    EXPECT_EQ(window->invalidRects, (std::vector<CRect>{CRect(110, 60, 130, 80)}));
    EXPECT_FALSE(child->isDirty());

    window->invalidRects.clear();
    container->setVisible(false);
    child->invalid();
    EXPECT_TRUE(window->invalidRects.empty());
    frame->release();
}

TEST(CViewContainer, DrawsItsBackgroundColourUnlessTransparentAndOpaque)
{
    Tree tree;
    TestCanvas canvas(100, 100, tree.frame);
    tree.container->setBackgroundColor(kColorRed);
    tree.container->setTransparency(true);
    tree.frame->setBackgroundColor(kColorBlue);
    tree.frame->drawRect(canvas.context(), CRect(0, 0, 100, 100));
    EXPECT_EQ(canvas.pixel(50, 50), argb(kColorBlue));

    tree.container->setTransparency(false);
    tree.frame->drawRect(canvas.context(), CRect(0, 0, 100, 100));
    EXPECT_EQ(canvas.pixel(10, 10), argb(kColorRed));
    EXPECT_EQ(canvas.pixel(89, 89), argb(kColorRed));
    EXPECT_EQ(canvas.pixel(90, 90), argb(kColorBlue));
    EXPECT_EQ(canvas.pixel(9, 50), argb(kColorBlue));
}

TEST(CViewContainer, RemovingTheTrackingChildMidDragLeavesNothingPointingAtIt)
{
    destroyedViews = 0;
    Log log;
    Tree tree;
    auto* inner = new CViewContainer(CRect(0, 0, 60, 60), tree.frame);
    tree.container->addView(inner);
    auto* tracker = new SpyView(CRect(0, 0, 30, 30), log, "T");
    inner->addView(tracker);
    tree.frame->setFocusView(tracker);

    CPoint down(15, 15);
    EXPECT_EQ(tree.frame->onMouseDown(down, kButtonLeft), kMouseResultHandled);
    // The drag removes the tracking view from inside its own handler.
    tracker->onMoved = [&] { inner->removeView(tracker, true); };
    CPoint move(20, 20);
    tree.frame->onMouseMoved(move, kButtonLeft);
    EXPECT_EQ(inner->getNbViews(), 0);
    EXPECT_EQ(inner->getMouseDownView(), nullptr);
    tree.frame->onMouseMoved(move, kButtonLeft);
    tree.frame->onMouseUp(move, 0);
    EXPECT_EQ(log, (Log{"T looseFocus", "T down 5,5", "T moved 10,10"}));

    // Removing a container forgets the focus and mouse-over views inside it.
    auto* focused = new SpyView(CRect(0, 0, 30, 30), log, "F");
    inner->addView(focused);
    tree.frame->setFocusView(focused);
    CPoint over(12, 12);
    tree.frame->onMouseMoved(over, 0);
    EXPECT_EQ(tree.frame->getMouseOverView(), focused);
    tree.frame->removeView(tree.container, true);
    EXPECT_EQ(tree.frame->getFocusView(), nullptr);
    EXPECT_EQ(tree.frame->getMouseOverView(), nullptr);
    tree.frame->onMouseMoved(over, 0);
    tree.frame->onMouseDown(over, kButtonLeft);
}
