#pragma once

#include "dsp/LfoParameters.h"

#include <cstdint>

// A low-frequency oscillator stepped once per tick: a 24-bit phase that
// counts two passes per cycle (the half flag tells them apart). The engine
// keeps one global LFO per LFO number, which follows the tempo grid, and one
// per voice, which either copies the global phase (the clocked modes) or
// runs on its own with the shared rate.
class Lfo
{
public:
    static constexpr std::int64_t kPassLength = 1 << 24;
    static constexpr std::int64_t kPhaseMask = kPassLength - 1;

    // What setParameter sets; the four LFO parameters in patch order.
    enum Setting
    {
        kWaveform = 0,
        kRate = 1,
        kIntro = 2,
        kSync = 3,
    };

    // The sync modes that copy the master's phase every tick.
    static bool followsMaster(int syncMode) { return syncMode == 4 || syncMode == 6; }
    // The modes in which a note restarts the phase.
    static bool restartsOnNote(int syncMode) { return syncMode == 1 || syncMode == 3 || syncMode == 5 || syncMode >= 7; }

    Lfo();
    ~Lfo();

    void bind(LfoParameters* parameters) { m_pParameters = parameters; }
    // Makes this a per-voice LFO of the given global LFO.
    void follow(const Lfo* master);
    // A fixed per-voice rate offset, so that free-running voices drift apart.
    void setSpread(int voiceIndex);
    void noteRestart();
    // Inline: every voice ticks two of these every tick.
    void tick();
    // As many ticks at once, for an engine at rest: the phase and the half
    // flag come out as the ticks would leave them. A follower copies its
    // master, which must have moved on first.
    void skip(std::int64_t ticks);
    // skip keeps to tick while the rate is not about to change back.
    bool canSkip() const { return !m_rateRestorePending && m_pParameters && m_pParameters->increment >= 0; }

    // Setting from the patch, applied at `tick` of the block; value is the
    // engine value (float bits for the free rate and the intro, else an
    // integer).
    void setParameter(int setting, std::int64_t tick, std::int64_t value);
    // Tempo grid from the clock: ticks to the next clock tick, and ticks per
    // clock period.
    void setNextClockTick(std::int64_t ticks);
    void setClockPeriod(std::int64_t ticks, std::int64_t tick);
    // Bends the rate so the current cycle ends on the clock grid.
    void resync(std::int64_t tick);

    // The wave value for this tick as a signed byte. randomByte is the
    // sample-and-hold value of the random wave (renewed when the phase
    // wrapped); envelopeLevel (24-bit) and envelopeScale feed the envelope
    // wave.
    std::int8_t output(std::uint8_t& randomByte, std::int64_t envelopeLevel, float envelopeScale) const;

    std::int64_t phase() const { return m_phase; }
    int half() const { return m_half; }
    bool wrapped() const { return m_wrap != 0; }
    int spread() const { return m_spread; }
    bool rateRestorePending() const { return m_rateRestorePending; }
    const LfoParameters* parameters() const { return m_pParameters; }

    Lfo(const Lfo&) = delete;
    Lfo& operator=(const Lfo&) = delete;

private:
    void recomputeSync();

    // Widest first: every voice holds two, so padding counts.
    std::int64_t m_wrap;
    std::int64_t m_phase;
    LfoParameters* m_pParameters;
    const Lfo* m_pMaster;
    int m_half;
    int m_spread;
    float m_rate;
    bool m_freeRunning;
    bool m_rateRestorePending;
};

inline void Lfo::tick()
{
    LfoParameters& p = *m_pParameters;
    if (!m_freeRunning && m_pMaster && followsMaster(p.syncMode))
    {
        m_wrap = m_pMaster->m_wrap;
        m_phase = m_pMaster->m_phase;
        m_half = m_pMaster->m_half;
        return;
    }
    const std::int64_t step = (p.increment + (((m_spread & p.spreadMask) * p.increment) >> 11)) >> p.shift;
    m_phase += step;
    m_wrap = m_phase & ~kPhaseMask;
    if (m_wrap != 0)
    {
        if (m_rateRestorePending && (m_half == 1 || p.shift == 1))
        {
            p.increment = p.syncIncrement;
            m_rateRestorePending = false;
        }
        m_half ^= 1;
    }
    m_phase &= kPhaseMask;
}
