#include "Source/tempo/SyncableLfo.h"

#include "Source/Voices/EventCodes.h"
#include "Source/tempo/SyncableClock.h"
#include "Source/tempo/TempoAndSync.h"
#include "dsp/EngineDimensions.h"

SyncableLfo::SyncableLfo(TempoAndSync* owner, std::uint32_t index, SyncableClock* clock)
    : SyncableTimeElement(owner, index), m_pClock(clock)
{
}

SyncableLfo::~SyncableLfo() = default;

void SyncableLfo::setSyncMode(bool deferred, std::uint32_t mode)
{
    if (!deferred)
    {
        m_syncMode = mode;
        m_dirty = true;
        return;
    }
    m_pendingSyncMode.store(mode, std::memory_order_relaxed);
    m_syncModePending.store(true, std::memory_order_release);
    if (mode >= kFirstBarMode)
        m_pOwner->setNeedsHost();
}

std::uint32_t SyncableLfo::getPendingSyncMode() const
{
    return m_syncModePending.load(std::memory_order_acquire) ? m_pendingSyncMode.load(std::memory_order_relaxed)
                                                              : m_syncMode;
}

void SyncableLfo::beginBlock()
{
    if (m_syncModePending.exchange(false, std::memory_order_acquire))
        m_syncMode = m_pendingSyncMode.load(std::memory_order_relaxed);
    m_dirty = true;
}

void SyncableLfo::CalculateSync(std::int64_t t)
{
    if (!m_dirty)
        return;
    m_dirty = false;
    std::int64_t nextClockTick;
    std::int64_t samplesPerTick;
    if (m_syncMode >= kFirstBarMode)
    {
        const double barLength = m_pOwner->getBarLength();
        nextClockTick = static_cast<std::int64_t>(barLength - m_pOwner->getBarPhase() + 0.5) >> Engine::kTickShift;
        samplesPerTick = static_cast<std::int64_t>(barLength + 0.5) >> Engine::kTickShift;
    }
    else if (m_syncMode >= kFirstClockMode && m_pClock)
    {
        nextClockTick = (m_pClock->getPeriod() + m_pClock->getLastGateOn()) >> Engine::kTickShift;
        samplesPerTick = m_pClock->getPeriod() >> Engine::kTickShift;
    }
    else
    {
        return;
    }
    // Only extreme tempos and sample rates leave the range; the engine then
    // keeps the values it had.
    if (nextClockTick < 0 || nextClockTick > kMaxSyncValue || samplesPerTick < 0 || samplesPerTick > kMaxSyncValue)
        return;
    const std::int64_t lfo = static_cast<std::int64_t>(m_index) << 24;
    m_pOwner->postEvent(EventCode::LfoSyncNextTick, nextClockTick + lfo, t);
    m_pOwner->postEvent(EventCode::LfoSyncPeriod, samplesPerTick + lfo, t);
}
