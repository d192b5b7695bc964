#include "dsp/ModEnvelope.h"

#include "dsp/Conversions.h"

#include <algorithm>
#include <cmath>

ModEnvelope::ModEnvelope(const ModEnvelopeParameters* parameters)
    : m_pParameters(parameters), m_level(0), m_state(kIdle), m_gate(false), m_delayCounter(0), m_attackScale(1.0f),
      m_releaseScale(1.0f), m_releaseBase(1.0f)
{
}

ModEnvelope::~ModEnvelope() = default;

void ModEnvelope::reset()
{
    m_level = 0;
    m_state = kIdle;
}

void ModEnvelope::gateOn()
{
    if (m_pParameters->retrigger && m_gate)
        m_level = 0;
    m_gate = true;
    if (m_state == kIdle)
    {
        m_state = kDelay;
        m_delayCounter = m_pParameters->delay;
    }
    else
    {
        m_state = kAttack;
    }
}

void ModEnvelope::setVelocity(int velocity)
{
    if (velocity <= 0)
        return;
    m_attackScale = std::exp(static_cast<float>(velocity - 64) * m_pParameters->velocityAttackFactor);
    m_releaseBase = std::exp(static_cast<float>(velocity - 64) * m_pParameters->velocityReleaseFactor);
    hold2Changed();
}

void ModEnvelope::hold2Changed()
{
    // The factor lengthens the release time, so it divides the step.
    const float timeScale = m_pParameters->releaseScale > 0.0f ? m_pParameters->releaseScale : 1.0f;
    m_releaseScale = m_releaseBase / timeScale;
}

void ModEnvelope::attackStep()
{
    m_level += nearest(static_cast<double>(m_pParameters->attackStep) * m_attackScale);
    if (m_level >= kTop + 1)
    {
        m_level = kTop;
        m_state = kDecay;
    }
}

void ModEnvelope::tick()
{
    const ModEnvelopeParameters& p = *m_pParameters;
    switch (m_state)
    {
    case kDelay:
        if (!m_gate)
        {
            m_state = kDecay;
        }
        else if (m_delayCounter-- < 0)
        {
            m_state = kAttack;
            attackStep();
        }
        break;
    case kAttack:
        if (m_gate)
            attackStep();
        else
            m_state = kDecay;
        break;
    case kDecay:
        if (m_level < p.sustain)
        {
            m_state = kRelease;
        }
        else
        {
            m_level -= p.decayStep;
            if (m_level < p.sustain)
            {
                m_level = p.sustain;
                // With the gate closed the decay hands over to the release at
                // the sustain level instead of holding there.
                m_state = m_gate ? kSustain : kRelease;
            }
            else if (!m_gate && p.releaseStep > p.decayStep)
            {
                m_state = kRelease;
            }
        }
        break;
    case kSustain:
        if (!m_gate)
        {
            m_state = kRelease;
        }
        else if (m_level < p.sustain)
        {
            m_level = std::min(m_level + 65536, p.sustain);
        }
        else if (m_level > p.sustain)
        {
            m_level = std::max(m_level - 65536, p.sustain);
        }
        break;
    case kRelease:
        if (m_gate)
        {
            m_state = kAttack;
        }
        else
        {
            m_level -= nearest(static_cast<double>(p.releaseStep) * m_releaseScale);
            if (m_level < 0)
            {
                m_level = 0;
                m_state = kIdle;
            }
        }
        break;
    default:
        break;
    }
}
