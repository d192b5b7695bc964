#include "toolkit/CTimerRegistry.h"
#include "toolkit/CVSTGUITimer.h"

#include "support/FakeClock.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{
// Counts the ticks it hears and runs an action on each.
struct TickListener : CBaseObject
{
    std::int32_t notify(CBaseObject* sender, const char* message) override
    {
        if (message != CVSTGUITimer::kMsgTimer)
            return 0;
        ++ticks;
        if (onTick)
            onTick(static_cast<CVSTGUITimer*>(sender));
        return 1;
    }
    int ticks = 0;
    std::function<void(CVSTGUITimer*)> onTick;
};

struct Registry
{
    Registry() { CTimerRegistry::setCurrent(&registry); }
    ~Registry() { CTimerRegistry::setCurrent(nullptr); }
    CTimerRegistry registry;
};
} // namespace

TEST(CVSTGUITimer, FiresEachPeriodAtMostOncePerPump)
{
    FakeClock clock(1000);
    Registry timers;
    TickListener listener;
    auto* timer = new CVSTGUITimer(&listener, 100);
    EXPECT_FALSE(timer->isRunning());
    EXPECT_TRUE(timer->start());
    timers.registry.fire(1099);
    EXPECT_EQ(listener.ticks, 0);
    timers.registry.fire(1100);
    timers.registry.fire(1150);
    timers.registry.fire(1200);
    EXPECT_EQ(listener.ticks, 2);
    // A late pump does not catch up on the ticks it missed.
    timers.registry.fire(1550);
    EXPECT_EQ(listener.ticks, 3);
    timers.registry.fire(1649);
    timers.registry.fire(1650);
    EXPECT_EQ(listener.ticks, 4);
    timer->forget();
    EXPECT_EQ(timers.registry.getNbRunning(), 0u);
}

TEST(CVSTGUITimer, SetFireTimeRestartsOnlyARunningTimerWithANewTime)
{
    FakeClock clock(1000);
    Registry timers;
    TickListener listener;
    auto* timer = new CVSTGUITimer(&listener, 100);
    EXPECT_TRUE(timer->setFireTime(50));
    EXPECT_FALSE(timer->isRunning());
    timer->start();
    clock.set(1030);
    EXPECT_FALSE(timer->setFireTime(50));
    timers.registry.fire(1050);
    EXPECT_EQ(listener.ticks, 1);
    EXPECT_TRUE(timer->setFireTime(200));
    timers.registry.fire(1229);
    EXPECT_EQ(listener.ticks, 1);
    timers.registry.fire(1230);
    EXPECT_EQ(listener.ticks, 2);
    EXPECT_TRUE(timer->stop());
    EXPECT_FALSE(timer->stop());
    timer->forget();
}

TEST(CVSTGUITimer, CallbacksMayStopOrDeleteAnyTimerAndAPeriodOfZeroDoesNotSpin)
{
    FakeClock clock(0);
    Registry timers;
    TickListener selfDeleting;
    TickListener killer;
    TickListener victim;
    TickListener stopped;
    TickListener restarted;
    auto* first = new CVSTGUITimer(&selfDeleting, 10);
    auto* second = new CVSTGUITimer(&killer, 10);
    auto* third = new CVSTGUITimer(&victim, 10);
    auto* fourth = new CVSTGUITimer(&stopped, 10);
    auto* fifth = new CVSTGUITimer(&restarted, 0);
    for (CVSTGUITimer* timer : {first, second, third, fourth, fifth})
        timer->start();
    selfDeleting.onTick = [](CVSTGUITimer* timer) { timer->forget(); };
    killer.onTick = [&](CVSTGUITimer*) {
        third->forget();
        fourth->stop();
    };
    restarted.onTick = [](CVSTGUITimer* timer) {
        timer->stop();
        timer->start();
    };

    timers.registry.fire(10);
    EXPECT_EQ(selfDeleting.ticks, 1);
    EXPECT_EQ(killer.ticks, 1);
    EXPECT_EQ(victim.ticks, 0);
    EXPECT_EQ(stopped.ticks, 0);
    EXPECT_EQ(restarted.ticks, 1);
    EXPECT_EQ(timers.registry.getNbRunning(), 2u);

    timers.registry.fire(10);
    timers.registry.fire(10);
    EXPECT_EQ(restarted.ticks, 3);
    EXPECT_EQ(killer.ticks, 1);
    second->forget();
    fourth->forget();
    fifth->forget();
    EXPECT_EQ(timers.registry.getNbRunning(), 0u);
}

TEST(CVSTGUITimer, ATimerJoinsTheRegistryCurrentWhenItStarts)
{
    FakeClock clock(0);
    TickListener listener;
    auto* timer = new CVSTGUITimer(&listener, 10);
    {
        CTimerRegistry editorTimers;
        CTimerRegistry::setCurrent(&editorTimers);
        timer->start();
        CTimerRegistry::setCurrent(nullptr);
        CTimerRegistry::defaultRegistry().fire(10);
        EXPECT_EQ(listener.ticks, 0);
        editorTimers.fire(10);
        EXPECT_EQ(listener.ticks, 1);
    }
    // Its editor went away: the timer counts as stopped.
    EXPECT_FALSE(timer->isRunning());
    timer->forget();
}
