#pragma once

#include "dsp/ModEnvelopeParameters.h"

#include <cstdint>

// A five-stage modulation envelope stepped once per tick, with a 24-bit
// level: delay, attack, decay, sustain, release.
class ModEnvelope
{
public:
    static constexpr std::int64_t kTop = (1 << 24) - 1;

    enum State
    {
        kIdle = 0,
        kRelease = 1,
        kSustain = 2,
        kDecay = 3,
        kAttack = 4,
        kDelay = 5,
    };

    explicit ModEnvelope(const ModEnvelopeParameters* parameters);
    virtual ~ModEnvelope();

    void gateOn();
    void gateOff() { m_gate = false; }
    // The next attack starts from 0.
    void restart() { m_level = 0; }
    void reset();
    // MIDI velocity 1..127 (64 is neutral); 0 leaves the scales alone.
    void setVelocity(int velocity);
    // The release-time factor of the parameters changed (the hold-2 pedal).
    void hold2Changed();
    void tick();

    std::int64_t level() const { return m_level; }
    State state() const { return static_cast<State>(m_state); }
    bool gate() const { return m_gate; }
    float attackScale() const { return m_attackScale; }
    float releaseScale() const { return m_releaseScale; }

    ModEnvelope(const ModEnvelope&) = delete;
    ModEnvelope& operator=(const ModEnvelope&) = delete;

private:
    void attackStep();

    const ModEnvelopeParameters* m_pParameters;
    std::int64_t m_level;
    std::int32_t m_state;
    bool m_gate;
    std::int64_t m_delayCounter;
    float m_attackScale;
    float m_releaseScale;
    float m_releaseBase;
};
