#pragma once

#include <cstdint>

#include "toolkit/CBaseObject.h"

class CTimerRegistry;

// Calls its listener's notify with kMsgTimer every fireTime milliseconds
// while it runs, from the idle of the editor it was started under.
class CVSTGUITimer : public CBaseObject
{
public:
    static const char* const kMsgTimer;

    explicit CVSTGUITimer(CBaseObject* listener, std::uint32_t fireTime = 100);
    ~CVSTGUITimer() override;

    // Answers whether the timer runs afterwards.
    virtual bool start();
    // False when it was not running.
    virtual bool stop();
    // False, and nothing changes, when the time is the current one; a
    // running timer restarts with the new time.
    virtual bool setFireTime(std::uint32_t fireTime);

    std::uint32_t getFireTime() const { return m_fireTime; }
    bool isRunning() const { return m_registry != nullptr; }

private:
    friend class CTimerRegistry;

    std::uint32_t m_fireTime;
    CBaseObject* m_listener;
    CTimerRegistry* m_registry = nullptr;
    std::uint64_t m_nextFire = 0;
};
