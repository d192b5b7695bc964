#include "dsp/Lfo.h"

#include "dsp/Conversions.h"
#include "dsp/Random.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace
{
constexpr float kCycleUnits = 33554432.0f; // 2^25: two passes

// The "Guitar" wave: a raised cosine over one pass.
const std::array<std::uint8_t, 256> guitarTable = [] {
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<std::uint8_t>(static_cast<int>(63.0 * std::cos(i * 3.14159265358979 / 256.0) + 63.0 + 0.5));
    return table;
}();

float floatFromValue(std::int64_t value)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(value);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}


// Rate spreads by voice: a scrambled table so that neighbouring voices differ.
const int spreadTable[16] = {0, 4, -3, 5, -1, -4, 2, 7, 1, 6, -8, 3, -2, -6, -5, -7};
}

Lfo::Lfo()
    : m_wrap(0), m_phase(0), m_pParameters(nullptr), m_pMaster(nullptr), m_half(0), m_spread(0), m_rate(0.0f),
      m_freeRunning(true), m_rateRestorePending(false)
{
}

Lfo::~Lfo() = default;

void Lfo::follow(const Lfo* master)
{
    m_freeRunning = false;
    m_pMaster = master;
}

void Lfo::setSpread(int voiceIndex)
{
    m_spread = spreadTable[voiceIndex & 15] * 16 + spreadTable[(voiceIndex >> 4) & 15];
}

void Lfo::noteRestart()
{
    if (!restartsOnNote(m_pParameters->syncMode))
        return;
    m_half = 0;
    // Mid-pass, where the two-pass waves cross zero.
    m_phase = m_pParameters->shift == 1 ? 0 : kPhaseMask / 2;
}

void Lfo::skip(std::int64_t ticks)
{
    if (ticks <= 0)
        return;
    const LfoParameters& p = *m_pParameters;
    if (m_freeRunning || !m_pMaster || !followsMaster(p.syncMode))
    {
        const std::int64_t step = (p.increment + (((m_spread & p.spreadMask) * p.increment) >> 11)) >> p.shift;
        // All ticks but the last at once, in modular arithmetic so that no
        // rest is too long: each tick wraps at most once below a pass, and
        // every tick does from a pass on.
        const auto earlier = static_cast<std::uint64_t>(ticks - 1);
        const auto stepBits = static_cast<std::uint64_t>(step);
        constexpr std::uint64_t kTwoPasses = 2 * static_cast<std::uint64_t>(kPassLength);
        if (stepBits < static_cast<std::uint64_t>(kPassLength))
        {
            const std::uint64_t position =
                (static_cast<std::uint64_t>(m_phase) + (earlier & (kTwoPasses - 1)) * stepBits) & (kTwoPasses - 1);
            m_half ^= static_cast<int>(position >> 24);
            m_phase = static_cast<std::int64_t>(position) & kPhaseMask;
        }
        else
        {
            const std::uint64_t remainder = stepBits & static_cast<std::uint64_t>(kPhaseMask);
            m_phase = static_cast<std::int64_t>(static_cast<std::uint64_t>(m_phase) +
                                                (earlier & static_cast<std::uint64_t>(kPhaseMask)) * remainder) &
                      kPhaseMask;
            m_half ^= static_cast<int>(earlier & 1);
        }
    }
    tick();
}

void Lfo::setParameter(int setting, std::int64_t tick, std::int64_t value)
{
    LfoParameters& p = *m_pParameters;
    switch (setting)
    {
    case kWaveform:
        p.wave = static_cast<std::int32_t>(value);
        p.shift = (p.wave == 3 || p.wave == 4 || p.wave == 5 || p.wave == 7) ? 1 : 0;
        p.syncAllowed = p.wave != 10;
        break;
    case kRate:
        if (p.syncMode <= 3)
        {
            const float hz = floatFromValue(value);
            m_rate = hz;
            p.freeIncrement = nearest(hz * 1073741824.0 / p.hostSampleRate);
            p.increment = p.freeIncrement;
        }
        else
        {
            // Cycles per bar (or per clock tick); a whole number from 1 on.
            if (value < 1)
                break;
            m_rate = static_cast<float>(value / 64);
            const std::int64_t bars = p.syncMode >= 7 ? p.syncMode - 6 : 1;
            p.ratio = static_cast<float>(value) / static_cast<float>(bars);
            p.inverseRatio = 1.0f / p.ratio;
            recomputeSync();
            resync(tick);
        }
        break;
    case kIntro:
        p.introStep = static_cast<std::int64_t>(536870912.0 / (floatFromValue(value) * p.hostSampleRate + 0.5));
        break;
    case kSync:
        if (value < 0 || value > 10)
            break;
        if (value <= 1)
        {
            m_phase = 0;
            p.spreadMask = -1;
        }
        else
        {
            p.spreadMask = 0;
        }
        p.syncMode = static_cast<std::int32_t>(value);
        if (value <= 3)
        {
            m_rateRestorePending = false;
            p.increment = p.freeIncrement;
        }
        resync(tick);
        break;
    default:
        break;
    }
}

