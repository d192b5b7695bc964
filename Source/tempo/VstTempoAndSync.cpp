#include "Source/tempo/VstTempoAndSync.h"

#include "Source/vst/AudioEffectX.h"

VstTempoAndSync::VstTempoAndSync(TempoAndSyncOwner* owner, AudioEffectX* host) : TempoAndSync(owner), m_pHost(host) {}

VstTempoAndSync::~VstTempoAndSync() = default;

const VstTimeInfo* VstTempoAndSync::fetchTimeInfo(VstInt32 filter)
{
    return m_pHost ? m_pHost->getTimeInfo(filter) : nullptr;
}

void VstTempoAndSync::readHostTime()
{
    const bool full = needsHost();
    m_pTimeInfo = fetchTimeInfo(full ? kFullRequest : kTempoRequest);
    const VstTimeInfo* info = m_pTimeInfo;
    const VstInt32 flags = info ? info->flags : 0;
    m_transportPlaying = (flags & kVstTransportPlaying) != 0;
    if (info)
        setHostTempo(flags & kVstTempoValid, info->tempo, flags & kVstTimeSigValid, info->timeSigNumerator,
                     info->timeSigDenominator);
    else
        setHostTempo(false, 0.0, false, 0, 0);
    m_hostInfoRead = true;
    if (!full)
        return;
    const VstInt32 positionFlags = kVstPpqPosValid | kVstBarsValid;
    if (m_transportPlaying && (flags & positionFlags) == positionFlags && info->ppqPos != m_lastPosition)
    {
        setBarPosition(info->ppqPos, info->barStartPos);
        m_lastPosition = info->ppqPos;
    }
    wrapBarPhase();
    m_positionRead = true;
}

void VstTempoAndSync::clearHostTime()
{
    m_hostInfoRead = false;
    m_positionRead = false;
}
