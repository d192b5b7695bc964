#pragma once

#include <cstdint>
#include <vector>

class CVSTGUITimer;

// The running timers of one editor, fired from its idle on the toolkit's
// clock. Timers join the registry that is current when they start: the
// editor whose code runs makes its own current, and without one the
// process-wide default is used.
class CTimerRegistry
{
public:
    CTimerRegistry() = default;
    ~CTimerRegistry();
    CTimerRegistry(const CTimerRegistry&) = delete;
    CTimerRegistry& operator=(const CTimerRegistry&) = delete;

    // Fires every timer that is due at now, each at most once. A callback
    // may start, stop or delete any timer, its own included; timers started
    // meanwhile wait for the next call.
    void fire(std::uint64_t now);
    std::size_t getNbRunning() const;

    static CTimerRegistry* current();
    // Null makes the default registry current again.
    static void setCurrent(CTimerRegistry* registry);
    static CTimerRegistry& defaultRegistry();

private:
    friend class CVSTGUITimer;
    void add(CVSTGUITimer* timer);
    void remove(CVSTGUITimer* timer);

    // A stopped timer leaves a null slot while fire runs.
    std::vector<CVSTGUITimer*> m_timers;
    bool m_firing = false;
};
