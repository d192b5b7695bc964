#include "Source/SyncableLfo.h"

#include "Source/Zentrova.h"

namespace
{
constexpr double kDefaultTempo = 120.0;
} // namespace

TempoAndSync::TempoAndSync(Zentrova* owner) : m_pOwner(owner)
{
    m_barLength = m_samplesPerMinute / 30.0f;
}

TempoAndSync::~TempoAndSync() = default;

void TempoAndSync::setSampleRate(float rate)
{
    m_sampleRate = rate;
    m_samplesPerMinute = rate * 60.0f;
}

void TempoAndSync::beginBlock()
{
    clearHostTime();
    m_position = 0;
    readHostTime();
}

void TempoAndSync::advance(std::int64_t offset)
{
    if (m_position < offset)
        m_position = offset;
}

void TempoAndSync::processBlock(std::int64_t length)
{
    advance(length);
}

void TempoAndSync::reset() {}

VstTempoAndSync::VstTempoAndSync(Zentrova* owner) : TempoAndSync(owner) {}

VstTempoAndSync::~VstTempoAndSync() = default;

void VstTempoAndSync::readHostTime()
{
    const VstInt32 filter = m_needsHost ? (kVstTimeSigValid | kVstBarsValid | kVstTempoValid | kVstPpqPosValid |
                                           kVstTransportPlaying)
                                        : (kVstTempoValid | kVstTransportPlaying);
    const VstTimeInfo* info = m_pOwner ? m_pOwner->getTimeInfo(filter) : nullptr;
    if (!info)
    {
        m_transportPlaying = false;
        m_tempo = kDefaultTempo;
        m_barLength = m_samplesPerMinute / 30.0f;
        m_hostInfoRead = true;
        return;
    }
    m_transportPlaying = (info->flags & kVstTransportPlaying) != 0;
    m_tempo = ((info->flags & kVstTempoValid) && info->tempo > 0.0) ? info->tempo : kDefaultTempo;
    double beats = 4.0;
    if ((info->flags & kVstTimeSigValid) && info->timeSigNumerator > 0 && info->timeSigDenominator > 0)
        beats = (info->timeSigDenominator >> 2) * static_cast<double>(info->timeSigNumerator);
    m_barLength = static_cast<float>(beats * m_samplesPerMinute / m_tempo);
    m_hostInfoRead = true;
}

void VstTempoAndSync::clearHostTime()
{
    m_hostInfoRead = false;
    m_positionRead = false;
}
