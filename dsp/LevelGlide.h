#pragma once

#include <cstdint>

// A level that reaches a new value in small equal steps over a few
// milliseconds rather than at once, so that a change is not heard as a
// click. Time runs in the caller's units (samples or ticks): the first step
// falls when the glide starts, one more every stride units, and the last
// lands on the target exactly. At rest the value is the target and nothing
// moves.
class LevelGlide
{
public:
    static constexpr double kSeconds = 0.005;
    static constexpr int kMostSteps = 64;

    explicit LevelGlide(float value = 0.0f) : m_value(value), m_target(value) {}

    // The caller's units per second; until it is known a change is
    // immediate. A glide under way ends at its target.
    void setRate(double unitsPerSecond);

    // The value at once, ending any glide.
    void jump(float value);
    // From the current value towards target; nothing when already there.
    // Of several calls at one time only the last counts.
    void glideTo(float target);
    void settle() { jump(m_target); }

    float value() const { return m_value; }
    float target() const { return m_target; }
    bool isGliding() const { return m_stepsLeft > 0; }

    // How long, up to limit, the value holds from here.
    std::int64_t holdFor(std::int64_t limit) const
    {
        return m_stepsLeft > 0 && m_untilStep < limit ? m_untilStep : limit;
    }
    // Time moves on by units, at most what holdFor allowed.
    void advance(std::int64_t units)
    {
        if (m_stepsLeft > 0 && units > 0)
        {
            m_justSet = false;
            m_untilStep -= units;
            if (m_untilStep <= 0)
                step();
        }
    }

private:
    void step();

    float m_value;
    float m_start = 0.0f;
    float m_target;
    int m_steps = 1;
    std::int64_t m_stride = 1;
    int m_stepsLeft = 0;
    std::int64_t m_untilStep = 0;
    // A glide began and no time has passed since.
    bool m_justSet = false;
};
