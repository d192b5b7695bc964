#include "toolkit/BaseTypes.h"
#include "toolkit/CView.h"
#include "toolkit/CViewContainer.h"

#include <gtest/gtest.h>

#include <string>

TEST(BaseTypes, PointInsideExcludesTheFarEdgesButTheHitTestKeepsThemAll)
{
    CRect rect(10, 20, 30, 40);
    EXPECT_TRUE(rect.pointInside(CPoint(10, 20)));
    EXPECT_FALSE(rect.pointInside(CPoint(30, 25)));
    EXPECT_FALSE(rect.pointInside(CPoint(15, 40)));
    EXPECT_TRUE(CPoint(30, 40).isInside(rect));

    // A view whose mouseable area has no width is still hit on its edge.
    auto* view = new CView(CRect(5, 5, 5, 15));
    EXPECT_FALSE(view->getViewSize().pointInside(CPoint(5, 10)));
    EXPECT_TRUE(view->hitTest(CPoint(5, 10)));
    EXPECT_FALSE(view->hitTest(CPoint(6, 10)));
    view->release();
}

TEST(BaseTypes, BoundNeverLeavesANegativeSizeAndOverlapCountsTouchingEdges)
{
    CRect a(0, 0, 10, 10);
    a.bound(CRect(20, 30, 40, 50));
    EXPECT_EQ(a, CRect(20, 30, 20, 30));
    EXPECT_TRUE(a.isEmpty());

    CRect b(0, 0, 10, 10);
    EXPECT_TRUE(b.rectOverlap(CRect(10, 10, 20, 20)));
    EXPECT_FALSE(b.rectOverlap(CRect(11, 0, 20, 10)));
    EXPECT_EQ(CRect(5, 5, 1, 2).normalize(), CRect(1, 2, 5, 5));
}

TEST(BaseTypes, ReleaseDeletesAtTheLastReference)
{
    static int destroyed = 0;
    struct Probe : CBaseObject
    {
        ~Probe() override { ++destroyed; }
    };
    auto* probe = new Probe;
    probe->retain();
    probe->release();
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(probe->getNbReference(), 1);
    probe->release();
    EXPECT_EQ(destroyed, 1);
}

TEST(BaseTypes, MessagesAreComparedByAddressNotText)
{
    auto* container = new CViewContainer(CRect(0, 0, 10, 10), nullptr);
    std::string copy = "kMsgCheckIfViewContainer";
    EXPECT_EQ(container->notify(nullptr, kMsgCheckIfViewContainer), 1);
    EXPECT_EQ(container->notify(nullptr, copy.c_str()), 0);
    container->release();
}
