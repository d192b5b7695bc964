#include "Source/tempo/SyncableClock.h"

#include <algorithm>
#include <cmath>

#include "Source/Voices/EventCodes.h"
#include "Source/tempo/TempoAndSync.h"

SyncableClock::SyncableClock(TempoAndSync* owner, std::uint32_t index) : SyncableTimeElement(owner, index) {}

SyncableClock::~SyncableClock() = default;

void SyncableClock::setTicks(bool deferred, std::int64_t ticks)
{
    ticks = std::clamp(ticks, kMinTicks, kMaxTicks);
    if (deferred)
    {
        m_pendingTicks.store(ticks, std::memory_order_relaxed);
        m_ticksPending.store(true, std::memory_order_release);
        return;
    }
    m_ticks = ticks;
    m_inverseTicks = 1.0f / static_cast<float>(ticks);
    m_dirty = true;
}

void SyncableClock::setGateTime(bool deferred, float fraction)
{
    if (!(fraction >= 0.0f))
        fraction = 0.0f;
    fraction = std::min(fraction, 1.0f);
    if (deferred)
    {
        m_pendingGate.store(fraction, std::memory_order_relaxed);
        m_gatePending.store(true, std::memory_order_release);
        return;
    }
    m_gate = fraction;
    m_dirty = true;
}

void SyncableClock::setMode(bool deferred, std::uint32_t mode)
{
    mode = mode != kInternal ? kHost : kInternal;
    if (mode == kHost)
        m_pOwner->setNeedsHost();
    if (deferred)
    {
        m_pendingMode.store(mode, std::memory_order_relaxed);
        m_modePending.store(true, std::memory_order_release);
        return;
    }
    m_mode.store(mode, std::memory_order_relaxed);
    m_dirty = true;
}

std::uint32_t SyncableClock::getPendingMode() const
{
    return m_modePending.load(std::memory_order_acquire) ? m_pendingMode.load(std::memory_order_relaxed) : getMode();
}

void SyncableClock::beginBlock()
{
    if (m_ticksPending.exchange(false, std::memory_order_acquire))
    {
        m_ticks = m_pendingTicks.load(std::memory_order_relaxed);
        m_inverseTicks = 1.0f / static_cast<float>(m_ticks);
    }
    if (m_gatePending.exchange(false, std::memory_order_acquire))
        m_gate = m_pendingGate.load(std::memory_order_relaxed);
    if (m_modePending.exchange(false, std::memory_order_acquire))
        m_mode.store(m_pendingMode.load(std::memory_order_relaxed), std::memory_order_relaxed);
    m_dirty = true;
}

void SyncableClock::setLengths(double period)
{
    m_period = static_cast<std::int64_t>(period + 0.5);
    m_onLength = std::min(static_cast<std::int64_t>(period * m_gate + 0.5), m_period);
    m_offLength = m_period - m_onLength;
}

void SyncableClock::normaliseLastGateOn()
{
    // In whole periods at once: a long silence must not cost a loop.
    const std::int64_t behind = -(m_lastGateOn + m_period);
    if (behind > 0)
        m_lastGateOn += (behind + m_period - 1) / m_period * m_period;
}

void SyncableClock::openGate(std::int64_t time)
{
    m_pOwner->postEvent(EventCode::ClockGateOn, m_index, time);
    m_gateOpen = true;
    m_lastGateOn = time;
}

void SyncableClock::closeGate(std::int64_t time)
{
    m_pOwner->postEvent(EventCode::ClockGateOff, m_index, time);
    m_gateOpen = false;
}

void SyncableClock::recompute(std::int64_t t)
{
    if (!m_dirty)
        return;
    if (getMode() == kHost)
        recomputeHost(t);
    else
        recomputeInternal(t);
    m_next = std::max(m_next, t);
    // Pending values stay pending: one that arrived since the block start
    // still belongs to the next one.
    m_dirty = false;
}

void SyncableClock::recomputeInternal(std::int64_t t)
{
    setLengths(std::max<double>(m_pOwner->getSamplesPerMinute() * m_inverseTicks, kMinPeriod));
    normaliseLastGateOn();
    const std::int64_t off = m_lastGateOn + m_onLength;
    if (off <= t)
    {
        if (t <= off + m_offLength)
        {
            if (m_gateOpen)
                closeGate(t);
            m_next = m_lastGateOn + m_period;
        }
        else
        {
            m_next = t;
        }
    }
    else
    {
        m_next = m_gateOpen ? off : off + m_offLength;
    }
}

void SyncableClock::recomputeHost(std::int64_t t)
{
    const double bar = m_pOwner->getBarLength();
    double p = bar * m_inverseTicks;
    if (p < kMinPeriod)
    {
        // More ticks than a bar holds: as many as it does, so that the grid
        // still meets every bar start.
        const double fit = std::floor(bar / kMinPeriod);
        p = fit >= 1.0 ? bar / fit : kMinPeriod;
    }
    setLengths(p);
    normaliseLastGateOn();
    double x = std::fmod(static_cast<double>(t) + m_pOwner->getBarPhase(), p);
    if (!(x >= 0.0))
        x = std::isfinite(x) ? x + p : 0.0;
    const auto rounded = [](double value) { return static_cast<std::int64_t>(value + 0.5); };
    if (x == 0.0)
    {
        if (m_gateOpen)
            closeGate(t);
        m_next = t;
    }
    else if (x < static_cast<double>(m_onLength))
    {
        if (!m_gateOpen && t - m_lastGateOn - m_onLength > m_offLength / 2 && t - m_lastGateOn >= kMinPeriod)
            openGate(t);
        m_next = m_gateOpen ? t + m_onLength - rounded(x) : t + rounded(p - x);
    }
    else if (m_gateOpen && t - m_lastGateOn <= m_onLength / 2)
    {
        // The gate opened a little ahead of the grid: it keeps its full length.
        m_next = t + m_onLength - rounded(x - p);
    }
    else
    {
        if (m_gateOpen)
            closeGate(t);
        m_next = t + rounded(p - x);
    }
    // A period that is not whole samples drifts from the bar's grid within
    // a block; catching up must not crowd the next gate onto the last one.
    // Before the first gate the last one is t itself, and nothing to keep to.
    const std::int64_t earliestOn = m_lastGateOn + kMinPeriod;
    if (m_gateOpen)
        m_next = std::max(m_next, earliestOn - m_offLength);
    else if (m_lastGateOn < t)
        m_next = std::max(m_next, earliestOn);
}

void SyncableClock::tick()
{
    const std::int64_t time = m_next;
    if (m_gateOpen && m_offLength > 0)
    {
        closeGate(time);
        m_next += m_offLength;
    }
    else
    {
        openGate(time);
        m_next += m_onLength;
    }
}

void SyncableClock::skip(std::int64_t length)
{
    if (m_period > 0 && m_next < length)
    {
        // Whole periods at once leave the gate as it was.
        const std::int64_t periods = (length - m_next) / m_period;
        m_next += periods * m_period;
        m_lastGateOn += periods * m_period;
        while (m_next < length)
        {
            if (m_gateOpen && m_offLength > 0)
            {
                m_gateOpen = false;
                m_next += m_offLength;
            }
            else
            {
                m_gateOpen = true;
                m_lastGateOn = m_next;
                m_next += m_onLength;
            }
        }
    }
    endBlock(length);
}

void SyncableClock::endBlock(std::int64_t length)
{
    m_next -= length;
    m_lastGateOn -= length;
}
