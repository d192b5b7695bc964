#include "toolkit/CTimerRegistry.h"

#include <algorithm>
#include <atomic>

#include "dsp/Lasting.h"
#include "toolkit/CVSTGUITimer.h"

namespace
{
// Instances, and with them editors' registries, are made and destroyed on
// any host thread while an editor of another instance runs on the UI thread.
std::atomic<CTimerRegistry*> currentRegistry{nullptr};
} // namespace

CTimerRegistry::~CTimerRegistry()
{
    for (CVSTGUITimer* timer : m_timers)
        if (timer)
            timer->m_registry = nullptr;
    // Only this registry's turn ends: another one made current meanwhile stays.
    CTimerRegistry* self = this;
    currentRegistry.compare_exchange_strong(self, nullptr, std::memory_order_acq_rel);
}

CTimerRegistry& CTimerRegistry::defaultRegistry()
{
    static Lasting<CTimerRegistry> registry;
    return *registry;
}

CTimerRegistry* CTimerRegistry::current()
{
    CTimerRegistry* registry = currentRegistry.load(std::memory_order_acquire);
    return registry ? registry : &defaultRegistry();
}

void CTimerRegistry::setCurrent(CTimerRegistry* registry)
{
    currentRegistry.store(registry, std::memory_order_release);
}

std::size_t CTimerRegistry::getNbRunning() const
{
    return static_cast<std::size_t>(std::count_if(m_timers.begin(), m_timers.end(),
                                                  [](CVSTGUITimer* timer) { return timer != nullptr; }));
}

void CTimerRegistry::add(CVSTGUITimer* timer)
{
    m_timers.push_back(timer);
}

void CTimerRegistry::remove(CVSTGUITimer* timer)
{
    auto position = std::find(m_timers.begin(), m_timers.end(), timer);
    if (position == m_timers.end())
        return;
    if (m_firing)
        *position = nullptr;
    else
        m_timers.erase(position);
}

void CTimerRegistry::fire(std::uint64_t now)
{
    // A callback that pumps the idle again must not fire anything twice.
    if (m_firing)
        return;
    m_firing = true;
    std::size_t count = m_timers.size();
    for (std::size_t i = 0; i < count; ++i)
    {
        CVSTGUITimer* timer = m_timers[i];
        if (!timer || now < timer->m_nextFire)
            continue;
        // One tick per call: a late pump does not make up for the ticks it
        // missed, and a period of 0 fires once per call instead of spinning.
        std::uint64_t period = timer->m_fireTime;
        timer->m_nextFire += period;
        if (timer->m_nextFire <= now)
            timer->m_nextFire = now + period;
        // The callback may free the timer: nothing of it is touched after.
        if (CBaseObject* listener = timer->m_listener)
            listener->notify(timer, CVSTGUITimer::kMsgTimer);
    }
    m_timers.erase(std::remove(m_timers.begin(), m_timers.end(), nullptr), m_timers.end());
    m_firing = false;
}
