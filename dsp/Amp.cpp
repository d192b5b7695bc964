#include "dsp/Amp.h"

#include <algorithm>

namespace
{
constexpr int kTopSegment = AmpSettings::kLevels - 1;
constexpr int kNeutralVelocity = 64;
}

Amp::Amp(const AmpSettings* settings, Tables* tables)
    : m_pSettings(settings), m_releaseShape(false), m_startPending(false), m_gateHeld(false), m_sustainChanged(false),
      m_level(0.0f), m_stage(kIdle), m_segment(0), m_stageSamples(0), m_rampCount(0), m_pTables(tables),
      m_sustainTarget(1.0f), m_attackVelocity(kNeutralVelocity),
      m_releaseVelocity(kNeutralVelocity), m_gainLeft(0.5f), m_gainRight(0.5f), m_targetLeft(0.5f),
      m_targetRight(0.5f), m_stepLeft(0.0f), m_stepRight(0.0f)
{
}

Amp::~Amp() = default;

void Amp::reset()
{
    m_level = 0.0f;
    m_stage = kIdle;
    m_stageSamples = 0;
    m_segment = 0;
    m_startPending = false;
    m_gateHeld = false;
    m_releaseShape = false;
    m_sustainChanged = false;
    m_rampCount = 0;
}

void Amp::start(int velocity, float pan)
{
    m_attackVelocity = static_cast<std::uint32_t>(velocity);
    m_releaseVelocity = m_attackVelocity;
    m_pSettings->attackTable(velocity, m_pTables->attack);
    m_gateHeld = true;
    m_startPending = true;
    m_sustainTarget = m_pSettings->sustain;
    m_sustainChanged = false;
    // A release shape chosen for the previous note must not carry over.
    m_releaseShape = false;
    setPan(pan);
}

void Amp::gateOff(int releaseVelocity)
{
    m_gateHeld = false;
    if (releaseVelocity > 0)
        m_releaseVelocity = static_cast<std::uint32_t>(releaseVelocity);
}

void Amp::setPan(float pan)
{
    const float left = (1.0f - pan) * 0.5f;
    const float right = (1.0f + pan) * 0.5f;
    const std::int64_t length = m_pSettings->panRampLength;
    if (m_stage == kIdle || length <= 0)
    {
        m_gainLeft = m_targetLeft = left;
        m_gainRight = m_targetRight = right;
        m_rampCount = 0;
        return;
    }
    m_targetLeft = left;
    m_targetRight = right;
    m_stepLeft = (left - m_gainLeft) / static_cast<float>(length);
    m_stepRight = (right - m_gainRight) / static_cast<float>(length);
    m_rampCount = length;
}

void Amp::attackChanged()
{
    if (m_stage == kAttack)
        m_pSettings->attackTable(static_cast<int>(m_attackVelocity), m_pTables->attack);
}

void Amp::decayChanged()
{
    if (m_stage != kIdle)
        m_pSettings->decayTable(kNeutralVelocity, m_pTables->decay);
}

void Amp::releaseChanged()
{
    if (m_stage != kIdle)
        m_pSettings->releaseTable(static_cast<int>(m_releaseVelocity), m_pTables->release);
}

void Amp::sustainChanged()
{
    m_sustainTarget = m_pSettings->sustain;
    m_sustainChanged = true;
}

void Amp::enter(Stage stage)
{
    m_stage = stage;
    m_stageSamples = 0;
}

void Amp::setPanState(const Pan& pan)
{
    m_gainLeft = pan.left;
    m_gainRight = pan.right;
    m_rampCount = pan.rampCount;
}

// The loops below run the level and the pan on copies, which stay in
// registers: through the members every sample would wait for the last one's
// stores, which the output writes might have overwritten.
inline void Amp::emit(float sample, float* output, bool accumulate, Pan& pan) const
{
    if (accumulate)
    {
        output[0] += sample * pan.left;
        output[1] += sample * pan.right;
    }
    else
    {
        output[0] = sample * pan.left;
        output[1] = sample * pan.right;
    }
    if (pan.rampCount > 0)
    {
        if (--pan.rampCount == 0)
        {
            pan.left = m_targetLeft;
            pan.right = m_targetRight;
        }
        else
        {
            pan.left += m_stepLeft;
            pan.right += m_stepRight;
        }
    }
}

int Amp::attack(const float* input, float* output, int count, bool accumulate)
{
    int n = 0;
    float level = m_level;
    Pan gains = panState();
    while (n < count)
    {
        const float limit = m_pSettings->levels[m_segment];
        const float multiplier = m_pTables->attack[m_segment];
        while (n < count && level < limit)
        {
            level *= multiplier;
            emit(level * input[n], output + 2 * n, accumulate, gains);
            ++n;
        }
        if (level < limit)
            break;
        if (m_segment < static_cast<std::uint32_t>(kTopSegment))
        {
            ++m_segment;
            continue;
        }
        level = m_pSettings->unity;
        if (m_sustainTarget >= m_pSettings->unity)
        {
            enter(kSustain);
        }
        else
        {
            m_pSettings->decayTable(kNeutralVelocity, m_pTables->decay);
            enter(kDecay);
        }
        break;
    }
    m_level = level;
    setPanState(gains);
    m_stageSamples += n;
    return n;
}

