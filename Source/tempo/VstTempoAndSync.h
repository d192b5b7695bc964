#pragma once

#include "Source/tempo/TempoAndSync.h"
#include "Source/vst/VstDeclarations.h"

class AudioEffectX;

// Reads the time from a VST host.
class VstTempoAndSync : public TempoAndSync
{
public:
    // What is asked of the host: with needs-host the bars and time signature
    // too, else only the tempo and transport.
    static constexpr VstInt32 kFullRequest =
        kVstTimeSigValid | kVstBarsValid | kVstTempoValid | kVstPpqPosValid | kVstTransportPlaying;
    static constexpr VstInt32 kTempoRequest = kVstTempoValid | kVstTransportPlaying;

    // host: where the time is read; without one there is none.
    explicit VstTempoAndSync(TempoAndSyncOwner* owner, AudioEffectX* host = nullptr);
    ~VstTempoAndSync() override;

protected:
    void readHostTime() override;
    void clearHostTime() override;
    // The host's answer, or null.
    virtual const VstTimeInfo* fetchTimeInfo(VstInt32 filter);

private:
    AudioEffectX* m_pHost;
    const VstTimeInfo* m_pTimeInfo = nullptr;
    double m_lastPosition = -1.0;
};
