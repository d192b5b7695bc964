#include "toolkit/CVSTGUITimer.h"

#include "toolkit/CTimerRegistry.h"
#include "toolkit/Clock.h"

const char* const CVSTGUITimer::kMsgTimer = "timer fired";

CVSTGUITimer::CVSTGUITimer(CBaseObject* listener, std::uint32_t fireTime) : m_fireTime(fireTime), m_listener(listener)
{
}

CVSTGUITimer::~CVSTGUITimer()
{
    stop();
}

bool CVSTGUITimer::start()
{
    if (m_registry)
        return true;
    m_registry = CTimerRegistry::current();
    m_nextFire = Clock::now() + m_fireTime;
    m_registry->add(this);
    return true;
}

bool CVSTGUITimer::stop()
{
    if (!m_registry)
        return false;
    m_registry->remove(this);
    m_registry = nullptr;
    return true;
}

bool CVSTGUITimer::setFireTime(std::uint32_t fireTime)
{
    if (fireTime == m_fireTime)
        return false;
    bool wasRunning = stop();
    m_fireTime = fireTime;
    return wasRunning ? start() : true;
}