int Amp::fall(const float* input, float* output, int count, bool accumulate, const float* table, float stopLevel)
{
    const float* levels = m_pSettings->levels;
    float level = m_level;
    std::uint32_t segment = m_segment;
    // The segment that holds the level now (a sustain glide may have moved
    // it across segment bounds).
    if (segment < 1)
        segment = 1;
    while (segment < static_cast<std::uint32_t>(kTopSegment) && level > levels[segment])
        ++segment;
    while (segment > 1 && level <= levels[segment - 1])
        --segment;

    Pan gains = panState();
    int n = 0;
    float bound = levels[segment - 1];
    float multiplier = table[segment];
    while (n < count && level > stopLevel)
    {
        if (level <= bound && segment > 1)
        {
            --segment;
            bound = levels[segment - 1];
            multiplier = table[segment];
            continue;
        }
        level = std::max(level * multiplier, stopLevel);
        emit(level * input[n], output + 2 * n, accumulate, gains);
        ++n;
    }
    m_level = level;
    m_segment = segment;
    setPanState(gains);
    m_stageSamples += n;
    return n;
}

int Amp::sustainRun(const float* input, float* output, int count, bool accumulate)
{
    int n = 0;
    float level = m_level;
    Pan gains = panState();
    if (m_sustainChanged)
    {
        const float target = m_sustainTarget;
        const float rampUp = m_pSettings->rampUp;
        const float rampDown = m_pSettings->rampDown;
        while (n < count && level != target)
        {
            if (level < target)
                level = std::min(level * rampUp, target);
            else
                level = std::max(level * rampDown, target);
            emit(level * input[n], output + 2 * n, accumulate, gains);
            ++n;
        }
        if (level == target)
            m_sustainChanged = false;
    }
    if (gains.rampCount == 0)
    {
        m_pSettings->panSteady(input + n, output + 2 * n, count - n, level, gains.left, gains.right, accumulate);
        n = count;
    }
    for (; n < count; ++n)
        emit(level * input[n], output + 2 * n, accumulate, gains);
    m_level = level;
    setPanState(gains);
    m_stageSamples += count;
    return count;
}

void Amp::render(const float* input, float* output, int count, bool accumulate)
{
    const AmpSettings& settings = *m_pSettings;
    int n = 0;
    while (n < count)
    {
        switch (m_stage)
        {
        case kIdle:
            if (m_startPending)
            {
                settings.attackTable(static_cast<int>(m_attackVelocity), m_pTables->attack);
                enter(kAttack);
                continue;
            }
            if (!accumulate)
                std::fill(output + 2 * n, output + 2 * count, 0.0f);
            n = count;
            break;
        case kAttack:
            m_startPending = false;
            if (m_segment == 0)
            {
                m_segment = 1;
                m_level = settings.floor();
            }
            if (!m_gateHeld)
            {
                settings.decayTable(kNeutralVelocity, m_pTables->decay);
                enter(kDecay);
                continue;
            }
            n += attack(input + n, output + 2 * n, count - n, accumulate);
            break;
        case kDecay:
            if (m_startPending)
            {
                enter(kAttack);
                continue;
            }
            if (m_sustainTarget >= m_level)
            {
                enter(kSustain);
                continue;
            }
            if (!m_gateHeld)
            {
                settings.decayTable(kNeutralVelocity, m_pTables->decay);
                settings.releaseTable(static_cast<int>(m_releaseVelocity), m_pTables->release);
                m_releaseShape = settings.release > settings.decay;
                enter(kRelease);
                continue;
            }
            n += fall(input + n, output + 2 * n, count - n, accumulate, m_pTables->decay, m_sustainTarget);
            if (!(m_level > m_sustainTarget))
            {
                m_level = m_sustainTarget;
                enter(kSustain);
            }
            break;
        case kSustain:
            if (!m_gateHeld)
            {
                settings.releaseTable(static_cast<int>(m_releaseVelocity), m_pTables->release);
                enter(kRelease);
                continue;
            }
            if (m_startPending)
            {
                enter(kAttack);
                continue;
            }
            n += sustainRun(input + n, output + 2 * n, count - n, accumulate);
            break;
        case kRelease:
            if (m_startPending)
            {
                enter(kAttack);
                continue;
            }
            n += fall(input + n, output + 2 * n, count - n, accumulate,
                      m_releaseShape ? m_pTables->decay : m_pTables->release, settings.floor());
            if (!(m_level > settings.floor()))
            {
                m_level = 0.0f;
                m_segment = 0;
                enter(kIdle);
            }
            break;
        default:
            m_stage = kIdle;
            break;
        }
    }
}