void Lfo::setNextClockTick(std::int64_t ticks)
{
    m_pParameters->nextClockTick = ticks;
}

void Lfo::setClockPeriod(std::int64_t ticks, std::int64_t tick)
{
    LfoParameters& p = *m_pParameters;
    if (ticks != p.clockPeriod)
    {
        p.clockPeriod = ticks;
        p.clockPeriodFloat = static_cast<float>(ticks);
        p.inverseClockPeriod = ticks > 0 ? 1.0f / p.clockPeriodFloat : 0.0f;
        recomputeSync();
    }
    resync(tick);
}

void Lfo::recomputeSync()
{
    LfoParameters& p = *m_pParameters;
    p.cycleLength = p.clockPeriodFloat * p.inverseRatio;
    p.cyclesPerTick = p.inverseClockPeriod * p.ratio;
    p.syncIncrement = nearest(static_cast<double>(p.cyclesPerTick) * kCycleUnits);
}

void Lfo::resync(std::int64_t tick)
{
    LfoParameters& p = *m_pParameters;
    if (p.syncMode <= 3 || !p.syncAllowed || p.clockPeriod <= 0)
        return;
    if (p.syncMode == 5 || p.syncMode >= 7)
    {
        p.increment = p.syncIncrement;
        return;
    }
    // The last clock tick at or before this tick.
    const std::int64_t period = p.clockPeriod;
    std::int64_t clock = p.nextClockTick;
    if (clock + period < tick)
        clock += (tick - clock - 1) / period * period;
    if (clock > tick)
        clock -= (clock - tick + period - 1) / period * period;

    const float cyclesSinceClock = std::trunc(static_cast<float>(tick - clock) * p.cyclesPerTick);
    float remaining = (cyclesSinceClock + 1.0f) * p.cycleLength + static_cast<float>(clock - tick);
    if (!(remaining >= 1.0f))
        remaining = 1.0f;
    // Phase units left to the end of this cycle.
    const double left = static_cast<double>(((m_half ^ 1) >> p.shift) * kPhaseMask + ((kPhaseMask - m_phase) << p.shift));
    const std::int64_t target = nearest(left / remaining);
    p.increment = target;
    if (target == 0)
    {
        p.increment = p.syncIncrement;
        m_rateRestorePending = false;
        return;
    }
    if (m_phase - kPhaseMask + p.increment > p.syncIncrement)
        p.increment = p.syncIncrement + kPhaseMask - m_phase;
    m_rateRestorePending = true;
}

std::int8_t Lfo::output(std::uint8_t& randomByte, std::int64_t envelopeLevel, float envelopeScale) const
{
    const unsigned p = static_cast<unsigned>(m_phase >> 16) & 255u;
    const bool h = m_half != 0;
    unsigned b = 0;
    switch (m_pParameters->wave)
    {
    case 0: // Triangle
        b = (h ? ~p : p) + 128u;
        break;
    case 1: // Tri 3 step
    {
        const unsigned q = std::min((p + 64u) & ~127u, 255u);
        b = (h ? ~q : q) + 128u;
        break;
    }
    case 2: // Tri 5 step
    {
        const unsigned q = std::min((p + 32u) & ~63u, 255u);
        b = (h ? ~q : q) + 128u;
        break;
    }
    case 3: // Sawtooth
        b = p + 128u;
        break;
    case 4: // Saw 4 step
        b = (p & 0xC0u) + 0xA0u;
        break;
    case 5: // Saw 8 step
        b = (p & 0xE0u) + 0x90u;
        break;
    case 6: // Square
        b = h ? 127u : 0u;
        break;
    case 7: // Pattern 1
        b = ((p & 0xF0u) ^ 0xA0u) + 0x88u;
        break;
    case 8: // Pattern 2
    {
        const unsigned q = std::min((p + 8u) & ~15u, 255u);
        b = (h ? ~q : q) ^ 0x20u;
        break;
    }
    case 9: // Guitar
        b = guitarTable[h ? (~p & 255u) : p];
        break;
    case 10: // Filter Env
    {
        const auto top = static_cast<std::int64_t>((envelopeLevel >> 16) * envelopeScale);
        b = static_cast<unsigned>((top >> 1) & 127);
        break;
    }
    case 11: // Random
        if (m_wrap != 0)
            randomByte = static_cast<std::uint8_t>(randomInt() >> 7);
        b = randomByte + 128u;
        break;
    default:
        break;
    }
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(b & 255u));
}
