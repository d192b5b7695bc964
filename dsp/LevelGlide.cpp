#include "dsp/LevelGlide.h"

#include <algorithm>
#include <cmath>

void LevelGlide::setRate(double unitsPerSecond)
{
    settle();
    const double units = kSeconds * unitsPerSecond;
    if (!(units >= 1.0) || !std::isfinite(units))
    {
        m_steps = 1;
        m_stride = 1;
        return;
    }
    const auto whole = static_cast<std::int64_t>(std::min(units + 0.5, 1e9));
    m_steps = static_cast<int>(std::min<std::int64_t>(whole, kMostSteps));
    m_stride = std::max<std::int64_t>(1, (whole + m_steps / 2) / m_steps);
}

void LevelGlide::jump(float value)
{
    m_value = m_start = m_target = value;
    m_stepsLeft = 0;
    m_untilStep = 0;
    m_justSet = false;
}

void LevelGlide::glideTo(float target)
{
    if (target == m_target)
        return;
    // A glide set at this same time had not yet been heard.
    const float from = m_justSet ? m_start : m_value;
    if (from == target)
    {
        jump(target);
        return;
    }
    m_start = from;
    m_target = target;
    m_stepsLeft = m_steps;
    step();
    m_justSet = isGliding();
}

void LevelGlide::step()
{
    --m_stepsLeft;
    if (m_stepsLeft == 0)
    {
        m_value = m_target;
        m_untilStep = 0;
        return;
    }
    const float done = static_cast<float>(m_steps - m_stepsLeft) / static_cast<float>(m_steps);
    m_value = m_start + (m_target - m_start) * done;
    m_untilStep = m_stride;
}
