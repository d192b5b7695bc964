#include "Source/tempo/TempoAndSync.h"

#include <algorithm>
#include <cmath>

#include "Source/queues/QueueLanes.h"
#include "Source/tempo/TempoAndSyncOwner.h"

namespace
{
constexpr double kDefaultBeats = 4.0;
} // namespace

TempoAndSync::TempoAndSync(TempoAndSyncOwner* owner) : m_pOwner(owner)
{
    m_barLength = m_samplesPerMinute * kDefaultBeats / kDefaultTempo;
    m_pClock.reset(new SyncableClock(this, 0));
    for (int i = 0; i < kNumLfos; ++i)
        m_pLfos[i].reset(new SyncableLfo(this, static_cast<std::uint32_t>(i), m_pClock.get()));
}

TempoAndSync::~TempoAndSync() = default;

void TempoAndSync::setSampleRate(float rate)
{
    if (!(rate > 0.0f) || !std::isfinite(rate))
        return;
    m_sampleRate = rate;
    m_samplesPerMinute = static_cast<double>(rate) * 60.0;
}

void TempoAndSync::beginBlock()
{
    clearHostTime();
    m_pClock->beginBlock();
    bool needsHost = m_pClock->getMode() == SyncableClock::kHost;
    for (std::unique_ptr<SyncableLfo>& lfo : m_pLfos)
    {
        lfo->beginBlock();
        needsHost = needsHost || lfo->getSyncMode() >= SyncableLfo::kFirstBarMode;
    }
    m_needsHost.store(needsHost, std::memory_order_relaxed);
    m_position = 0;
    readHostTime();
}

void TempoAndSync::advance(std::int64_t offset)
{
    if (m_position >= offset)
        return;
    if (needsHost() && !m_positionRead)
        readHostTime();
    m_pClock->recompute(m_position);
    for (std::unique_ptr<SyncableLfo>& lfo : m_pLfos)
        lfo->CalculateSync(m_position);
    // The clock's period is at least one control tick, so this ends.
    while (m_pClock->getNext() < offset)
        m_pClock->tick();
    m_position = offset;
}

void TempoAndSync::processBlock(std::int64_t length)
{
    advance(length);
    if (needsHost())
    {
        m_barPhase += static_cast<double>(length);
        wrapBarPhase();
    }
    m_pClock->endBlock(length);
}

void TempoAndSync::skip(std::int64_t length)
{
    if (length <= 0)
        return;
    m_pClock->skip(length);
    if (needsHost())
    {
        m_barPhase += static_cast<double>(length);
        wrapBarPhase();
    }
}

bool TempoAndSync::hasPendingSettings() const
{
    return m_pClock->hasPendingSettings() || m_pLfos[0]->hasPendingSettings() || m_pLfos[1]->hasPendingSettings();
}

void TempoAndSync::reset()
{
    for (std::unique_ptr<SyncableLfo>& lfo : m_pLfos)
        lfo->bindClock(m_pClock.get());
}

void TempoAndSync::postEvent(std::int64_t code, std::int64_t value, std::int64_t time)
{
    // The clock runs on the audio thread: its events take the block-start lane.
    if (m_pOwner)
        m_pOwner->setPseudoParameter(ControlLane::kBlockStart, static_cast<long>(code), value, time);
}

void TempoAndSync::setHostTempo(bool tempoValid, double tempo, bool signatureValid, int numerator,
                                int denominator)
{
    m_tempo = tempoValid && tempo > 0.0 && std::isfinite(tempo) ? std::clamp(tempo, kMinTempo, kMaxTempo)
                                                                 : kDefaultTempo;
    double beats = kDefaultBeats;
    if (signatureValid && numerator > 0 && denominator > 0)
    {
        // Quarter-note beats, fractional ones too: 6/8 is 3 and 7/8 3.5, as
        // the host's bar starts have it.
        beats = std::clamp(numerator * 4.0 / denominator, kMinBeats, kMaxBeats);
    }
    m_barLength = beats * m_samplesPerMinute / m_tempo;
}

void TempoAndSync::setBarPosition(double quarters, double barStartQuarters)
{
    const double phase = (quarters - barStartQuarters) * 60.0 / m_tempo * m_sampleRate;
    m_barPhase = std::isfinite(phase) ? phase : 0.0;
}

void TempoAndSync::wrapBarPhase()
{
    m_barPhase = std::fmod(m_barPhase, m_barLength);
    if (m_barPhase < 0.0)
        m_barPhase += m_barLength;
    if (!(m_barPhase >= 0.0 && m_barPhase < m_barLength))
        m_barPhase = 0.0;
}
