#pragma once

#include <cstdint>

#include "Source/VstDeclarations.h"

class Zentrova;

// The musical time of the plug-in: the host's tempo, time signature and
// transport, read at each block start.
class TempoAndSync
{
public:
    explicit TempoAndSync(Zentrova* owner);
    virtual ~TempoAndSync();

    TempoAndSync(const TempoAndSync&) = delete;
    TempoAndSync& operator=(const TempoAndSync&) = delete;

    void setSampleRate(float rate);
    void beginBlock();
    // Moves the position inside the block to offset (a sample offset).
    void advance(std::int64_t offset);
    void processBlock(std::int64_t length);
    void reset();

    double getTempo() const { return m_tempo; }
    float getBarLength() const { return m_barLength; }
    bool isTransportPlaying() const { return m_transportPlaying; }

protected:
    virtual void readHostTime() = 0;
    virtual void clearHostTime() = 0;

    Zentrova* m_pOwner;
    std::int64_t m_position = 0;
    float m_barLength = 0.0f;
    float m_sampleRate = 44100.0f;
    float m_samplesPerMinute = 44100.0f * 60.0f;
    double m_tempo = 120.0;
    bool m_hostInfoRead = false;
    bool m_positionRead = false;
    bool m_transportPlaying = false;
    bool m_needsHost = false;
};

// Reads the time from a VST host.
class VstTempoAndSync : public TempoAndSync
{
public:
    explicit VstTempoAndSync(Zentrova* owner);
    ~VstTempoAndSync() override;

protected:
    void readHostTime() override;
    void clearHostTime() override;

private:
    double m_lastPosition = -1.0;
};
